#include "editing/SheetPrint.h"

#include "base/VBUtil.h"
#include "editing/ProjectSheet.h"
#include "ml/MLText.h"
#include "ml/MLUtil.h"
#include "store/StoreContext.h"

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QHash>
#include <QLocale>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QTextTable>
#include <cmath>
#include <limits>

namespace SheetPrint {
namespace {
// Han characters in the glyph forms of the language shown, as on the screen.
QFont SheetFont(const QString& language, int pointSize) {
    QFont f;
    f.setFamilies({QStringLiteral("Noto Sans"), language == QLatin1String("ChineseGB")
                                                    ? QStringLiteral("Noto Sans CJK SC")
                                                    : QStringLiteral("Noto Sans CJK TC")});
    f.setPointSize(pointSize);
    // Unshaped, every glyph is the one the character map gives for its character, so the
    // PDF's text layer can name it: shaping put ligatures ("fi") and digit forms no character
    // maps to (they fell out of the text layer) in their place.
    f.setStyleStrategy(QFont::PreferNoShaping);
    return f;
}
// Every table of the frame and the frames within it.
void CollectTables(QTextFrame* frame, QList<QTextTable*>& tables) {
    for (QTextFrame* child : frame->childFrames()) {
        if (auto* table = qobject_cast<QTextTable*>(child)) tables << table;
        CollectTables(child, tables);
    }
}

// The vertical extent of a table row in document coordinates, its cells' padding and
// border included.
std::pair<qreal, qreal> RowExtent(const QTextDocument& doc, QTextTable* table, int row) {
    qreal top = std::numeric_limits<qreal>::max();
    qreal bottom = std::numeric_limits<qreal>::lowest();
    for (int c = 0; c < table->columns(); ++c) {
        const QTextTableCell cell = table->cellAt(row, c);
        for (auto it = cell.begin(); !it.atEnd(); ++it) {
            const QTextBlock block = it.currentBlock();
            if (!block.isValid()) continue;
            const QRectF r = doc.documentLayout()->blockBoundingRect(block);
            top = std::min(top, r.top());
            bottom = std::max(bottom, r.bottom());
        }
    }
    const qreal edge = table->format().cellPadding() + table->format().border();
    return {top - edge, bottom + edge};
}

// Moves the rows from row on into a new table of the same format, after this one, that
// starts on a new page and repeats the header rows; returns the new table.
QTextTable* MoveRowsToNewTable(QTextTable* table, int row) {
    QTextTableFormat format = table->format();
    const int header = format.headerRowCount();
    const int rows = table->rows();
    const int columns = table->columns();
    format.setPageBreakPolicy(format.pageBreakPolicy() | QTextFormat::PageBreak_AlwaysBefore);
    QTextCursor after = table->lastCursorPosition();
    after.movePosition(QTextCursor::NextBlock);
    after.beginEditBlock(); // laid out once, at the end
    QTextTable* moved = after.insertTable(header + rows - row, columns, format);
    const auto copyRow = [&](int from, int to) {
        for (int c = 0; c < columns; ++c) {
            const QTextTableCell source = table->cellAt(from, c);
            if (source.column() != c) continue; // spanned
            QTextTableCell target = moved->cellAt(to, c);
            target.setFormat(source.format());
            QTextCursor text = source.firstCursorPosition();
            text.setPosition(source.lastCursorPosition().position(), QTextCursor::KeepAnchor);
            target.firstCursorPosition().insertFragment(text.selection());
        }
    };
    for (int r = 0; r < header; ++r)
        copyRow(r, r);
    for (int r = row; r < rows; ++r)
        copyRow(r, header + r - row);
    table->removeRows(row, rows - row);
    after.endEditBlock();
    return moved;
}
} // namespace

void KeepRowsWhole(QTextDocument& doc) {
    const qreal page = doc.pageSize().height();
    if (page <= 0) return;
    // Each table cell is laid out on its own, so a page break set in a row's cells would
    // move each cell by itself. A cut row instead begins a table of its own that starts on
    // the next page, with the header rows repeated; a table whose first row would be cut
    // starts on the next page. What comes before a move stays where it is, so the tables are
    // looked at once, in document order, the new ones included.
    QList<QTextTable*> tables;
    CollectTables(doc.rootFrame(), tables);
    for (qsizetype t = 0; t < tables.size(); ++t) {
        QTextTable* table = tables[t];
        const int header = table->format().headerRowCount();
        for (int r = header; r < table->rows(); ++r) {
            const auto [top, bottom] = RowExtent(doc, table, r);
            if (bottom <= top || bottom - top >= page) continue; // cannot be kept whole
            if (std::floor(top / page) == std::floor((bottom - 1) / page)) continue;
            QTextTableFormat format = table->format();
            if (r > header) {
                tables.insert(t + 1, MoveRowsToNewTable(table, r));
                break;
            }
            if (format.pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore) continue;
            format.setPageBreakPolicy(format.pageBreakPolicy() |
                                      QTextFormat::PageBreak_AlwaysBefore);
            table->setFormat(format);
            --r; // its rows again, from the new page
        }
    }
}

QByteArray ShownTextLayer(const QByteArray& pdf, const QString& shown) {
    // The radicals to rewrite: those with a one-character decomposition the text shows.
    QHash<uint, uint> unify;
    const auto consider = [&](uint radical) {
        const QString d = QChar(char16_t(radical)).decomposition();
        if (d.size() == 1 && shown.contains(d[0]) && !shown.contains(QChar(char16_t(radical))))
            unify.insert(radical, d[0].unicode());
    };
    for (uint c = 0x2E80; c <= 0x2EFF; ++c)
        consider(c);
    for (uint c = 0x2F00; c <= 0x2FDF; ++c)
        consider(c);
    if (unify.isEmpty()) return pdf;

    QByteArray out = pdf;
    const QByteArray begin = "beginbfrange\n", end = "endbfrange";
    for (qsizetype at = out.indexOf(begin); at >= 0; at = out.indexOf(begin, at)) {
        at += begin.size();
        const qsizetype stop = out.indexOf(end, at);
        if (stop < 0) break;
        // Each line: <first glyph> <last glyph> then <code> or [<code> <code> ...].
        for (qsizetype line = at; line < stop;) {
            qsizetype eol = out.indexOf('\n', line);
            if (eol < 0 || eol > stop) eol = stop;
            int token = 0;
            for (qsizetype i = line; i + 5 < eol; ++i) {
                if (out[i] != '<' || out[i + 5] != '>') continue;
                if (token++ < 2) continue; // the glyph range
                bool ok = false;
                const uint code = out.mid(i + 1, 4).toUInt(&ok, 16);
                if (ok && unify.contains(code))
                    out.replace(
                        i + 1, 4,
                        QByteArray::number(unify.value(code), 16).toUpper().rightJustified(4, '0'));
                i += 5;
            }
            line = eol + 1;
        }
        at = stop;
    }
    return out;
}

QPageSize::PageSizeId DefaultPaper() {
    return QLocale::system().measurementSystem() == QLocale::ImperialUSSystem ? QPageSize::Letter
                                                                              : QPageSize::A4;
}

int Paint(QPagedPaintDevice& device, const QString& html, const QString& language,
          const std::function<QString(int, int)>& footer, QString* shown) {
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
    KeepRowsWhole(doc);
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
        const QString footText = footer(page + 1, pages);
        painter.drawText(foot, Qt::AlignRight | Qt::AlignBottom, footText);
        if (shown) *shown += footText;
    }
    if (shown) *shown += doc.toPlainText();
    return painter.end() ? pages : 0;
}

