#include "device/frmCommLog.h"

#include "device/CommLog.h"
#include "device/CommLogCells.h"
#include "device/DeviceContext.h"
#include "ml/QtFormTexts.h"
#include "ui_frmCommLog.h"

#include <QClipboard>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QHeaderView>
#include <QScreen>
#include <QScrollBar>
#include <QShortcut>

frmCommLog::frmCommLog(DeviceContext& ctx, CommLogModel& log, QWidget* parent)
    : QWidget(parent, Qt::Window), m_ctx(ctx), m_log(log),
      ui(std::make_unique<Forms::Ui_frmCommLog>()) {
    ui->setupUi(this);
    QtFormTexts::Apply(this, ctx.ml, QStringLiteral("frmCommLog"));
    QTableView* tv = ui->tvLog;
    tv->setModel(&log);
    tv->verticalHeader()->hide();
    tv->verticalHeader()->setDefaultSectionSize(tv->fontMetrics().height() + 4);
    tv->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    tv->setShowGrid(false); // the cells draw it
    tv->setItemDelegate(new CommLogCells(tv->font(), true, tv));
    QHeaderView* h = tv->horizontalHeader();
    const QFontMetrics fm(tv->font());
    h->resizeSection(CommLogModel::ColTime,
                     fm.horizontalAdvance(QStringLiteral("00:00:00.000")) + 16);
    h->resizeSection(CommLogModel::ColDirection,
                     fm.horizontalAdvance(QStringLiteral("Received")) + 16);
    h->resizeSection(CommLogModel::ColLength, fm.horizontalAdvance(QStringLiteral("Length")) + 16);
    h->resizeSection(CommLogModel::ColBytes, fm.horizontalAdvance(QString(3 * 12, u'0')) + 16);
    h->setStretchLastSection(true);

    // New rows scroll into view only while the person is looking at the end of the log.
    connect(tv->verticalScrollBar(), &QScrollBar::valueChanged, this,
            [this, tv](int v) { m_follow = v >= tv->verticalScrollBar()->maximum(); });
    // Frames arrive in batches, a few a second at most: the view lays out, scrolls and
    // paints once for each batch, however fast the frames come.
    log.SetBatchInterval(kBatchMs);
    connect(&log, &QAbstractItemModel::rowsInserted, this, [this, tv] {
        if (m_follow && isVisible()) tv->scrollToBottom();
    });
    connect(ui->cmdCopy, &QPushButton::clicked, this, &frmCommLog::cmdCopy_Click);
    connect(ui->cmdSave, &QPushButton::clicked, this, &frmCommLog::cmdSave_Click);
    connect(ui->cmdClear, &QPushButton::clicked, this, &frmCommLog::cmdClear_Click);
    connect(ui->cmdClose, &QPushButton::clicked, this, &QWidget::close);
    auto* copy = new QShortcut(QKeySequence::Copy, tv);
    copy->setContext(Qt::WidgetShortcut);
    connect(copy, &QShortcut::activated, this, &frmCommLog::cmdCopy_Click);
}

frmCommLog::~frmCommLog() {
    m_log.SetBatchInterval(0);
}

QTableView* frmCommLog::tvLog() const {
    return ui->tvLog;
}

void frmCommLog::ShowBeside(QWidget* mainWindow) {
    if (!isVisible() && mainWindow) {
        const QRect main = mainWindow->frameGeometry();
        QPoint at(main.right() + 8, main.top());
        if (const QScreen* s = mainWindow->screen()) {
            const QRect avail = s->availableGeometry();
            at.setX(std::max(avail.left(), std::min(at.x(), avail.right() - width())));
            at.setY(std::max(avail.top(), std::min(at.y(), avail.bottom() - height())));
        }
        move(at);
    }
    m_log.Flush();
    show();
    raise();
    activateWindow();
    ui->tvLog->scrollToBottom();
}

QString frmCommLog::cmdCopy_Click() {
    QList<int> rows;
    for (const QModelIndex& i : ui->tvLog->selectionModel()->selectedRows())
        rows << i.row();
    if (rows.isEmpty()) return {};
    const QString text = m_log.Text(rows);
    QGuiApplication::clipboard()->setText(text);
    return text;
}

void frmCommLog::cmdSave_Click() {
    m_log.Flush();
    CommLog::SaveLog(m_ctx, m_log);
}

void frmCommLog::cmdClear_Click() {
    m_log.Clear();
}
