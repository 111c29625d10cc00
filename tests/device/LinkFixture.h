#pragma once
// A started core (text database, settings, system database) in a temporary program folder,
// with a scripted device on its port and a Ui that records what the user would see.
#include "app/AppContext.h"
#include "app/Startup.h"
#include "support/ScriptedDevice.h"
#include "support/ScriptedUi.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

// Records, for every message box, whether the progress window was still up at that moment.
class ProgressAwareUi : public ScriptedUi {
public:
    bool progressShown = false;
    QList<bool> progressUpAtMessage;
    MsgResult MsgBox(const QString& prompt, MsgStyle style, const QString& title) override {
        progressUpAtMessage << progressShown;
        return ScriptedUi::MsgBox(prompt, style, title);
    }
    void ShowProgress(const QString& title, const QString& text) override {
        progressShown = true;
        ScriptedUi::ShowProgress(title, text);
    }
    void CloseProgress() override {
        progressShown = false;
        ScriptedUi::CloseProgress();
    }
};

struct LinkFixture {
    QTemporaryDir dir;
    ProgressAwareUi ui;
    std::unique_ptr<AppContext> ctx;
    ScriptedDevice* dev = nullptr;
    FakeDialer dialer;
    QString oldCwd = QDir::currentPath();

    ~LinkFixture() {
        if (ctx) Shutdown::CloseCore(*ctx);
        QDir::setCurrent(oldCwd);
    }

    // Starts the core in the given language (1028 Traditional Chinese, 1033 English), with a
    // closed scripted port answered by the fake dialer. sqlBefore runs on KORVA.sdb first.
    bool Start(int localeId = 1028, const QString& sqlBefore = {}) {
        if (!dir.isValid() || !TestEnv::CopyProgramFolder(dir.path())) return false;
        if (!sqlBefore.isEmpty() &&
            !TestEnv::ExecSql(QDir(dir.path()).filePath(QStringLiteral("KORVA.sdb")), sqlBefore))
            return false;
        QDir::setCurrent(dir.path());
        ctx = std::make_unique<AppContext>(ui);
        ctx->historyPath = QDir(dir.path()).filePath(QStringLiteral("DownloadHistory.sqlite"));
        if (!Startup::StartCore(*ctx, dir.path(), localeId)) return false;
        auto port = std::make_unique<ScriptedDevice>();
        dev = port.get();
        dev->responder = [this](const QByteArray& req) { return dialer.Answer(req); };
        ctx->port = std::move(port);
        ctx->comm.PortName = QStringLiteral("/dev/ttyFAKE0");
        return true;
    }
};
