#include "ScriptedUi.h"

#include "base/MsgDefault.h"

MsgResult ScriptedUi::MsgBox(const QString& prompt, MsgStyle style, const QString& title) {
    messages.append({prompt, style, title});
    progressUpAtMessage << progressUp;
    busyAtMessage << busyDepth;
    statusAtMessage << statusLog.value(statusLog.size() - 1);
    if (!answers.isEmpty()) return answers.dequeue();
    return MsgDefaultAnswer(style);
}

QString ScriptedUi::KeyInString(const QString& title, const QString& prompt,
                                const QString& defaultText, const QString&, int maxLength) {
    keyIns.append({title, prompt, defaultText, QString::number(maxLength)});
    return inputs.isEmpty() ? defaultText : inputs.dequeue();
}

std::optional<QString> ScriptedUi::FileDialog(FileDialogKind, const FileDialogSetup& setup) {
    fileDialogs.append(setup);
    return files.isEmpty() ? std::nullopt : files.dequeue();
}

void ScriptedUi::SetStatusText(const QString& panelKey, const QString& text) {
    statusLog << panelKey + u'=' + text;
}

void ScriptedUi::ShowProgress(const QString& title, const QString& text) {
    progressUp = true;
    progressLog << QStringLiteral("show:") + title + u'|' + text;
}

bool ScriptedUi::ShowModal(Window which) {
    modalsShown.append(which);
    if (onModal) return onModal(which);
    return modalAnswers.isEmpty() ? false : modalAnswers.dequeue();
}

QStringList ScriptedUi::Texts() const {
    QStringList out;
    for (const auto& m : messages)
        out << m.text;
    return out;
}
