#pragma once
// Putting the open project into the alarm dialer: the device's two memory areas (phonebook
// and short messages) are cleared and written record by record with function 0x50, each
// record acknowledged by a 6-byte response. What was sent is kept, without check codes, in
// a dump file per area.
#include <QByteArray>
#include <QString>
#include <QVector>

struct DeviceContext;
struct DeviceLink;
struct MLState;
struct PhoneBookEntry;
struct ShortMessageEntry;
struct ProjectImage;

namespace Download {
constexpr int kStation = 247; // the records always go to the dialer's own address
constexpr int kFunction = 0x50;
constexpr int kPhoneBookSub = 0x43;
constexpr int kShortMessageSub = 0x53;
constexpr int kClearPhoneBookSub = 0x40;
constexpr int kClearShortMessagesSub = 0x50;
constexpr int kResponseLength = 6;

// The dump files, in CommLink::dumpDir (empty: the current working directory).
inline QString PhoneBookDumpName() {
    return QStringLiteral("PhoneBook.dbg");
}
inline QString ShortMessageDumpName() {
    return QStringLiteral("SHORTMSG.dbg");
}
QString DumpPath(const DeviceLink& ctx, const QString& fileName);
// The refusal of a project of size bytes for a memory of limit bytes.
QString TooLargeText(const MLState& ml, int size, int limit);

// Request bytes without the check code. A phonebook record: station, 0x50, 0x43, k, L+4,
// disabled flag, group number, L, k, the number. k is the entry's 1-based position.
QByteArray PhoneBookRecord(const PhoneBookEntry& e, int k);
// A short-message record: station, 0x50, 0x53, message code, B+4, flags (0x40, +0x80
// disabled, +0x01 Unicode), group number, B, 0, the entry's text bytes (encoded as the image
// was built; isUnicode is the image's).
QByteArray ShortMessageRecord(const ShortMessageEntry& e, bool isUnicode);
// Every record of the image in sending order, each built once: the phonebook's, then the
// messages' (no check codes).
struct Records {
    QVector<QByteArray> phoneBook;
    QVector<QByteArray> messages;
    // One after another, as the history stores them.
    QByteArray Joined() const;
};
Records BuildRecords(const ProjectImage& image);
// BuildRecords(image).Joined().
QByteArray ImageRecords(const ProjectImage& image);
QByteArray ClearPhoneBookCommand();
QByteArray ClearShortMessagesCommand();

// Each opens the port if needed; true when every command was acknowledged.
bool ClearPhoneBook(const DeviceLink& ctx);
bool ClearShortMessages(const DeviceLink& ctx);
bool WritePhoneBook(const DeviceLink& ctx, const ProjectImage& image);
bool WriteShortMessages(const DeviceLink& ctx, const ProjectImage& image);

// The whole download of the open project with its questions and messages: the no-project
// check and the save prompt, the checks, the confirmation, the exchanges and the outcome.
bool DownloadProject(DeviceContext& ctx);
// The main window's download command: asks first (no project, unsaved changes), then saves
// the working copy over the project file, stamps ModifiedDate on the working copy and runs
// the download without asking about the changes again.
bool DownloadCommand(DeviceContext& ctx);
// DownloadCommand's questions and save without the download: the project file then holds
// what is open (for programs that read the file). False when the person stopped it.
bool SaveForDownload(DeviceContext& ctx);
} // namespace Download
