#pragma once
// Draws the communication log's cells: one line of plain text each, as the style would draw
// it (selection, alignment, the style's text margin, "…" when it does not fit, the focus
// frame), at a fraction of the cost. A log that streams hundreds of frames a second repaints
// a full page of new rows for each batch; the style's general item drawing laid each text out
// several times over (its size, its elision, its drawing), and shaping the text was most of
// the rest. Printable ASCII in a fixed-pitch font is drawn as glyph runs straight from the
// font's character map, and so is Chinese, from the glyph each character took in the
// painter's own layout (learnt once); any other text is laid out once and kept.
#include <QHash>
#include <QRawFont>
#include <QStaticText>
#include <QStyledItemDelegate>
#include <array>

class CommLogCells : public QStyledItemDelegate {
public:
    // font: the view's; a cell in another font is drawn by the general path. drawsGrid: the
    // view's own grid is off and the cells draw it, as the view would (a line of the grid
    // colour along each cell's right and bottom edge), in two rectangle fills; the view's
    // pen draws its lines pixel by pixel, a third of a repaint.
    explicit CommLogCells(const QFont& font, bool drawsGrid = false, QObject* parent = nullptr);
    void paint(QPainter* p, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    // Draws text in r with flags (alignment) as QPainter::drawText draws the text
    // QFontMetrics::elidedText leaves of it, in the painter's font and pen.
    void DrawText(QPainter* p, const QRect& r, int flags, const QString& text) const;
    // Whether text is printable ASCII, drawn straight from the fixed font's glyphs.
    bool DrawsDirect(const QString& text) const;

private:
    QFont m_font;
    bool m_drawsGrid = false;
    QFontMetrics m_metrics;
    QRawFont m_raw;
    qreal m_advance = 0; // of every printable ASCII character; 0: no direct path
    std::array<quint32, 0x7F - 0x20> m_glyphs{}; // by character - 0x20
    quint32 m_ellipsis = 0;
    struct Laid {
        int width = 0; // the width it was laid out for
        bool cut = false;
        QStaticText text;
    };
    const Laid& LaidOut(const QString& text, int width) const;
    mutable QHash<QString, Laid> m_laid; // forgotten whole when it grows past a few pages
    // A Chinese character as the painter's layout draws it in this font: the fallback font it
    // takes (an index into m_fonts), its glyph and advance; font -1: not drawn directly.
    struct Glyph {
        int font = -1;
        quint32 index = 0;
        qreal advance = 0;
    };
    const Glyph& GlyphOf(QChar c) const;
    bool DrawsGlyphs(QPainter* p, const QRect& r, int flags, const QString& text) const;
    mutable QHash<char16_t, Glyph> m_cjk;
    mutable QList<QRawFont> m_fonts;
};
