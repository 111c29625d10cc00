#pragma once
// korva-devsim as the benches run it: started on a link path with a control fifo, ended with
// the bench.
#include <QByteArray>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStringList>
#include <QThread>

struct Sim {
    QProcess proc;
    QString control;
    // Starts the simulator and waits for its "ready" line; extra options follow the link's.
    bool Start(const QString& link, const QString& controlFifo, const QStringList& extra = {}) {
        control = controlFifo;
        proc.start(
            QStringLiteral(KORVA_BIN_DIR "/korva-devsim"),
            QStringList{QStringLiteral("--link"), link, QStringLiteral("--control"), control} +
                extra);
        if (!proc.waitForStarted(5000)) return false;
        QByteArray out;
        QElapsedTimer t;
        t.start();
        while (!out.contains("ready") && t.elapsed() < 5000 && proc.state() == QProcess::Running) {
            proc.waitForReadyRead(100);
            out += proc.readAllStandardOutput();
        }
        return out.contains("ready");
    }
    // A control command; the simulator reads it between frames, so give it a moment.
    bool Control(const QByteArray& line) {
        QFile fifo(control);
        if (!fifo.open(QIODevice::WriteOnly) || fifo.write(line + "\n") != line.size() + 1)
            return false;
        fifo.close();
        QThread::msleep(100);
        return true;
    }
    ~Sim() {
        proc.terminate();
        if (!proc.waitForFinished(3000)) proc.kill();
    }
};
