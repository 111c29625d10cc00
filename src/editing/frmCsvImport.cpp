#include "editing/frmCsvImport.h"

#include "editing/EditContext.h"
#include "ml/MLText.h"
#include "ui_frmCsvImport.h"

#include <QHeaderView>
#include <QPalette>

frmCsvImport::frmCsvImport(EditContext& ctx, QWidget* parent)
    : QtFormDialog(ctx.ml, QStringLiteral("frmCsvImport"), parent), m_ctx(ctx) {
    const MLText T{ctx.ml, QStringLiteral("CsvExchange")};
    ui->lvRows->setHeaderLabels({T(QStringLiteral("列"), 1, 11), T(QStringLiteral("結果"), 2, 11),
                                 T(QStringLiteral("名稱"), 3, 11),
                                 T(QStringLiteral("說明"), 4, 11)});
    ui->lvRows->header()->setStretchLastSection(true);
    connect(ui->chkCreateGroups, &QCheckBox::toggled, this, [this](bool checked) {
        m_ctx.forms.csvImport.chkCreateGroups_Click(m_ctx, checked);
        ShowPlan();
    });
    connect(ui->cmdOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(ui->cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
}

frmCsvImport::~frmCsvImport() = default;

void frmCsvImport::LoadFormObj() {
    const CsvImportForm& f = m_ctx.forms.csvImport;
    ui->lblFile->setText(f.path);
    const QSignalBlocker quiet(ui->chkCreateGroups);
    ui->chkCreateGroups->setChecked(f.chkCreateGroups);
    ShowPlan();
}

void frmCsvImport::ShowPlan() {
    const CsvImportForm& f = m_ctx.forms.csvImport;
    QTreeWidget* list = ui->lvRows;
    list->clear();
    const QBrush refused = palette().brush(QPalette::Disabled, QPalette::Text);
    for (const CsvExchange::RowVerdict& r : f.plan.rows) {
        auto* item = new QTreeWidgetItem(list, {QString::number(r.line),
                                                CsvExchange::VerdictText(m_ctx.ml, r.verdict),
                                                r.key, r.details});
        item->setToolTip(3, r.details);
        if (r.verdict == CsvExchange::Verdict::Refused)
            for (int c = 0; c < 3; ++c)
                item->setForeground(c, refused);
    }
    for (int c = 0; c < 3; ++c)
        list->resizeColumnToContents(c);
    ui->lblSummary->setText(f.Summary(m_ctx.ml));
    ui->cmdOK->setEnabled(f.plan.HasWork());
}
