// The settings-file reader: any bytes give values in the 16-bit range and no message.
#include "app/AppContext.h"
#include "app/SettingUtil.h"
#include "support/ScriptedUi.h"
#include "support/TestEnv.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <cstdlib>

namespace {
QTemporaryDir* dir = nullptr;
}

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    new QCoreApplication(*argc, *argv);
    dir = new QTemporaryDir;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString path = dir->filePath(QStringLiteral("KORVA.set"));
    if (!TestEnv::WriteFile(path, QByteArray(reinterpret_cast<const char*>(data), int(size))))
        std::abort();
    ScriptedUi ui;
    AppContext ctx(ui);
    if (!SettingUtil::ReadSettings(ctx, path) || !ui.messages.isEmpty()) std::abort();
    for (int v : {ctx.comm.TimeOut, ctx.comm.Retry})
        if (v < -32768 || v > 32767) std::abort();
    return 0;
}
