#include "mainwindow/frmDownloadHistory.h"

#include "base/CsvUtil.h"
#include "db/FileUtil.h"
#include "mainwindow/DownloadHistoryView.h"
#include "mainwindow/MainContext.h"
#include "ml/MLText.h"

#include <QApplication>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSaveFile>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QVBoxLayout>

frmCompare::frmCompare(const QString& title, const QString& heading, const QStringList& lines,
                       const QString& closeText, QWidget* parent)
    : QDialog(parent), m_text(new QPlainTextEdit(this)) {
    setWindowTitle(title);
    auto* layout = new QVBoxLayout(this);
    auto* label = new QLabel(heading, this);
    label->setWordWrap(true);
    layout->addWidget(label);
    m_text->setReadOnly(true);
    m_text->setPlainText(lines.join(QLatin1Char('\n')));
    layout->addWidget(m_text);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(closeText, QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    resize(640, 420);
}

frmDownloadHistory::frmDownloadHistory(MainContext& ctx, QWidget* parent)
    : QDialog(parent), m_ctx(ctx), m_model(new DownloadHistoryModel(ctx.ml, this)),
      m_proxy(new QSortFilterProxyModel(this)), m_table(new QTableView(this)),
      m_filter(new QLineEdit(this)) {
    const MLText T{ctx.ml, QStringLiteral("DownloadHistory")};
    setWindowTitle(T(QStringLiteral("下載記錄"), 1, 23204));
    auto* layout = new QVBoxLayout(this);
    m_filter->setPlaceholderText(T(QStringLiteral("篩選 (序號、專案、結果...)"), 2, 23204));
    m_filter->setClearButtonEnabled(true);
    layout->addWidget(m_filter);
    QString why;
    if (!m_model->Load(DownloadHistory::PathOf(ctx), &why))
        layout->addWidget(
            new QLabel(T(QStringLiteral("無法讀取下載記錄: %1"), 3, 23204).arg(why), this));
    m_proxy->setSourceModel(m_model);
    m_proxy->setSortRole(DownloadHistoryModel::SortRole);
    m_proxy->setFilterCaseSensitivity(Qt::CaseInsensitive);
    m_proxy->setFilterKeyColumn(-1);
    connect(m_filter, &QLineEdit::textChanged, m_proxy,
            &QSortFilterProxyModel::setFilterFixedString);
    m_table->setModel(m_proxy);
    m_table->setSortingEnabled(true);
    m_table->sortByColumn(DownloadHistoryModel::Started, Qt::DescendingOrder);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->resizeColumnsToContents();
    connect(m_table, &QTableView::doubleClicked, this,
            [this](const QModelIndex& index) { ShowDetails(index.row()); });
    layout->addWidget(m_table);

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(T(QStringLiteral("關閉"), 14, 23204), QDialogButtonBox::RejectRole);
    QPushButton* copy =
        buttons->addButton(T(QStringLiteral("複製(&C)"), 4, 23204), QDialogButtonBox::ActionRole);
    QPushButton* csv = buttons->addButton(T(QStringLiteral("匯出 CSV(&E)..."), 5, 23204),
                                          QDialogButtonBox::ActionRole);
    connect(copy, &QPushButton::clicked, this, &frmDownloadHistory::CopySelection);
    connect(csv, &QPushButton::clicked, this, &frmDownloadHistory::ExportCsv);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    resize(900, 480);
}

frmDownloadHistory::~frmDownloadHistory() = default;

QString frmDownloadHistory::SelectedCsv() const {
    QVector<int> rows;
    const QModelIndexList selected = m_table->selectionModel()->selectedRows();
    if (selected.isEmpty())
        for (int r = 0; r < m_proxy->rowCount(); ++r)
            rows << r;
    else
        for (const QModelIndex& i : selected)
            rows << i.row();
    std::sort(rows.begin(), rows.end());
    return DownloadHistoryView::RowsAsCsv(*m_proxy, rows);
}

void frmDownloadHistory::CopySelection() {
    QApplication::clipboard()->setText(SelectedCsv());
}

void frmDownloadHistory::ExportCsv() {
    const MLText T{m_ctx.ml, QStringLiteral("DownloadHistory")};
    FileDialogSetup setup;
    setup.title = T(QStringLiteral("匯出 CSV(&E)..."), 5, 23204).remove(QLatin1Char('&'));
    setup.filter = T(QStringLiteral("CSV 檔案 (*.csv)|*.csv"), 6, 23204);
    setup.defaultName = QStringLiteral("DownloadHistory.csv");
    setup.defaultSuffix = QStringLiteral("csv");
    setup.overwritePrompt = true;
    const auto path = m_ctx.ui.FileDialog(FileDialogKind::Save, setup);
    if (!path || path->isEmpty()) return;
    QSaveFile file(*path);
    const QByteArray bytes = CsvUtil::FileBytes(SelectedCsv());
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        m_ctx.ui.MsgBox(
            T(QStringLiteral("無法寫入 %1: %2"), 7, 23204).arg(*path, file.errorString()),
            vbOKOnly | vbCritical, windowTitle());
}

void frmDownloadHistory::ShowDetails(int proxyRow) {
    const MLText T{m_ctx.ml, QStringLiteral("DownloadHistory")};
    const QModelIndex source = m_proxy->mapToSource(m_proxy->index(proxyRow, 0));
    if (!source.isValid()) return;
    const DownloadAttempt a = m_model->Attempt(source.row());
    QDialog details(this);
    details.setWindowTitle(T(QStringLiteral("下載記錄"), 1, 23204));
    auto* layout = new QVBoxLayout(&details);
    auto* text = new QPlainTextEdit(&details);
    text->setReadOnly(true);
    text->setPlainText(DownloadHistoryView::Details(m_ctx.ml, a).join(QLatin1Char('\n')));
    layout->addWidget(text);
    auto* buttons = new QDialogButtonBox(&details);
    buttons->addButton(T(QStringLiteral("關閉"), 14, 23204), QDialogButtonBox::RejectRole);
    QPushButton* compare = buttons->addButton(
        T(QStringLiteral("與開啟的專案比較(&P)..."), 8, 23204), QDialogButtonBox::ActionRole);
    compare->setEnabled(m_ctx.project.IsOpen());
    connect(compare, &QPushButton::clicked, &details, [&] {
        QStringList lines;
        QString why;
        if (!DownloadHistoryView::CompareWithAttempt(m_ctx, a, lines, &why)) lines = {why};
        frmCompare window(
            T(QStringLiteral("比較"), 9, 23204),
            T(QStringLiteral("由 %1 下載至 %2 的內容到開啟的專案:"), 10, 23204)
                .arg(a.started.toString(QStringLiteral("yyyy-MM-dd HH:mm")), a.serialNo),
            lines, T(QStringLiteral("關閉"), 14, 23204), &details);
        window.exec();
    });
    connect(buttons, &QDialogButtonBox::rejected, &details, &QDialog::reject);
    layout->addWidget(buttons);
    details.resize(560, 400);
    details.exec();
}

namespace CompareWindows {
void CompareWithFile(MainContext& ctx, QWidget* parent) {
    const MLText T{ctx.ml, QStringLiteral("DownloadHistory")};
    if (!ctx.project.IsOpen()) return;
    FileDialogSetup setup;
    setup.title = T(QStringLiteral("比較"), 9, 23204);
    setup.filter = T(QStringLiteral("專案檔 (*.cmb)|*.cmb"), 11, 23204);
    setup.fileMustExist = true;
    const auto path = ctx.ui.FileDialog(FileDialogKind::Open, setup);
    if (!path || path->isEmpty()) return;
    QStringList lines;
    QString why;
    if (!DownloadHistoryView::CompareWithFile(ctx, *path, lines, &why)) {
        ctx.ui.MsgBox(T(QStringLiteral("無法讀取專案 %1: %2"), 12, 23204).arg(*path, why),
                      vbOKOnly | vbCritical, setup.title);
        return;
    }
    frmCompare window(
        setup.title,
        T(QStringLiteral("由開啟的專案到 %1:"), 13, 23204).arg(QDir::toNativeSeparators(*path)),
        lines, T(QStringLiteral("關閉"), 14, 23204), parent);
    window.exec();
}

void CompareWithDialer(MainContext& ctx, QWidget* parent) {
    const MLText T{ctx.ml, QStringLiteral("DownloadHistory")};
    const auto last = DownloadHistoryView::ConnectedDialersLast(ctx);
    if (!last || !ctx.project.IsOpen()) return;
    QStringList lines;
    QString why;
    if (!DownloadHistoryView::CompareWithAttempt(ctx, *last, lines, &why)) lines = {why};
    if (last->HalfProgrammed())
        lines.prepend(DownloadHistoryModel::OutcomeText(ctx.ml, last->outcome) +
                      QStringLiteral(": %1 / %2, %3 / %4")
                          .arg(last->phoneBookSent)
                          .arg(last->phoneBookTotal)
                          .arg(last->messagesSent)
                          .arg(last->messagesTotal));
    frmCompare window(
        T(QStringLiteral("比較"), 9, 23204),
        T(QStringLiteral("由 %1 下載至 %2 的內容到開啟的專案:"), 10, 23204)
            .arg(last->started.toString(QStringLiteral("yyyy-MM-dd HH:mm")), last->serialNo),
        lines, T(QStringLiteral("關閉"), 14, 23204), parent);
    window.exec();
}
} // namespace CompareWindows
