#pragma once
// The per-user record of every download attempt: which dialer received what, from which
// project, how far it got, and the records sent, so they can be compared later. A SQLite file
// (Attempts table) in the per-user data folder; a history that cannot be written never stops
// a download.
#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QVector>
#include <memory>
#include <optional>

namespace DownloadHistory {
// Stored outcome words (never translated).
inline const QString kStarted = QStringLiteral("started");       // the attempt never ended
inline const QString kSucceeded = QStringLiteral("succeeded");   // every record acknowledged
inline const QString kFailed = QStringLiteral("failed");         // nothing cleared: unchanged
inline const QString kIncomplete = QStringLiteral("incomplete"); // failed after a clear
} // namespace DownloadHistory

struct DownloadAttempt {
    qint64 id = 0;
    QDateTime started;
    QDateTime ended;
    QString outcome = DownloadHistory::kStarted;
    int clearsDone = 0; // 0, 1 (phonebook) or 2 (and messages)
    int phoneBookSent = 0;
    int phoneBookTotal = 0;
    int messagesSent = 0;
    int messagesTotal = 0;
    QString serialNo; // the dialer as read at connect; empty when not known
    QString modelName;
    QString typeCode;
    QString port;
    QString projectPath;
    QString projectName;
    QString imageSha256; // hex, over the records in sending order
    int bytes = 0;       // device memory the image takes
    QString computer;
    QString user;
    QByteArray image;   // the records as sent, one after another, without check codes
    QByteArray content; // the project's content (ProjectContent JSON), for comparisons

    bool HalfProgrammed() const { return outcome == DownloadHistory::kIncomplete; }
};

struct StoreContext;

namespace DownloadHistory {
// The file in the per-user data folder of the window program (korvactl uses the same).
QString DefaultPath();
// The context's history file: its historyPath, or the default.
QString PathOf(const StoreContext& ctx);
// SHA-256 (hex) of the records one after another.
QString ImageHash(const QByteArray& records);
// The records of an image as stored (each is 9 header bytes and its data length at byte 7).
QVector<QByteArray> SplitRecords(const QByteArray& image);
// This computer's name and the user's login.
QString ComputerName();
QString UserName();

class Db;
// The history file held open for one attempt, so its end is written without opening the
// file again. The file opens at the first write; one that could not be opened is tried again.
class Writer {
public:
    explicit Writer(QString path = {});
    ~Writer();
    Writer(Writer&&) noexcept;
    Writer& operator=(Writer&&) noexcept;
    // Writes the attempt as a "started" row and sets its id; false with why.
    bool Begin(DownloadAttempt& attempt, QString* why);
    // Writes the attempt's end in one transaction (a new row when Begin could not write one).
    bool Finish(DownloadAttempt& attempt, QString* why);

private:
    Db* Opened(QString* why);
    QString m_path;
    std::unique_ptr<Db> m_db;
};

// The same, each on the file opened for it alone.
bool Begin(const QString& path, DownloadAttempt& attempt, QString* why);
bool Finish(const QString& path, DownloadAttempt& attempt, QString* why);

struct Filter {
    QString serialNo;    // empty: any
    QString projectPath; // empty: any
    QString outcome;     // empty: any
    int limit = -1;
};
// Attempts newest first, with their images; a file that does not exist holds none. False
// with why when the file cannot be read.
bool Query(const QString& path, const Filter& filter, QVector<DownloadAttempt>& out, QString* why);
// The last attempt that changed this dialer (succeeded, or incomplete), with its image.
std::optional<DownloadAttempt> LastReached(const QString& path, const QString& serialNo);
} // namespace DownloadHistory
