#pragma once
// A Ui for tests: records every message (text, style, title) and answers from queues.
#include "base/Ui.h"

#include <QList>
#include <QQueue>
#include <QStringList>
#include <functional>

struct RecordedMsg {
    QString text;
    MsgStyle style;
    QString title;
};

class ScriptedUi : public Ui {
public:
    QList<RecordedMsg> messages;
    QQueue<MsgResult> answers;            // message box answers; default OK/Yes per buttons
    QQueue<QString> inputs;               // KeyInString answers
    QQueue<std::optional<QString>> files; // file dialog answers
    QQueue<bool> modalAnswers;            // ShowModal answers; default false
    QList<Window> modalsShown;
    // When set, ShowModal runs it (the test acts as the person at the window) and returns
    // its answer instead of taking one from modalAnswers.
    std::function<bool(Window)> onModal;
    std::function<void()> onDoEvents; // runs as an event handler would, at every DoEvents
    QList<QStringList> keyIns; // KeyInString calls: title, prompt, default text, length limit
    QList<FileDialogSetup> fileDialogs;
    QStringList statusLog;      // "key=text"
    QStringList progressLog;    // "show:title|text", "close"
    QStringList progressValues; // "done/total|line"
    bool progressUp = false;
    QList<bool> progressUpAtMessage; // per message: the progress window was shown
    QList<int> busyAtMessage;        // per message: the wait cursor's depth
    QStringList statusAtMessage;     // per message: the last status text set ("key=text")
    int busyDepth = 0;
    int doEvents = 0;

    MsgResult MsgBox(const QString& prompt, MsgStyle style, const QString& title) override;
    QString KeyInString(const QString& title, const QString& prompt, const QString& defaultText,
                        const QString& passwordChar, int maxLength = 0) override;
    std::optional<QString> FileDialog(FileDialogKind kind, const FileDialogSetup& setup) override;
    void SetStatusText(const QString& panelKey, const QString& text) override;
    void SetBusy(bool busy) override { busyDepth += busy ? 1 : -1; }
    void DoEvents() override {
        ++doEvents;
        if (onDoEvents) onDoEvents();
    }
    void ShowProgress(const QString& title, const QString& text) override;
    void CloseProgress() override {
        progressUp = false;
        progressLog << QStringLiteral("close");
    }
    void SetProgressValue(int done, int total, const QString& line) override {
        progressValues << QStringLiteral("%1/%2|%3").arg(done).arg(total).arg(line);
    }
    bool ShowModal(Window which) override;

    // Texts of all messages so far, for compact assertions.
    QStringList Texts() const;
};
