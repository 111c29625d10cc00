#pragma once
// korvactl's project commands: check, image, download, sheet, export and import. Each opens a
// temporary copy of the project file, so the file itself is never touched; an import that is
// agreed to puts the saved copy in its place.
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
// The contacts or zones as a comma-separated file.
int Export(AppContext& ctx, TerminalUi& ui, const QString& project, bool zones,
           const QString& file);
// Prints the verdict of every row of the file, asks, and writes the accepted rows.
int Import(AppContext& ctx, TerminalUi& ui, const QString& project, bool zones, const QString& file,
           bool createGroups);
} // namespace ProjectCommands
