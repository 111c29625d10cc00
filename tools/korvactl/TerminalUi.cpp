#include "TerminalUi.h"

#include <QCoreApplication>
#include <cstdio>

TerminalUi::TerminalUi(bool answerYes) : out(stdout), err(stderr), m_yes(answerYes) {}

MsgResult TerminalUi::MsgBox(const QString& prompt, MsgStyle style, const QString& title) {
    ++messageCount;
    QTextStream& to = MsgIcon(style) == vbCritical ? err : out;
    out.flush();
    to << '[' << title << "]\n" << QString(prompt).replace(QLatin1String("\r\n"), QLatin1String("\n")) << '\n';
    to.flush();
    switch (MsgButtons(style)) {
    case vbOKOnly: return vbOK;
    case vbOKCancel:
    case vbYesNo:
    case vbYesNoCancel: break;
    default: return vbOK;
    }
    const bool okCancel = MsgButtons(style) == vbOKCancel;
    if (m_yes) {
        to << (okCancel ? "-> OK (--yes)\n" : "-> Yes (--yes)\n");
        to.flush();
        return okCancel ? vbOK : vbYes;
    }
    ++declinedQuestions;
    err << (okCancel ? "-> Cancel: pass --yes to confirm\n" : "-> No: pass --yes to confirm\n");
    err.flush();
    return MsgButtons(style) == vbYesNo ? vbNo : vbCancel;
}

QString TerminalUi::KeyInString(const QString&, const QString&, const QString&, const QString&) {
    return KeyInCancelMarker();
}

std::optional<QString> TerminalUi::FileDialog(FileDialogKind, const FileDialogSetup&) { return std::nullopt; }

void TerminalUi::DoEvents() { QCoreApplication::processEvents(); }

void TerminalUi::ShowProgress(const QString& title, const QString& text) {
    err << title << ": " << text << '\n';
    err.flush();
}
