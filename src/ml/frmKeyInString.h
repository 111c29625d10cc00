#pragma once
// The text input window: a prompt, one line of text, OK and Cancel.
#include <QDialog>
#include <memory>

namespace Forms {
class Ui_frmKeyInString;
}
struct MLState;

class frmKeyInString : public QDialog {
    Q_OBJECT
public:
    explicit frmKeyInString(const MLState* ml, QWidget* parent = nullptr);
    ~frmKeyInString() override;
    // Shows the window modally: caption = title, the prompt, the box holding the default text
    // (masked when passwordChar is not empty; at most maxLength characters when > 0). Returns
    // the text typed with blanks around it removed, or the cancel marker when the user
    // cancelled or closed the window.
    QString Run(const QString& title, const QString& prompt, const QString& defaultText,
                const QString& passwordChar, QWidget* over = nullptr, int maxLength = 0);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void cmdOK_Click();
    void cmdCancel_Click();
    std::unique_ptr<Forms::Ui_frmKeyInString> ui;
    QString m_result;
    const MLState* m_ml = nullptr;
};
