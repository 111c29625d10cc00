#include "ml/frmKeyInString.h"

#include "base/Ui.h"
#include "ml/QtFormTexts.h"
#include "ui_frmKeyInString.h"

frmKeyInString::frmKeyInString(const MLState* ml, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Forms::Ui_frmKeyInString>()) {
    ui->setupUi(this);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    m_ml = ml;
    if (ml) QtFormTexts::Apply(this, *ml, QStringLiteral("frmKeyInString"));
    connect(ui->cmdOK, &QPushButton::clicked, this, &frmKeyInString::cmdOK_Click);
    connect(ui->cmdCancel, &QPushButton::clicked, this, &frmKeyInString::cmdCancel_Click);
}

frmKeyInString::~frmKeyInString() = default;

QString frmKeyInString::Run(const QString& title, const QString& prompt, const QString& defaultText,
                            const QString& passwordChar, QWidget* over, int maxLength) {
    if (over && over != parentWidget()) setParent(over, windowFlags());
    setWindowTitle(title);
    ui->lbKeyInString->setText(prompt);
    if (m_ml) QtFormTexts::LimitEntry(ui->txtKeyInString, maxLength, *m_ml);
    ui->txtKeyInString->setText(defaultText);
    ui->txtKeyInString->setEchoMode(passwordChar.isEmpty() ? QLineEdit::Normal
                                                           : QLineEdit::Password);
    // Closing the window any other way than OK is a cancel.
    m_result = KeyInCancelMarker();
    adjustSize();
    exec();
    return m_result.trimmed();
}

void frmKeyInString::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    ui->txtKeyInString->setFocus();
    ui->txtKeyInString->selectAll();
}

void frmKeyInString::cmdOK_Click() {
    m_result = ui->txtKeyInString->text();
    accept();
}

void frmKeyInString::cmdCancel_Click() {
    m_result = KeyInCancelMarker();
    reject();
}
