#pragma once
// The Ui the windows give the core: real message boxes, file dialogs and status texts.
#include "base/Ui.h"

#include <QPointer>
#include <functional>

class QMessageBox;
class QWidget;
class frmKeyInString;
struct MLState;

class QtUi : public Ui {
public:
    QtUi();
    ~QtUi() override;
    // The window message boxes and dialogs belong to when no modal window is up.
    void SetParentWindow(QWidget* w) { m_parent = w; }
    // The texts of the input window; the folder the current directory returns to after a
    // file dialog (empty: the current directory at the time of the dialog).
    void SetML(const MLState* ml) { m_ml = ml; }
    void SetProgramFolder(const QString& folder) { m_programFolder = folder; }

    // The main window takes the status texts and the modal windows; the device link the
    // progress window.
    std::function<void(const QString&, const QString&)> statusSink;
    std::function<bool(Window)> modalSink;
    std::function<void(const QString&, const QString&)> progressShow;
    std::function<void()> progressClose;
    std::function<void(int, int, const QString&)> progressValue;

    MsgResult MsgBox(const QString& prompt, MsgStyle style, const QString& title) override;
    QString KeyInString(const QString& title, const QString& prompt, const QString& defaultText,
                        const QString& passwordChar, int maxLength = 0) override;
    std::optional<QString> FileDialog(FileDialogKind kind, const FileDialogSetup& setup) override;
    void SetStatusText(const QString& panelKey, const QString& text) override;
    void SetBusy(bool busy) override;
    void DoEvents() override;
    void ShowProgress(const QString& title, const QString& text) override;
    void CloseProgress() override;
    void SetProgressValue(int done, int total, const QString& line) override;
    bool ShowModal(Window which) override;

    // "desc|pattern|desc|pattern" as Qt's ";;"-separated filter.
    static QString QtFilter(const QString& classic);
    // The folder a file dialog opens in: the given one (kept for the next dialog), else the
    // one kept from before; a relative folder is taken from the program folder.
    QString DialogFolder(const QString& initialDir);
    // The text with line-break points (zero-width spaces) in every long run that has none, so
    // that a message box wraps it at its own width.
    static QString Wrappable(const QString& text);
    // The application font for a language, with the Chinese glyphs of that language's style.
    static void ApplyFonts(const QString& appliedLang);

private:
    static void FitToScreen(QMessageBox& box);
    QWidget* DialogParent() const;
    QPointer<QWidget> m_parent;
    const MLState* m_ml = nullptr;
    QString m_programFolder;
    QString m_lastDir;
    int m_busyDepth = 0;
    // Owned by the window it belongs to; deleted here only if that window is gone first.
    QPointer<frmKeyInString> m_keyIn;
};
