#include "device/CommLogCells.h"

#include <QApplication>
#include <QFontInfo>
#include <QGlyphRun>
#include <QPainter>
#include <QTextLayout>
#include <QVarLengthArray>
#include <algorithm>

CommLogCells::CommLogCells(const QFont& font, bool drawsGrid, QObject* parent)
    : QStyledItemDelegate(parent), m_font(font), m_drawsGrid(drawsGrid), m_metrics(font),
      m_raw(QRawFont::fromFont(font)) {
    if (!QFontInfo(font).fixedPitch() || !m_raw.isValid() ||
        !m_raw.supportsCharacter(QChar(0x2026)))
        return;
    QString ascii;
    for (char16_t c = 0x20; c < 0x7F; ++c)
        ascii += QChar(c);
    ascii += QChar(0x2026);
    const QList<quint32> glyphs = m_raw.glyphIndexesForString(ascii);
    if (glyphs.size() != ascii.size()) return;
    const QList<QPointF> advances = m_raw.advancesForGlyphIndexes(glyphs);
    // Every character, the ellipsis too, one advance wide, and a glyph for each.
    for (qsizetype i = 0; i < glyphs.size(); ++i)
        if (glyphs[i] == 0 || advances[i].x() != advances[0].x()) return;
    std::copy(glyphs.begin(), glyphs.end() - 1, m_glyphs.begin());
    m_ellipsis = glyphs.last();
    m_advance = advances[0].x();
}

bool CommLogCells::DrawsDirect(const QString& text) const {
    return m_advance > 0 && std::all_of(text.begin(), text.end(), [](QChar c) {
               return c.unicode() >= 0x20 && c.unicode() < 0x7F;
           });
}

const CommLogCells::Laid& CommLogCells::LaidOut(const QString& text, int width) const {
    auto it = m_laid.find(text);
    if (it != m_laid.end() &&
        (it->width == width || (!it->cut && it->text.size().width() <= width)))
        return *it;
    if (m_laid.size() >= 1024) m_laid.clear();
    Laid laid{width, false, QStaticText(text)};
    laid.text.setTextFormat(Qt::PlainText);
    laid.text.prepare(QTransform(), m_font);
    if (laid.text.size().width() > width) {
        laid.cut = true;
        laid.text.setText(m_metrics.elidedText(text, Qt::ElideRight, width));
        laid.text.prepare(QTransform(), m_font);
    }
    return *m_laid.insert(text, std::move(laid));
}

namespace {
// Characters of the Chinese texts: ideographs, their punctuation and the full-width forms. They
// take no shaping: each keeps its glyph whatever stands beside it.
bool IsCjk(char16_t c) {
    return (c >= 0x2E80 && c <= 0x9FFF) || (c >= 0xF900 && c <= 0xFAFF) ||
           (c >= 0xFF00 && c <= 0xFFEF);
}
} // namespace

const CommLogCells::Glyph& CommLogCells::GlyphOf(QChar c) const {
    auto it = m_cjk.find(c.unicode());
    if (it != m_cjk.end()) return *it;
    Glyph g;
    QTextLayout layout(QString(c), m_font);
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    const QList<QGlyphRun> runs = layout.glyphRuns();
    if (runs.size() == 1 && runs[0].glyphIndexes().size() == 1 && runs[0].glyphIndexes()[0]) {
        const QRawFont raw = runs[0].rawFont();
        g.index = runs[0].glyphIndexes()[0];
        g.advance = raw.advancesForGlyphIndexes({g.index})[0].x();
        g.font = int(m_fonts.indexOf(raw));
        if (g.font < 0) {
            g.font = int(m_fonts.size());
            m_fonts << raw;
        }
    }
    return *m_cjk.insert(c.unicode(), g);
}

namespace {
// Where text of width w goes in r with flags: the start of its baseline, for a line of the
// given ascent and descent (0 and the height: its top left corner).
QPointF Placed(const QRect& r, int flags, qreal w, qreal ascent, qreal descent) {
    qreal x = r.left(), y = r.top() + ascent;
    if (flags & Qt::AlignRight)
        x += r.width() - w;
    else if (flags & Qt::AlignHCenter)
        x += (r.width() - w) / 2;
    if (flags & Qt::AlignBottom)
        y = r.top() + r.height() - descent;
    else if (flags & Qt::AlignVCenter)
        y = r.top() + (r.height() - (ascent + descent)) / 2 + ascent;
    return {x, y};
}
} // namespace

