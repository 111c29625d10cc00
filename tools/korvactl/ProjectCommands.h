#pragma once
// korvactl's project commands: check, image, download and sheet. Each opens a temporary copy of the
// project file, so the file itself is never touched.
#include <QPageSize>
#include <QString>

struct AppContext;
class TerminalUi;

namespace ProjectCommands {
// The pre-download check and the image summary; 0 when the project may be downloaded.
int Check(AppContext& ctx, TerminalUi& ui, const QString& project);
// Every record as it would be sent; hex: the frames with their check code.
int Image(AppContext& ctx, TerminalUi& ui, const QString& project, bool hex);
// The whole download into the device; 0 only when every record was acknowledged.
int Download(AppContext& ctx, TerminalUi& ui, const QString& project, const QString& dumpDir);
// The project sheet as a PDF file on the given paper.
int Sheet(AppContext& ctx, TerminalUi& ui, const QString& project, const QString& pdf,
          QPageSize::PageSizeId paper);
} // namespace ProjectCommands
