// The project open on any bytes: it opens or says one thing, never changes the file and
// leaves nothing beside it.
#include "ProjectEnv.h"

#include <QCoreApplication>
#include <cstdlib>

namespace {
ProjectEnv* env = nullptr;
}

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    new QCoreApplication(*argc, *argv);
    env = new ProjectEnv;
    if (!env->started) std::abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), int(size));
    const QString path = env->InProjects(QStringLiteral("fuzz.cmb"));
    if (!TestEnv::WriteFile(path, bytes)) std::abort();
    env->ui.messages.clear();
    const bool opened = KORVAMain::OpenProject(*env->ctx, path);
    if (!opened && env->ui.messages.size() != 1) std::abort();
    if (opened && (env->ui.messages.size() > 1 || !env->ctx->project.RowSetsOpen())) std::abort();
    if (opened && KORVAMain::CloseProject(*env->ctx) != KORVAMain::kSaved) std::abort();
    if (TestEnv::ReadFile(path) != bytes) std::abort();
    if (QDir(env->projDir).entryList(QDir::Files | QDir::Hidden) !=
        QStringList{QStringLiteral("fuzz.cmb")})
        std::abort();
    return 0;
}