// ASCII and Chinese as glyph runs; an ASCII text cut as elidedText cuts it (as many characters
// as fit, then the ellipsis). False leaves the text to the layout: another script, a character
// no font has, a Chinese text to cut.
bool CommLogCells::DrawsGlyphs(QPainter* p, const QRect& r, int flags, const QString& text) const {
    if (m_advance <= 0) return false;
    QVarLengthArray<int, 128> fonts; // -1: the fixed font
    QVarLengthArray<quint32, 128> glyphs;
    QVarLengthArray<qreal, 128> xs;
    qreal x = 0, ascent = m_metrics.ascent(), descent = m_metrics.descent();
    bool ascii = true;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        xs.append(x);
        if (u >= 0x20 && u < 0x7F) {
            fonts.append(-1);
            glyphs.append(m_glyphs[u - 0x20]);
            x += m_advance;
            continue;
        }
        if (!IsCjk(u)) return false;
        const Glyph& g = GlyphOf(c);
        if (g.font < 0) return false;
        ascii = false;
        fonts.append(g.font);
        glyphs.append(g.index);
        x += g.advance;
        ascent = std::max(ascent, m_fonts[g.font].ascent());
        descent = std::max(descent, m_fonts[g.font].descent());
    }
    if (x > r.width()) {
        if (!ascii) return false;
        if (r.width() < m_advance) return true; // not even the ellipsis fits
        const qsizetype n = qsizetype((r.width() - m_advance) / m_advance);
        fonts.resize(n + 1);
        glyphs.resize(n + 1);
        xs.resize(n + 1);
        glyphs[n] = m_ellipsis;
        xs[n] = n * m_advance;
        x = (n + 1) * m_advance;
    }
    const QPointF origin = Placed(r, flags, x, ascent, descent);
    // One run for each stretch in one font.
    for (qsizetype i = 0; i < glyphs.size();) {
        qsizetype j = i;
        QList<quint32> indexes;
        QList<QPointF> positions;
        for (; j < glyphs.size() && fonts[j] == fonts[i]; ++j) {
            indexes << glyphs[j];
            positions << QPointF(xs[j], 0);
        }
        QGlyphRun run;
        run.setRawFont(fonts[i] < 0 ? m_raw : m_fonts[fonts[i]]);
        run.setGlyphIndexes(indexes);
        run.setPositions(positions);
        p->drawGlyphRun(origin, run);
        i = j;
    }
    return true;
}

void CommLogCells::DrawText(QPainter* p, const QRect& r, int flags, const QString& text) const {
    if (p->font() != m_font || std::any_of(text.begin(), text.end(), [](QChar c) {
            return c.unicode() < 0x20;
        })) { // tabs and line breaks as the painter treats them
        p->drawText(r, flags | Qt::TextSingleLine,
                    p->fontMetrics().elidedText(text, Qt::ElideRight, r.width()));
        return;
    }
    if (DrawsGlyphs(p, r, flags, text)) return;
    const QStaticText& laid = LaidOut(text, r.width()).text;
    p->drawStaticText(Placed(r, flags, laid.size().width(), 0, laid.size().height()), laid);
}

void CommLogCells::paint(QPainter* p, const QStyleOptionViewItem& option,
                         const QModelIndex& index) const {
    const QWidget* w = option.widget;
    const QStyle* style = w ? w->style() : QApplication::style();
    const QPalette::ColorGroup group = !(option.state & QStyle::State_Enabled) ? QPalette::Disabled
                                       : (option.state & QStyle::State_Active) ? QPalette::Normal
                                                                               : QPalette::Inactive;
    QRect cell = option.rect;
    if (m_drawsGrid) {
        cell.adjust(0, 0, -1, -1);
        const QColor grid =
            QColor::fromRgba(QRgb(style->styleHint(QStyle::SH_Table_GridLineColor, &option, w)));
        p->fillRect(QRect(cell.right() + 1, cell.top(), 1, option.rect.height()), grid);
        p->fillRect(QRect(cell.left(), cell.bottom() + 1, cell.width(), 1), grid);
    }
    const bool selected = option.state & QStyle::State_Selected;
    if (selected) p->fillRect(cell, option.palette.brush(group, QPalette::Highlight));
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, w) + 1;
    const QVariant align = index.data(Qt::TextAlignmentRole);
    p->setPen(option.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text));
    p->setFont(option.font);
    DrawText(p, cell.adjusted(margin, 0, -margin, 0),
             align.isValid() ? align.toInt() : int(Qt::AlignLeft | Qt::AlignVCenter),
             index.data(Qt::DisplayRole).toString());
    if (option.state & QStyle::State_HasFocus) {
        QStyleOptionFocusRect focus;
        focus.QStyleOption::operator=(option);
        focus.rect = cell;
        focus.state |= QStyle::State_KeyboardFocusChange | QStyle::State_Item;
        focus.backgroundColor =
            option.palette.color(group, selected ? QPalette::Highlight : QPalette::Window);
        style->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, p, w);
    }
}
