#pragma once
// The simulated device behind the port dialog's demo entry: korva-devsim from the executable's
// folder, on a pseudo-terminal of its own, running while it is in use. It ends when another
// port is chosen, when the context ends, and (on Linux) when the program dies.
#include <QString>
#include <memory>

class QProcess;

class DemoDevice {
public:
    DemoDevice();
    ~DemoDevice();
    DemoDevice(const DemoDevice&) = delete;
    DemoDevice& operator=(const DemoDevice&) = delete;

    // The simulator's program in the folder of the executables.
    static QString ProgramIn(const QString& programFolder);
    // Starts the simulator unless it runs. False with the reason in error when it did not
    // come up.
    bool Start(const QString& program, QString& error);
    void Stop();
    bool Running() const;
    // The terminal the simulator answers on; empty while it is not running.
    QString PortName() const;
    // The simulator's process id while it runs; 0 otherwise.
    qint64 ProcessId() const;
    // Whether the demo is the port chosen last, running or not: its terminal may serve another
    // program once it has ended, so the port dialog offers the demo again, never that path.
    bool Chosen() const { return m_chosen; }
    void SetChosen(bool chosen) { m_chosen = chosen; }

private:
    std::unique_ptr<QProcess> m_proc;
    QString m_port;
    bool m_chosen = false;
};
