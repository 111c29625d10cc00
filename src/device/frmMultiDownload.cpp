#include "device/frmMultiDownload.h"

#include "device/ComPort.h"
#include "device/DeviceContext.h"
#include "device/Download.h"
#include "ml/MLText.h"
#include "ui_frmMultiDownload.h"

#include <QDir>
#include <QHeaderView>
#include <QProgressBar>

namespace {
constexpr int kPortRole = Qt::UserRole;
constexpr int kDemoRole = Qt::UserRole + 1;
} // namespace

frmMultiDownload::frmMultiDownload(DeviceContext& ctx, QWidget* parent)
    : QtFormDialog(ctx.ml, QStringLiteral("frmMultiDownload"), parent), m_ctx(ctx) {
    const MLText T{ctx.ml, QStringLiteral("MultiDownload")};
    ui->tblPorts->setHorizontalHeaderLabels(
        {T(QStringLiteral("通訊埠"), 1, 25006), T(QStringLiteral("序號"), 2, 25006),
         T(QStringLiteral("型號"), 3, 25006), T(QStringLiteral("進度"), 7, 25006),
         T(QStringLiteral("結果"), 4, 25006)});
    ui->tblPorts->verticalHeader()->hide();
    QHeaderView& header = *ui->tblPorts->horizontalHeader();
    for (int c : {ColPort, ColSerial, ColModel})
        header.setSectionResizeMode(c, QHeaderView::ResizeToContents);
    header.setSectionResizeMode(ColProgress, QHeaderView::Interactive);
    header.resizeSection(ColProgress, 180);
    header.setSectionResizeMode(ColResult, QHeaderView::Stretch);
    connect(ui->cmdStart, &QPushButton::clicked, this, &frmMultiDownload::cmdStart_Click);
    connect(ui->cmdCancel, &QPushButton::clicked, this, &frmMultiDownload::cmdCancel_Click);
    connect(ui->cmdClose, &QPushButton::clicked, this, &frmMultiDownload::reject);
    connect(ui->cmdAdd, &QPushButton::clicked, this, &frmMultiDownload::cmdAdd_Click);
    connect(ui->txtPort, &QLineEdit::returnPressed, this, &frmMultiDownload::cmdAdd_Click);
    connect(ui->spnDemo, &QSpinBox::valueChanged, this, &frmMultiDownload::spnDemo_Change);
}

frmMultiDownload::~frmMultiDownload() = default;

QTableWidget* frmMultiDownload::tblPorts() const {
    return ui->tblPorts;
}
QSpinBox* frmMultiDownload::spnDemo() const {
    return ui->spnDemo;
}
QPushButton* frmMultiDownload::cmdStart() const {
    return ui->cmdStart;
}
QPushButton* frmMultiDownload::cmdCancel() const {
    return ui->cmdCancel;
}

void frmMultiDownload::LoadFormObj() {
    const ComPortChoices choices = ComPort::LoadFormObj(m_ctx);
    ui->tblPorts->setRowCount(0);
    for (int i = 0; i < choices.items.size(); ++i)
        if (i != choices.demoIndex) AddRow(choices.items[i], choices.ports[i], false, false);
    ui->spnDemo->setEnabled(choices.demoIndex >= 0);
    spnDemo_Change(ui->spnDemo->value());
}

void frmMultiDownload::AddRow(const QString& label, const QString& port, bool demo, bool ticked) {
    QTableWidget& t = *ui->tblPorts;
    const int row = t.rowCount();
    t.insertRow(row);
    auto* item = new QTableWidgetItem(label);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
    item->setCheckState(ticked ? Qt::Checked : Qt::Unchecked);
    item->setData(kPortRole, port);
    item->setData(kDemoRole, demo);
    t.setItem(row, ColPort, item);
    for (int c = ColSerial; c <= ColResult; ++c)
        if (c != ColProgress) t.setItem(row, c, new QTableWidgetItem);
    auto* bar = new QProgressBar;
    bar->setValue(0);
    bar->setTextVisible(true);
    bar->setFormat(QString());
    t.setCellWidget(row, ColProgress, bar);
}

// The simulated device as many times as asked, each row ticked.
void frmMultiDownload::spnDemo_Change(int count) {
    if (m_running) return;
    QTableWidget& t = *ui->tblPorts;
    for (int row = t.rowCount() - 1; row >= 0; --row)
        if (t.item(row, ColPort)->data(kDemoRole).toBool()) t.removeRow(row);
    const MLText P{m_ctx.ml, QStringLiteral("ComPort")};
    const QString demo = P(QStringLiteral("模擬裝置 (示範)"), 1, 7301);
    for (int i = 1; i <= count; ++i)
        AddRow(demo + u' ' + QString::number(i), QString(), true, true);
}

void frmMultiDownload::cmdAdd_Click() {
    AddTypedPort(ui->txtPort->text());
    ui->txtPort->clear();
}

void frmMultiDownload::AddTypedPort(const QString& port) {
    const QString p = port.trimmed();
    if (p.isEmpty() || m_running) return;
    AddRow(p, p, false, true);
}

