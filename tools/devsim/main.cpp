// korva-devsim: a virtual alarm dialer on a pseudo-terminal, for demos, training and tests.
#include "Options.h"
#include "PtyLink.h"

#include <QCoreApplication>
#include <csignal>
#include <cstdio>
#include <pthread.h>

int main(int argc, char** argv) {
    // The stop and state signals are read from a signal descriptor in the loop; they are
    // blocked before anything else runs so no default action ever ends the program midway.
    sigset_t mask;
    sigemptyset(&mask);
    for (int s : {SIGTERM, SIGINT, SIGHUP, SIGUSR1})
        sigaddset(&mask, s);
    pthread_sigmask(SIG_BLOCK, &mask, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("korva-devsim"));
    int exitCode = 0;
    const auto options = devsim::ParseOptions(QCoreApplication::arguments(), exitCode);
    if (!options) return exitCode;

    devsim::PtyLink link(*options);
    if (!link.Open()) return 1;
    std::printf("korva-devsim: ready on %s%s%s\n", link.TerminalPath().toLocal8Bit().constData(),
                options->link.isEmpty() ? "" : " link ", options->link.toLocal8Bit().constData());
    std::fflush(stdout);
    return link.Run();
}
