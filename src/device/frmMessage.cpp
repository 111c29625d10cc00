#include "device/frmMessage.h"

#include "ml/QtFormTexts.h"
#include "ml/QtUi.h"
#include "ui_frmMessage.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QPointer>
#include <QProgressBar>
#include <algorithm>

frmMessage::frmMessage(const MLState& ml, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Forms::Ui_frmMessage>()) {
    ui->setupUi(this);
    // No buttons and no close box: the window goes when the exchange is over.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setWindowModality(Qt::ApplicationModal);
    QtFormTexts::Apply(this, ml, QStringLiteral("frmMessage"));
}

frmMessage::~frmMessage() = default;

QLabel* frmMessage::lblMessage() const {
    return ui->lblMessage;
}
QLabel* frmMessage::lblProgress() const {
    return ui->lblProgress;
}
QProgressBar* frmMessage::pbProgress() const {
    return ui->pbProgress;
}

void frmMessage::LoadFormObj(const QString& tmpCaption, const QString& tmpMessage) {
    setWindowTitle(tmpCaption);
    ui->lblMessage->setText(tmpMessage);
}

void frmMessage::ShowProgress(const QString& title, const QString& text) {
    setCursor(Qt::WaitCursor);
    LoadFormObj(title, text);
    ui->pbProgress->hide();
    ui->lblProgress->hide();
    adjustSize();
    show();
    raise();
}

void frmMessage::CloseProgress() {
    unsetCursor();
    hide();
}

void frmMessage::SetProgressValue(int done, int total, const QString& line) {
    ui->pbProgress->setRange(0, std::max(total, 1));
    ui->pbProgress->setValue(std::clamp(done, 0, std::max(total, 1)));
    ui->lblProgress->setText(line);
    if (ui->pbProgress->isHidden()) {
        ui->pbProgress->show();
        ui->lblProgress->show();
        adjustSize();
    }
}

void frmMessage::closeEvent(QCloseEvent* event) {
    event->ignore();
}

void frmMessage::keyPressEvent(QKeyEvent* event) {
    // Escape would close a dialog; this one stays until the exchange ends.
    if (event->key() == Qt::Key_Escape) return;
    QDialog::keyPressEvent(event);
}

void frmMessage::Attach(QtUi& ui, const MLState& ml, QWidget* parent) {
    struct Holder {
        QPointer<frmMessage> window;
        bool owned = false;
        ~Holder() {
            if (owned && window) delete window.data();
        }
    };
    auto holder = std::make_shared<Holder>();
    const MLState* texts = &ml;
    QPointer<QWidget> owner(parent);
    auto get = [holder, texts, owner, parent]() -> frmMessage* {
        if (!holder->window) {
            if (parent && !owner) return nullptr; // the owner is gone: nothing to show
            holder->window = new frmMessage(*texts, owner.data());
            holder->owned = owner.isNull();
        }
        return holder->window.data();
    };
    ui.progressShow = [get](const QString& title, const QString& text) {
        if (frmMessage* w = get()) w->ShowProgress(title, text);
    };
    ui.progressClose = [holder]() {
        if (holder->window) holder->window->CloseProgress();
    };
    ui.progressValue = [holder](int done, int total, const QString& line) {
        if (holder->window) holder->window->SetProgressValue(done, total, line);
    };
}
