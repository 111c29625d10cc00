#pragma once
// The communication log window: every frame on the wire, filled live, beside the main window
// and not modal. Rows can be copied, the whole log saved as text, and the log cleared.
#include <QWidget>
#include <memory>

namespace Forms {
class Ui_frmCommLog;
}
struct DeviceContext;
class CommLogModel;
class QTableView;

class frmCommLog : public QWidget {
    Q_OBJECT
public:
    // The window shows log (kept by the caller) and never changes its lifetime.
    frmCommLog(DeviceContext& ctx, CommLogModel& log, QWidget* parent = nullptr);
    ~frmCommLog() override;
    QTableView* tvLog() const;
    // Shows the window to the right of the main window (inside the screen), or raises it.
    void ShowBeside(QWidget* mainWindow);
    // The selected rows as text, also put on the clipboard.
    QString cmdCopy_Click();

    static constexpr int kBatchMs = 100; // the longest a frame waits to be shown

private:
    void cmdSave_Click();
    void cmdClear_Click();
    DeviceContext& m_ctx;
    CommLogModel& m_log;
    std::unique_ptr<Forms::Ui_frmCommLog> ui;
    bool m_follow = true; // keep the newest row in view
};
