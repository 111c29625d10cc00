#include "device/frmDebug.h"

#include "device/DeviceContext.h"
#include "ml/MLText.h"
#include "ml/MLUtil.h"
#include "ui_frmDebug.h"

#include <QFontDatabase>
#include <QHeaderView>

namespace {
enum Column { ColName, ColValue, ColAddress, ColCount };
constexpr int kKeyRole = Qt::UserRole;
constexpr int kTagRole = Qt::UserRole + 1;
} // namespace

frmDebug::frmDebug(DeviceContext& ctx, QWidget* parent)
    : QtFormDialog(ctx.ml, QStringLiteral("frmDebug"), parent), m_ctx(ctx) {
    const MLText T{ctx.ml, QStringLiteral("DebugRegisters")};
    ui->lvBasicInfo->setHeaderLabels(
        {T(QStringLiteral("項目"), 1, 2), T(QStringLiteral("數值 (16 進位)"), 2, 2),
         T(QStringLiteral("位址"), 3, 2), T(QStringLiteral("暫存器數"), 4, 2)});
    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    ui->lblSNNo->setFont(fixed);
    ui->lblCommSettings->setFont(fixed);
    connect(ui->cmdRead, &QPushButton::clicked, this, &frmDebug::cmdRead_Click);
    connect(ui->cmdClose, &QPushButton::clicked, this, &QDialog::reject);
}

frmDebug::~frmDebug() = default;

QTreeWidget* frmDebug::lvBasicInfo() const {
    return ui->lvBasicInfo;
}

void frmDebug::LoadFormObj() {
    DebugRegisters::LoadFormObj(m_ctx, m_form);
    ShowForm();
    // Name, value (16 hexadecimal digits at most), address and count all visible at once.
    QTreeWidget* lv = ui->lvBasicInfo;
    for (int c = 0; c < lv->columnCount(); ++c)
        lv->resizeColumnToContents(c);
    const int valueWidth = QFontMetrics(QFontDatabase::systemFont(QFontDatabase::FixedFont))
                               .horizontalAdvance(QString(18, u'0'));
    lv->setColumnWidth(ColValue, std::max(lv->columnWidth(ColValue), valueWidth));
    int width = lv->frameWidth() * 2 + 24;
    for (int c = 0; c < lv->columnCount(); ++c)
        width += lv->columnWidth(c);
    lv->setMinimumWidth(width);
    lv->setMinimumHeight(lv->header()->sizeHint().height() +
                         lv->sizeHintForRow(0) * (lv->topLevelItemCount() + 1));
    adjustSize();
}

void frmDebug::ShowForm() {
    ui->lblSNNo->setText(m_form.lblSNNo);
    ui->lblCommSettings->setText(m_form.lblCommSettings);
    QTreeWidget* lv = ui->lvBasicInfo;
    if (lv->topLevelItemCount() != m_form.rows.size()) {
        lv->clear();
        const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        for (const DebugRegisterRow& row : m_form.rows) {
            auto* item = new QTreeWidgetItem(
                lv, QStringList{row.name, QString(), row.addressText, row.count});
            item->setData(ColName, kKeyRole, row.key);
            item->setData(ColName, kTagRole, row.tag);
            item->setFont(ColValue, fixed);
            item->setFont(ColAddress, fixed);
            item->setTextAlignment(ColCount, Qt::AlignRight | Qt::AlignVCenter);
        }
    }
    for (int i = 0; i < m_form.rows.size(); ++i)
        lv->topLevelItem(i)->setText(ColValue, m_form.values.value(i));
}

void frmDebug::cmdRead_Click() {
    ui->cmdRead->setEnabled(false);
    QTreeWidget* lv = ui->lvBasicInfo;
    DebugRegisters::cmdRead_Click(m_ctx, m_form, [&](int i) {
        if (QTreeWidgetItem* item = lv->topLevelItem(i))
            item->setText(ColValue, m_form.values.value(i));
    });
    ShowForm();
    ui->cmdRead->setEnabled(true);
}

bool frmDebug::Run(DeviceContext& ctx, QWidget* parent) {
    frmDebug window(ctx, parent);
    window.LoadFormObj();
    return window.exec() == QDialog::Accepted;
}
