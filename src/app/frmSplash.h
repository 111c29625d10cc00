#pragma once
// The splash window of start-up: the product's name and version. A click on it ends the
// start-up wait.
#include <QWidget>
#include <memory>

namespace Forms {
class Ui_frmSplash;
}
struct MLState;

class frmSplash : public QWidget {
    Q_OBJECT
public:
    explicit frmSplash(const MLState& ml, QWidget* parent = nullptr);
    ~frmSplash() override;
    // The user clicked the window (it is hidden then).
    bool Clicked() const { return m_clicked; }
    // "Version " + major.minor.revision of the program.
    static QString VersionText();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::unique_ptr<Forms::Ui_frmSplash> ui;
    bool m_clicked = false;
};
