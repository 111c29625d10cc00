#pragma once
// What a download attempt leaves behind besides the dialer's memory: its row in the download
// history, the link's "incomplete download" state, and the lines the final message gets.
#include "device/CommLink.h"
#include "store/DownloadHistory.h"

#include <QString>

struct DeviceContext;
struct DeviceLink;
struct MLState;
struct ProjectImage;

namespace DownloadOutcome {
// One attempt being recorded.
struct Recording {
    DownloadAttempt attempt;
    QString path;                    // the history file
    QString historyError;            // why the history could not be written; empty when it was
    DownloadHistory::Writer history; // the file, open from the started row to the end
};

// Fills the attempt (dialer, port, project, the image's records as they will be sent, the
// project's content as ProjectContent JSON, computer, user) and writes its "started" row.
// Called once the person agreed, before anything is sent.
Recording Begin(DeviceContext& ctx, const ProjectImage& image, const QByteArray& records,
                const QByteArray& content);
// Begin in two steps, so the row can be written while the port opens. Prepare fills the
// attempt on the thread that owns ctx (it may ask the dialer who it is); WriteStarted hashes
// the records and writes the row, on any thread, touching nothing but r.
Recording Prepare(DeviceContext& ctx, const ProjectImage& image, const QByteArray& records,
                  const QByteArray& content);
void WriteStarted(Recording& r);
// How far the attempt got from the count of acknowledged commands (clears first, then the
// phonebook, then the messages), its outcome, the link's incomplete state, and the history's
// end row in one transaction.
void End(DeviceContext& ctx, Recording& r, int acknowledged, bool ok);

// A dialer was identified at connect: remembers it on the link, takes its incomplete state
// from the history when it is another dialer, and gives the line saying what the history
// knows it last received and when, and whether that equals the open project's image (empty
// when the history knows nothing of it).
QString Identified(DeviceContext& ctx, const DialerIdentity& dialer);

// The paragraph of a failure after a clear: what the dialer now holds and what to do. Empty
// for an attempt that cleared nothing.
QString IncompleteParagraph(const MLState& ml, const DownloadAttempt& a);
// The one line saying the history was not written and why; empty when it was.
QString HistoryNotWrittenLine(const MLState& ml, const Recording& r);
} // namespace DownloadOutcome
