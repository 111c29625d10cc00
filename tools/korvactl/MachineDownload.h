#pragma once
// korvactl download --machine: one dialer of a bench run, driven by a parent process through
// the lines of MultiDownload.h. Messages still go to stderr as on a terminal; stdout carries
// only the lines.
#include "TerminalUi.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QStringList>

namespace ProjectCommands {
struct Invocation;
}

class MachineUi : public TerminalUi {
public:
    MachineUi();

    // The download's confirmation says "ready" and waits for go or cancel; every other box
    // is only kept (its text is the reason of a refusal).
    MsgResult MsgBox(const QString& prompt, MsgStyle style, const QString& title) override;
    void DoEvents() override;
    void ShowProgress(const QString&, const QString&) override {}
    void CloseProgress() override {}
    void SetProgressValue(int done, int total, const QString& line) override;

    void Emit(const QStringList& fields);
    // Cancel asked: "cancel" or end of input on stdin, or SIGTERM.
    bool StopAsked() const;

    bool askedToGo = false; // the confirmation was reached
    bool going = false;     // and answered with go
    int acknowledged = 0;   // commands acknowledged so far (clears, then records)
    int phoneBookTotal = 0;
    QString lastMessage;
    QElapsedTimer sending; // started by go

private:
    void ReadCommands(int waitMs);
    QByteArray m_input;
    bool m_stop = false;
    bool m_eof = false;
};

namespace MachineDownload {
int Run(ProjectCommands::Invocation& in, MachineUi& ui);
} // namespace MachineDownload
