#pragma once
// The Ui of a terminal: message boxes print their title and text, progress goes to stderr,
// questions are answered yes only when the user said so on the command line (--yes).
#include "base/Ui.h"

#include <QTextStream>

class TerminalUi : public Ui {
public:
    explicit TerminalUi(bool answerYes);

    MsgResult MsgBox(const QString& prompt, MsgStyle style, const QString& title) override;
    QString KeyInString(const QString& title, const QString& prompt, const QString& defaultText,
                        const QString& passwordChar) override;
    std::optional<QString> FileDialog(FileDialogKind kind, const FileDialogSetup& setup) override;
    void SetStatusText(const QString&, const QString&) override {}
    void SetBusy(bool) override {}
    void DoEvents() override;
    void ShowProgress(const QString& title, const QString& text) override;
    void CloseProgress() override {}
    bool ShowModal(Window) override { return false; }

    int messageCount = 0;
    int declinedQuestions = 0;
    QTextStream out;
    QTextStream err;

private:
    bool m_yes;
};
