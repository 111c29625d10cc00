#pragma once
// The Ui of a terminal: message boxes print their title and text on stderr (stdout carries
// only a command's output, such as image --hex), progress goes to stderr,
// questions are answered by the person at the terminal, or yes when the command line said so
// (--yes); without a terminal and without --yes they are declined.
#include "base/Ui.h"

#include <QTextStream>
#include <utility>

class TerminalUi : public Ui {
public:
    explicit TerminalUi(bool answerYes);

    MsgResult MsgBox(const QString& prompt, MsgStyle style, const QString& title) override;
    QString KeyInString(const QString& title, const QString& prompt, const QString& defaultText,
                        const QString& passwordChar, int maxLength = 0) override;
    std::optional<QString> FileDialog(FileDialogKind kind, const FileDialogSetup& setup) override;
    void SetStatusText(const QString&, const QString&) override {}
    void SetBusy(bool) override {}
    void DoEvents() override;
    void ShowProgress(const QString& title, const QString& text) override;
    void CloseProgress() override;
    // One progress line on stderr, rewritten in place on a terminal.
    void SetProgressValue(int done, int total, const QString& line) override;
    bool ShowModal(Window) override { return false; }

    // A path messages show as another: the temporary copy of a project as the person's file.
    std::pair<QString, QString> pathAlias;
    int messageCount = 0;
    int declinedQuestions = 0;
    QTextStream out;
    QTextStream err;

private:
    void EndProgressLine();
    bool m_yes;
    bool m_progressLine = false; // a progress line is open on stderr
};
