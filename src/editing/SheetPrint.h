#pragma once
// The project sheet on paper or in a PDF file: pages laid out with Qt Gui (no Widgets), the
// project's name and the page number in every page's footer.
#include <QPageSize>
#include <QString>
#include <functional>

class QPagedPaintDevice;
class QTextDocument;
struct StoreContext;

namespace SheetPrint {
// The paper of the person's locale: Letter where it is the custom, A4 elsewhere.
QPageSize::PageSizeId DefaultPaper();
// Lays html out on the device's pages as its page layout gives them, with footer(page, pages)
// at the foot of each page. The number of pages painted; 0 when nothing could be painted.
// A table row is moved whole to the next page rather than split. shown, when given, receives
// every text painted.
int Paint(QPagedPaintDevice& device, const QString& html, const QString& language,
          const std::function<QString(int, int)>& footer, QString* shown = nullptr);
// Paints the open project's sheet on a printer or other paged device.
int PaintProject(const StoreContext& ctx, QPagedPaintDevice& device, QString* shown = nullptr);
// Moves each table row that the document's pages would cut to the top of the next page, below
// the repeated header rows (the table is split there); a row taller than a page stays.
void KeepRowsWhole(QTextDocument& doc);
// The PDF text layer names each glyph by the lowest code point the font maps to it, so an
// ideograph that shares its glyph with a Kangxi or supplementary radical (門 and ⾨) reads
// back as the radical. Rewrites, in the PDF's ToUnicode maps, every radical that the text
// shown does not hold into the ideograph it stands for when the text does hold that one.
// The maps keep their length, so the file's offsets stay valid.
QByteArray ShownTextLayer(const QByteArray& pdf, const QString& shown);
// Writes the open project's sheet as a PDF file, whole or not at all. False after a message
// naming the file and the reason.
bool WritePdf(StoreContext& ctx, const QString& path, QPageSize::PageSizeId paper);
// File > Export as PDF: asks for the file (proposing the project's name beside the project)
// and writes it on the locale's paper.
bool ExportPdf(StoreContext& ctx);
} // namespace SheetPrint
