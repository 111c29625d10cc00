#pragma once
// The benches' Ui: no person to ask, so every question gets its negative answer (YesUi:
// its positive one, as a person confirming would).
#include "base/Ui.h"

class NullUi : public Ui {
public:
    MsgResult MsgBox(const QString&, MsgStyle style, const QString&) override {
        switch (MsgButtons(style)) {
        case vbYesNo:
        case vbYesNoCancel:
            return m_answer;
        default:
            return vbOK;
        }
    }
    QString KeyInString(const QString&, const QString&, const QString&, const QString&,
                        int = 0) override {
        return {};
    }
    std::optional<QString> FileDialog(FileDialogKind, const FileDialogSetup&) override {
        return std::nullopt;
    }
    void SetStatusText(const QString&, const QString&) override {}
    void SetBusy(bool) override {}
    void DoEvents() override {}
    void ShowProgress(const QString&, const QString&) override {}
    void CloseProgress() override {}
    bool ShowModal(Window) override { return false; }

protected:
    MsgResult m_answer = vbNo; // to a yes/no question
};

class YesUi : public NullUi {
public:
    YesUi() { m_answer = vbYes; }
};
