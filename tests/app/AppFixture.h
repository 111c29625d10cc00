#pragma once
// A program folder in a temporary directory, made the current directory, with the shipped
// data and a chosen language; the context started on it as the program starts.
#include "app/AppContext.h"
#include "app/Startup.h"
#include "support/ScriptedUi.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QTemporaryDir>

struct AppFixture {
    QTemporaryDir dir;
    ScriptedUi ui;
    AppContext ctx{ui};
    QString oldCwd = QDir::currentPath();

    AppFixture() = default;
    AppFixture(const AppFixture&) = delete;
    ~AppFixture() {
        Shutdown::CloseCore(ctx);
        QDir::setCurrent(oldCwd);
    }
    QString Path(const QString& name) const { return QDir(dir.path()).filePath(name); }

    // Copies the program folder, sets the applied language and enters the folder.
    bool Prepare(const QString& appliedLang) {
        if (!dir.isValid() || !TestEnv::CopyProgramFolder(dir.path())) return false;
        QByteArray set = TestEnv::ReadFile(Path(QStringLiteral("KORVA.set")));
        const int at = set.indexOf("AppliedLangName=");
        if (at < 0) return false;
        set = set.left(at) + "AppliedLangName=" + appliedLang.toUtf8() +
              set.mid(set.indexOf('\r', at));
        return TestEnv::WriteFile(Path(QStringLiteral("KORVA.set")), set) &&
               QDir::setCurrent(dir.path());
    }
    // Prepare, then the core steps of start-up.
    bool Start(const QString& appliedLang) {
        return Prepare(appliedLang) && Startup::StartCore(ctx, dir.path(), 1033);
    }
};
