#include "TerminalUi.h"

#include <QCoreApplication>
#include <cstdio>
#include <unistd.h>

TerminalUi::TerminalUi(bool answerYes) : out(stdout), err(stderr), m_yes(answerYes) {}

MsgResult TerminalUi::MsgBox(const QString& prompt, MsgStyle style, const QString& title) {
    ++messageCount;
    EndProgressLine();
    QTextStream& to = err;
    out.flush();
    QString text = QString(prompt).replace(QLatin1String("\r\n"), QLatin1String("\n"));
    if (!pathAlias.first.isEmpty()) text.replace(pathAlias.first, pathAlias.second);
    to << '[' << title << "]\n" << text << '\n';
    to.flush();
    switch (MsgButtons(style)) {
    case vbOKOnly:
        return vbOK;
    case vbOKCancel:
    case vbYesNo:
    case vbYesNoCancel:
        break;
    default:
        return vbOK;
    }
    const bool okCancel = MsgButtons(style) == vbOKCancel;
    if (m_yes) {
        to << (okCancel ? "-> OK (--yes)\n" : "-> Yes (--yes)\n");
        to.flush();
        return okCancel ? vbOK : vbYes;
    }
    // On a terminal the person at it answers; elsewhere only --yes confirms.
    if (::isatty(fileno(stdin))) {
        to << (okCancel ? "OK? [y/N] " : "Yes? [y/N] ");
        to.flush();
        QTextStream in(stdin);
        const QString answer = in.readLine().trimmed().toLower();
        if (answer == QLatin1String("y") || answer == QLatin1String("yes"))
            return okCancel ? vbOK : vbYes;
    } else {
        err << (okCancel ? "-> Cancel: pass --yes to confirm\n" : "-> No: pass --yes to confirm\n");
        err.flush();
    }
    ++declinedQuestions;
    return MsgButtons(style) == vbYesNo ? vbNo : vbCancel;
}

QString TerminalUi::KeyInString(const QString&, const QString&, const QString&, const QString&,
                                int) {
    return KeyInCancelMarker();
}

std::optional<QString> TerminalUi::FileDialog(FileDialogKind, const FileDialogSetup&) {
    return std::nullopt;
}

void TerminalUi::DoEvents() {
    QCoreApplication::processEvents();
}

void TerminalUi::ShowProgress(const QString& title, const QString& text) {
    EndProgressLine();
    err << title << ": " << text << '\n';
    err.flush();
}

void TerminalUi::SetProgressValue(int done, int total, const QString& line) {
    // On a terminal the line is rewritten in place; elsewhere each update is a line of its own.
    const bool terminal = ::isatty(fileno(stderr));
    if (terminal && m_progressLine) err << '\r';
    err << line << " [" << done << '/' << total << ']';
    if (terminal) {
        err << "\x1b[K";
        m_progressLine = true;
    } else {
        err << '\n';
    }
    err.flush();
}

void TerminalUi::CloseProgress() {
    EndProgressLine();
}

void TerminalUi::EndProgressLine() {
    if (!m_progressLine) return;
    err << '\n';
    err.flush();
    m_progressLine = false;
}