int PaintProject(const StoreContext& ctx, QPagedPaintDevice& device, QString* shown) {
    const ProjectSheetData sheet = ProjectSheet::Collect(ctx);
    return Paint(
        device, ProjectSheet::Html(sheet, ctx.ml), ctx.ml.AppliedLang,
        [&](int page, int pages) {
            return ProjectSheet::Footer(ctx.ml, sheet.projectName, page, pages);
        },
        shown);
}

bool WritePdf(StoreContext& ctx, const QString& path, QPageSize::PageSizeId paper) {
    const MLText T{ctx.ml, QStringLiteral("ProjectSheet")};
    QSaveFile file(path);
    QString why;
    if (file.open(QIODevice::WriteOnly)) {
        int pages = 0;
        QByteArray bytes;
        QString shown;
        {
            QBuffer buffer(&bytes);
            buffer.open(QIODevice::WriteOnly);
            QPdfWriter pdf(&buffer);
            pdf.setCreator(QStringLiteral("KORVA"));
            pdf.setTitle(ctx.project.ProjName);
            pdf.setPageLayout(QPageLayout(QPageSize(paper), QPageLayout::Portrait,
                                          QMarginsF(15, 15, 15, 12), QPageLayout::Millimeter));
            pages = PaintProject(ctx, pdf, &shown);
        }
        bytes = ShownTextLayer(bytes, shown);
        if (pages > 0 && file.write(bytes) == bytes.size() && file.commit()) return true;
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
