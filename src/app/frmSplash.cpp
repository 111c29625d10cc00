#include "app/frmSplash.h"

#include "Version.h"
#include "base/QtIcons.h"
#include "ml/QtFormTexts.h"
#include "ui_frmSplash.h"

#include <QEvent>
#include <QScreen>

frmSplash::frmSplash(const MLState& ml, QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint),
      ui(std::make_unique<Forms::Ui_frmSplash>()) {
    ui->setupUi(this);
    QtFormTexts::Apply(this, ml, QStringLiteral("frmSplash"));
    m_clicked = false;
    ui->lblVersion->setText(VersionText());

    QFont big = ui->lblProductName->font();
    big.setPointSizeF(big.pointSizeF() * 1.8);
    big.setBold(true);
    ui->lblProductName->setFont(big);
    const int side = ui->Image1->minimumWidth();
    ui->Image1->setPixmap(QtIcons::AppIcon().pixmap(QSize(side, side), devicePixelRatio()));

    for (QWidget* w :
         {static_cast<QWidget*>(ui->fraMainFrame), static_cast<QWidget*>(ui->Image1),
          static_cast<QWidget*>(ui->Label1), static_cast<QWidget*>(ui->Label2),
          static_cast<QWidget*>(ui->lblProductName), static_cast<QWidget*>(ui->lblCompanyProduct),
          static_cast<QWidget*>(ui->lblVersion)})
        w->installEventFilter(this);

    adjustSize();
    if (QScreen* s = screen()) move(s->availableGeometry().center() - rect().center());
}

frmSplash::~frmSplash() = default;

QString frmSplash::VersionText() {
    return QStringLiteral("Version ") + QString::number(KORVA_VERSION_MAJOR) + u'.' +
           QString::number(KORVA_VERSION_MINOR) + u'.' + QString::number(KORVA_VERSION_PATCH);
}

bool frmSplash::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease) {
        m_clicked = true;
        hide();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}
