#pragma once
// One project into several dialers at once: a child process of korvactl per port
// ("korvactl download PROJECT --machine --port P"), each with its own link, driven through
// lines of tab-separated UTF-8 text.
//   child -> parent, on its standard output:
//     connected<TAB>serial<TAB>model        the dialer answered and was identified
//     refused<TAB>text                      it cannot take the project: nothing was sent
//     ready                                 checks passed; waits for "go" or "cancel"
//     progress<TAB>area<TAB>done<TAB>total  area: clear, phonebook or messages
//     result<TAB>outcome<TAB>seconds<TAB>text   outcome: ok, failed, incomplete, cancelled,
//                                           refused; the child ends after it
//   parent -> child, on its standard input: go, cancel. End of input and SIGTERM cancel too;
//   a child that is sending stops after the exchange in flight.
#include <QObject>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QVector>
#include <memory>
#include <vector>

struct DeviceContext;
struct MLState;
struct ProjectImage;

namespace BenchLine {
// One line: the fields joined by tabs, tabs and line breaks inside a field made blanks.
QByteArray Format(const QStringList& fields);
// The fields of one line (without its line break).
QStringList Parse(const QByteArray& line);
} // namespace BenchLine

namespace BenchCheck {
// Why the dialer of this model cannot take the image (its memory, its phonebook), as the
// single download says it; empty when it can, or when the model is not in the list (the
// project's own model is then the only judge).
QString Refusal(DeviceContext& ctx, const ProjectImage& image, const QString& modelName);
} // namespace BenchCheck

enum class BenchOutcome { None, Ok, Failed, Incomplete, Cancelled, Refused };

namespace BenchOutcomes {
QString Word(BenchOutcome outcome); // the protocol's word
BenchOutcome FromWord(const QString& word);
QString Text(const MLState& ml, BenchOutcome outcome); // what the person reads
} // namespace BenchOutcomes

struct BenchTarget {
    QString label;   // what the person reads: the port, or the simulated device and its number
    QString port;    // empty: the child starts its own simulated device (--demo)
    QString dumpDir; // the child's folder for its dump files; empty: none given
};

struct BenchPort {
    BenchTarget target;
    QString serialNo;
    QString model;
    QString area; // clear, phonebook or messages
    int done = 0;
    int total = 0;
    bool ready = false;
    BenchOutcome outcome = BenchOutcome::None;
    double seconds = 0;
    QString text; // the result's line; for a refusal its reason
    bool Finished() const { return outcome != BenchOutcome::None; }
};

class MultiDownload : public QObject {
    Q_OBJECT
public:
    // program: korvactl; arguments: what every child gets ("download", the project, shared
    // options), each child adding --machine and its port or --demo.
    MultiDownload(const MLState& ml, QString program, QStringList arguments,
                  QObject* parent = nullptr);
    ~MultiDownload() override; // children still running are ended

    void Start(const QVector<BenchTarget>& targets);
    // Every ready child starts sending.
    void Go();
    // Every child not finished stops: a ready one sends nothing, a sending one stops after
    // its exchange in flight.
    void Cancel();

    const QVector<BenchPort>& Ports() const { return m_ports; }
    bool AllSettled() const; // every port ready or finished
    bool AllFinished() const;
    bool Ended() const { return m_finished; } // every child has ended
    bool Cancelled() const { return m_cancelled; }
    bool AllOk() const;
    int ReadyCount() const;
    // Where a port is: connecting, ready, the area being sent, or its outcome.
    static QString StateText(const MLState& ml, const BenchPort& port);
    // The one confirmation: every port with its model and serial number, a refusal with why.
    QString ConfirmText() const;
    QString Title() const;
    // The folder name of each port's dumps: its last path part, made safe and unique.
    static QStringList FolderNames(const QStringList& ports);
    // A target per port (an empty port: the simulated device), each with its dump folder
    // under dumpBase, made here. False, with the folder in failed, when one cannot be made.
    static bool MakeTargets(const QStringList& labels, const QStringList& ports,
                            const QString& dumpBase, QVector<BenchTarget>& targets,
                            QString& failed);
    // The window's children: the open project's file, its language, time-out, retries and
    // download history.
    static QStringList WindowArguments(const DeviceContext& ctx);
    // The korvactl beside the executable of this program.
    static QString ProgramBeside(const QString& exeFolder);

Q_SIGNALS:
    void changed(int index); // a port's state changed
    void settled();          // once, when every port is ready or finished
    void finished();         // once, when every child has ended

private:
    void ReadLines(int index);
    void Take(int index, const QStringList& fields);
    void Ended(int index);
    void Tell(int index, const QByteArray& command);
    void CheckSettled();

    const MLState& m_ml;
    QString m_program;
    QStringList m_arguments;
    QVector<BenchPort> m_ports;
    std::vector<std::unique_ptr<QProcess>> m_children;
    QVector<QByteArray> m_pending; // a partial line per child
    bool m_settled = false;
    bool m_finished = false;
    bool m_cancelled = false;
};
