#pragma once
// The About window: the program's title, a line on what it is for, and its version. Releasing
// the right mouse button over the icon with Ctrl and Alt held (Shift not) opens the register
// diagnostic window.
#include "ml/QtFormDialog.h"

#include <QDialog>

namespace Forms {
class Ui_frmAbout;
}
struct MainContext;

class frmAbout : public QtFormDialog<Forms::Ui_frmAbout> {
    Q_OBJECT
public:
    // The load step: the texts, then the version appended to the version label's caption.
    explicit frmAbout(MainContext& ctx, QWidget* parent = nullptr);
    ~frmAbout() override;
    // Major.minor.revision of the program.
    static QString VersionNumber();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    MainContext& m_ctx;
};
