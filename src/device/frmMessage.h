#pragma once
// The progress window: a caption and one line telling the user a device exchange is under
// way. While shown it is application-modal, so no second exchange can be started.
#include <QDialog>
#include <memory>

namespace Forms {
class Ui_frmMessage;
}
struct MLState;
class QtUi;
class QLabel;
class QProgressBar;

class frmMessage : public QDialog {
    Q_OBJECT
public:
    explicit frmMessage(const MLState& ml, QWidget* parent = nullptr);
    ~frmMessage() override;

    void LoadFormObj(const QString& tmpCaption, const QString& tmpMessage);
    // Shows the window with the wait cursor over it, without blocking the caller.
    void ShowProgress(const QString& title, const QString& text);
    // Restores the cursor and hides the window (nothing visible when it is not shown).
    void CloseProgress();
    // Turns the window into a determinate one: a bar at done of total and the line below it.
    // Each ShowProgress starts without them.
    void SetProgressValue(int done, int total, const QString& line);
    QLabel* lblMessage() const;
    QLabel* lblProgress() const;
    QProgressBar* pbProgress() const;

    // Gives the Ui its progress window: one instance, created on first use and hidden (not
    // destroyed) after use; it lives as long as parent, or as long as the Ui's hooks.
    static void Attach(QtUi& ui, const MLState& ml, QWidget* parent);

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    std::unique_ptr<Forms::Ui_frmMessage> ui;
};