void frmMultiDownload::cmdStart_Click() {
    if (m_running) return;
    const MLText T{m_ctx.ml, QStringLiteral("MultiDownload")};
    QTableWidget& t = *ui->tblPorts;
    QStringList labels, ports;
    m_rowOf.clear();
    for (int row = 0; row < t.rowCount(); ++row) {
        const QTableWidgetItem* item = t.item(row, ColPort);
        if (item->checkState() != Qt::Checked) continue;
        labels << item->text();
        ports << item->data(kPortRole).toString();
        m_rowOf << row;
    }
    if (labels.isEmpty()) {
        m_ctx.ui.MsgBox(T(QStringLiteral("請勾選至少一個通訊埠。"), 1, 25008),
                        vbOKOnly | vbExclamation,
                        T(QStringLiteral("下載專案至多台簡訊報警機"), 3, 25005));
        return;
    }
    // The children read the project file: it must hold what is open.
    if (!Download::SaveForDownload(m_ctx)) return;
    const QString dumpBase =
        m_ctx.link.dumpDir.isEmpty() ? QDir::currentPath() : m_ctx.link.dumpDir;
    QVector<BenchTarget> targets;
    QString failed;
    if (!MultiDownload::MakeTargets(labels, ports, dumpBase, targets, failed)) {
        m_ctx.ui.MsgBox(T(QStringLiteral("無法建立下載記錄檔的資料夾 %1。"), 2, 25008).arg(failed),
                        vbOKOnly | vbCritical,
                        T(QStringLiteral("下載專案至多台簡訊報警機"), 3, 25005));
        return;
    }
    for (int row : m_rowOf) {
        for (int c : {ColSerial, ColModel, ColResult})
            t.item(row, c)->setText(QString());
        auto* bar = static_cast<QProgressBar*>(t.cellWidget(row, ColProgress));
        bar->setRange(0, 1);
        bar->setValue(0);
        bar->setFormat(QString());
    }
    m_run = std::make_unique<MultiDownload>(m_ctx.ml, MultiDownload::ProgramBeside(m_ctx.exeFolder),
                                            MultiDownload::WindowArguments(m_ctx));
    connect(m_run.get(), &MultiDownload::changed, this, &frmMultiDownload::PortChanged);
    connect(m_run.get(), &MultiDownload::settled, this, &frmMultiDownload::Settled);
    connect(m_run.get(), &MultiDownload::finished, this, &frmMultiDownload::Finished);
    SetRunning(true);
    m_run->Start(targets);
}

void frmMultiDownload::cmdCancel_Click() {
    if (m_running) m_run->Cancel();
}

void frmMultiDownload::reject() {
    if (!m_running) {
        QDialog::reject();
        return;
    }
    m_closeWhenDone = true;
    m_run->Cancel();
}

void frmMultiDownload::PortChanged(int index) {
    const BenchPort& p = m_run->Ports()[index];
    QTableWidget& t = *ui->tblPorts;
    const int row = m_rowOf.value(index, -1);
    if (row < 0) return;
    t.item(row, ColSerial)->setText(p.serialNo);
    t.item(row, ColModel)->setText(p.model);
    auto* bar = static_cast<QProgressBar*>(t.cellWidget(row, ColProgress));
    const QString state = MultiDownload::StateText(m_ctx.ml, p);
    if (p.outcome == BenchOutcome::Ok) {
        bar->setRange(0, 1);
        bar->setValue(1);
        bar->setFormat(state);
    } else if (!p.Finished() && !p.area.isEmpty()) {
        bar->setRange(0, std::max(p.total, 1));
        bar->setValue(p.done);
        bar->setFormat(state + QStringLiteral(" %v/%m"));
    } else {
        bar->setFormat(state);
    }
    if (p.Finished()) {
        QTableWidgetItem* result = t.item(row, ColResult);
        result->setText(p.text.isEmpty() ? state : state + QStringLiteral(": ") + p.text);
        result->setToolTip(p.text);
    }
}

// Every port is ready or ended: one confirmation for all of them.
void frmMultiDownload::Settled() {
    if (m_run->ReadyCount() == 0 || m_run->Cancelled()) return;
    const MsgResult answer =
        m_ctx.ui.MsgBox(m_run->ConfirmText(), vbOKCancel | vbQuestion, m_run->Title());
    if (answer == vbOK && !m_run->Cancelled())
        m_run->Go();
    else
        m_run->Cancel();
}

void frmMultiDownload::Finished() {
    SetRunning(false);
    if (m_closeWhenDone) QDialog::reject();
}

void frmMultiDownload::SetRunning(bool running) {
    m_running = running;
    ui->cmdStart->setEnabled(!running);
    ui->cmdClose->setEnabled(!running);
    ui->cmdCancel->setEnabled(running);
    ui->spnDemo->setEnabled(!running);
    ui->tblPorts->setEnabled(true);
    QTableWidget& t = *ui->tblPorts;
    for (int row = 0; row < t.rowCount(); ++row) {
        QTableWidgetItem* item = t.item(row, ColPort);
        item->setFlags(running
                           ? Qt::ItemIsEnabled | Qt::ItemIsSelectable
                           : Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
    }
}

void frmMultiDownload::Run(DeviceContext& ctx, QWidget* parent) {
    frmMultiDownload dialog(ctx, parent);
    dialog.LoadFormObj();
    dialog.exec();
}
