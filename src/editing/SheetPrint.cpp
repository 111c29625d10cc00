#include "editing/SheetPrint.h"

#include "base/VBUtil.h"
#include "editing/ProjectSheet.h"
#include "ml/MLText.h"
#include "ml/MLUtil.h"
#include "store/StoreContext.h"

#include <QAbstractTextDocumentLayout>
#include <QDir>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QLocale>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QTextDocument>

namespace SheetPrint {
namespace {
// Han characters in the glyph forms of the language shown, as on the screen.
QFont SheetFont(const QString& language, int pointSize) {
    QFont f;
    f.setFamilies({QStringLiteral("Noto Sans"), language == QLatin1String("ChineseGB")
                                                    ? QStringLiteral("Noto Sans CJK SC")
                                                    : QStringLiteral("Noto Sans CJK TC")});
    f.setPointSize(pointSize);
    return f;
}
} // namespace

QPageSize::PageSizeId DefaultPaper() {
    return QLocale::system().measurementSystem() == QLocale::ImperialUSSystem ? QPageSize::Letter
                                                                              : QPageSize::A4;
}

int Paint(QPagedPaintDevice& device, const QString& html, const QString& language,
          const std::function<QString(int, int)>& footer) {
    QPainter painter;
    if (!painter.begin(&device)) return 0;
    // Painter coordinates start at the printable area's corner.
    const QRectF area(QPointF(0, 0),
                      device.pageLayout().paintRectPixels(device.logicalDpiX()).size());
    const QFont footerFont = SheetFont(language, 8);
    const qreal footerHeight = QFontMetricsF(footerFont, &device).height() * 2;

    QTextDocument doc;
    doc.documentLayout()->setPaintDevice(&device);
    doc.setDefaultFont(SheetFont(language, 9));
    doc.setDocumentMargin(0);
    doc.setHtml(html);
    const QSizeF body(area.width(), area.height() - footerHeight);
    doc.setPageSize(body);
    const int pages = doc.pageCount();
    for (int page = 0; page < pages; ++page) {
        if (page > 0 && !device.newPage()) return page;
        painter.save();
        painter.translate(0, -page * body.height());
        doc.drawContents(&painter, QRectF(QPointF(0, page * body.height()), body));
        painter.restore();
        painter.setFont(footerFont);
        painter.setPen(Qt::darkGray);
        const QRectF foot(0, area.height() - footerHeight / 2, area.width(), footerHeight / 2);
        painter.drawLine(foot.topLeft(), foot.topRight());
        painter.drawText(foot, Qt::AlignRight | Qt::AlignBottom, footer(page + 1, pages));
    }
    return painter.end() ? pages : 0;
}

int PaintProject(const StoreContext& ctx, QPagedPaintDevice& device) {
    const ProjectSheetData sheet = ProjectSheet::Collect(ctx);
    return Paint(device, ProjectSheet::Html(sheet, ctx.ml), ctx.ml.AppliedLang,
                 [&](int page, int pages) {
                     return ProjectSheet::Footer(ctx.ml, sheet.projectName, page, pages);
                 });
}

bool WritePdf(StoreContext& ctx, const QString& path, QPageSize::PageSizeId paper) {
    const MLText T{ctx.ml, QStringLiteral("ProjectSheet")};
    QSaveFile file(path);
    QString why;
    if (file.open(QIODevice::WriteOnly)) {
        int pages = 0;
        {
            QPdfWriter pdf(&file);
            pdf.setCreator(QStringLiteral("KORVA"));
            pdf.setTitle(ctx.project.ProjName);
            pdf.setPageLayout(QPageLayout(QPageSize(paper), QPageLayout::Portrait,
                                          QMarginsF(15, 15, 15, 12), QPageLayout::Millimeter));
            pages = PaintProject(ctx, pdf);
        }
        if (pages > 0 && file.commit()) return true;
        why = file.errorString();
    } else {
        why = file.errorString();
    }
    ctx.ui.MsgBox(T(QStringLiteral("無法寫入PDF檔案["), 1, 8) + QDir::toNativeSeparators(path) +
                      QStringLiteral("]") + VBUtil::kCrLf + why,
                  vbOKOnly | vbCritical, T(QStringLiteral("匯出PDF失敗"), 2, 8));
    return false;
}

bool ExportPdf(StoreContext& ctx) {
    const MLText T{ctx.ml, QStringLiteral("ProjectSheet")};
    if (!ctx.project.IsOpen()) return false;
    FileDialogSetup setup;
    setup.title = T(QStringLiteral("匯出PDF"), 3, 8);
    setup.filter = T(QStringLiteral("PDF檔案 (*.pdf)|*.pdf"), 4, 8);
    setup.initialDir = QFileInfo(ctx.project.ProjPath).absolutePath();
    setup.defaultName = ctx.project.ProjName + QStringLiteral(".pdf");
    setup.overwritePrompt = true;
    const std::optional<QString> chosen = ctx.ui.FileDialog(FileDialogKind::Save, setup);
    QDir::setCurrent(ctx.programFolder);
    if (!chosen || chosen->isEmpty()) return false;
    ctx.ui.SetBusy(true);
    const bool ok = WritePdf(ctx, *chosen, DefaultPaper());
    ctx.ui.SetBusy(false);
    if (ok)
        ctx.ui.SetStatusText(QStringLiteral("Status"),
                             T(QStringLiteral("已匯出專案資料表至["), 1, 20211) + *chosen + u']');
    return ok;
}

} // namespace SheetPrint
