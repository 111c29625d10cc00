#include "mainwindow/frmAbout.h"

#include "Version.h"
#include "base/QtIcons.h"
#include "device/DeviceWindows.h"
#include "mainwindow/MainContext.h"
#include "ui_frmAbout.h"

#include <QMouseEvent>

frmAbout::frmAbout(MainContext& ctx, QWidget* parent)
    : QtFormDialog(ctx.ml, QStringLiteral("frmAbout"), parent), m_ctx(ctx) {
    ui->lblVersion->setText(ui->lblVersion->text() + VersionNumber());

    QFont title = ui->lblTitle->font();
    title.setPointSizeF(title.pointSizeF() * 1.3);
    title.setBold(true);
    ui->lblTitle->setFont(title);
    const int side = ui->picIcon->minimumWidth();
    ui->picIcon->setPixmap(QtIcons::AppIcon().pixmap(QSize(side, side), devicePixelRatio()));
    ui->picIcon->installEventFilter(this);
    connect(ui->cmdOK, &QPushButton::clicked, this, &QDialog::accept);
    adjustSize();
}

frmAbout::~frmAbout() = default;

QString frmAbout::VersionNumber() {
    return QString::number(KORVA_VERSION_MAJOR) + u'.' + QString::number(KORVA_VERSION_MINOR) +
           u'.' + QString::number(KORVA_VERSION_PATCH);
}

bool frmAbout::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui->picIcon && event->type() == QEvent::MouseButtonRelease) {
        const auto* e = static_cast<QMouseEvent*>(event);
        const Qt::KeyboardModifiers held =
            e->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier);
        if (e->button() == Qt::RightButton && held == (Qt::ControlModifier | Qt::AltModifier)) {
            m_ctx.ui.ShowModal(Windows::frmDiagnostic);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
