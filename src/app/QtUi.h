#pragma once
// The Ui the windows give the core: real message boxes, file dialogs and status texts.
#include "app/Ui.h"

#include <QPointer>
#include <functional>

class QWidget;

class QtUi : public Ui {
public:
    QtUi() = default;
    void SetParentWindow(QWidget* w) { m_parent = w; }
    // The main window takes the status texts and the modal windows.
    std::function<void(const QString&, const QString&)> statusSink;
    std::function<bool(Window)> modalSink;
    std::function<void(const QString&, const QString&)> progressShow;
    std::function<void()> progressClose;

    MsgResult MsgBox(const QString& prompt, MsgStyle style, const QString& title) override;
    QString KeyInString(const QString& title, const QString& prompt, const QString& defaultText,
                        const QString& passwordChar) override;
    std::optional<QString> FileDialog(FileDialogKind kind, const FileDialogSetup& setup) override;
    void SetStatusText(const QString& panelKey, const QString& text) override;
    void SetBusy(bool busy) override;
    void DoEvents() override;
    void ShowProgress(const QString& title, const QString& text) override;
    void CloseProgress() override;
    bool ShowModal(Window which) override;

    // "desc|pattern|desc|pattern" as Qt's ";;"-separated filter.
    static QString QtFilter(const QString& classic);

private:
    QPointer<QWidget> m_parent;
    QString m_lastDir;
    int m_busyDepth = 0;
};
