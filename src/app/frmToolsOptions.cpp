#include "app/frmToolsOptions.h"

#include "app/AppContext.h"
#include "app/ToolsOptions.h"
#include "mainwindow/MainWindows.h"
#include "mainwindow/frmMain.h"
#include "ui_frmToolsOptions.h"

frmToolsOptions::frmToolsOptions(AppContext& ctx, QWidget* parent)
    : QtFormDialog(ctx.ml, QStringLiteral("frmToolsOptions"), parent), m_ctx(ctx) {
    connect(ui->CmdOK, &QPushButton::clicked, this, &frmToolsOptions::CmdOK_Click);
    connect(ui->cmdExit, &QPushButton::clicked, this, &frmToolsOptions::cmdExit_Click);
    connect(ui->cmdSetDefault, &QPushButton::clicked, this, &frmToolsOptions::cmdSetDefault_Click);
}

frmToolsOptions::~frmToolsOptions() = default;

void frmToolsOptions::LoadFormObj() {
    const ToolsOptions::Texts t = ToolsOptions::LoadFormObj(m_ctx.comm);
    ui->txtRetry->setText(t.retry);
    ui->txtTimeOut->setText(t.timeOut);
    ui->cmbLanguage->clear();
    for (const ToolsOptions::LanguageChoice& c : ToolsOptions::LanguageChoices(m_ctx.ml)) {
        ui->cmbLanguage->addItem(c.caption, c.name);
        if (c.name == m_ctx.ml.AppliedLangName)
            ui->cmbLanguage->setCurrentIndex(ui->cmbLanguage->count() - 1);
    }
}

bool frmToolsOptions::CheckFormObj() {
    QString focus;
    if (ToolsOptions::CheckFormObj(m_ctx, {ui->txtRetry->text(), ui->txtTimeOut->text(), QString()},
                                   &focus))
        return true;
    if (auto* box = findChild<QLineEdit*>(focus)) {
        box->setFocus();
        box->selectAll();
    }
    return false;
}

bool frmToolsOptions::SaveFormObj() {
    return ToolsOptions::SaveFormObj(m_ctx, {ui->txtRetry->text(), ui->txtTimeOut->text(),
                                             ui->cmbLanguage->currentData().toString()});
}

void frmToolsOptions::CmdOK_Click() {
    if (!CheckFormObj()) return;
    // A file that could not be written has been reported; the values are in use anyway.
    SaveFormObj();
    accept();
}

void frmToolsOptions::cmdExit_Click() {
    reject();
}

void frmToolsOptions::cmdSetDefault_Click() {
    const ToolsOptions::Texts t = ToolsOptions::Defaults();
    ui->txtRetry->setText(t.retry);
    ui->txtTimeOut->setText(t.timeOut);
}

void frmToolsOptions::Register(frmMain& main, AppContext& ctx) {
    main.RegisterWindow(Windows::frmToolsOptions, [&ctx](QWidget* parent) {
        // A child of the main window, made once and deleted with it.
        auto* dlg = parent->findChild<frmToolsOptions*>(QString(), Qt::FindDirectChildrenOnly);
        if (!dlg) dlg = new frmToolsOptions(ctx, parent);
        dlg->LoadFormObj();
        return dlg->exec() == QDialog::Accepted;
    });
}
