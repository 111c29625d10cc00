#pragma once
// Everything the core asks of a person or a screen. The windows implement it with real
// dialogs, korvactl with a terminal, tests with a script.
#include <QString>
#include <QStringList>
#include <optional>
#include <string_view>

// Message box buttons and icon, combined as the classic style flags.
enum MsgStyle : int {
    vbOKOnly = 0,
    vbOKCancel = 1,
    vbYesNoCancel = 3,
    vbYesNo = 4,
    vbCritical = 16,
    vbQuestion = 32,
    vbExclamation = 48,
    vbInformation = 64,
};
inline MsgStyle operator|(MsgStyle a, MsgStyle b) {
    return MsgStyle(int(a) | int(b));
}
inline int MsgButtons(MsgStyle s) {
    return int(s) & 0x0F;
}
inline int MsgIcon(MsgStyle s) {
    return int(s) & 0x70;
}

// The button a message box was closed with.
enum MsgResult : int { vbOK = 1, vbCancel = 2, vbYes = 6, vbNo = 7 };

// What KeyInString gives back when the user cancelled; callers treat it as "no name", so
// this text can never be entered as a name.
inline QString KeyInCancelMarker() {
    return QStringLiteral("連絡人按下取消鍵");
}

enum class FileDialogKind { Open, Save };

struct FileDialogSetup {
    QString title;
    QString filter;        // classic "desc|pattern|desc|pattern"
    QString initialDir;    // empty: the folder used last time
    QString defaultName;   // file name proposed
    QString defaultSuffix; // added to a typed name without an extension ("cmb")
    bool overwritePrompt = false;
    bool fileMustExist = false;
};

// A modal window the core may ask to show, known by its name. The layer that owns a window
// defines its id in namespace `Windows` (its *Windows.h); the main window's table maps each
// id to the window that shows it.
struct Window {
    std::string_view name;
    friend constexpr bool operator==(Window, Window) = default;
    friend constexpr auto operator<=>(Window, Window) = default;
};

class Ui {
public:
    virtual ~Ui() = default;
    virtual MsgResult MsgBox(const QString& prompt, MsgStyle style, const QString& title) = 0;
    // The text typed, trimmed; the cancel marker text when the user cancelled. maxLength > 0:
    // the entry box takes at most that many characters.
    virtual QString KeyInString(const QString& title, const QString& prompt,
                                const QString& defaultText, const QString& passwordChar,
                                int maxLength = 0) = 0;
    virtual std::optional<QString> FileDialog(FileDialogKind kind,
                                              const FileDialogSetup& setup) = 0;
    virtual void SetStatusText(const QString& panelKey, const QString& text) = 0;
    virtual void SetBusy(bool busy) = 0;
    virtual void DoEvents() = 0;
    virtual void ShowProgress(const QString& title, const QString& text) = 0;
    virtual void CloseProgress() = 0;
    // A determinate progress for the shown progress window: done of total steps, and a line
    // saying what was done last.
    virtual void SetProgressValue(int done, int total, const QString& line) {
        (void)done, (void)total, (void)line;
    }
    // Shows a modal window; true when it was confirmed (OK).
    virtual bool ShowModal(Window which) = 0;
};
