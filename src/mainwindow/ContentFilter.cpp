#include "mainwindow/ContentFilter.h"

#include "mainwindow/NodeContentModel.h"

namespace ContentFilter {
namespace {
QString Folded(const QString& s) {
    return s.normalized(QString::NormalizationForm_KC).toCaseFolded();
}

bool IsSeparator(QChar c) {
    return c.isSpace() || c == u'-' || c == u'.' || c == u'/' || c == u'(' || c == u')' ||
           c == u'+';
}

QString WithoutSeparators(const QString& s) {
    QString out;
    out.reserve(s.size());
    for (const QChar c : s)
        if (!IsSeparator(c)) out += c;
    return out;
}

// The digits of a text made of digits and separators only (at least one digit); else empty.
QString NumberDigits(const QString& folded) {
    QString digits;
    for (const QChar c : folded) {
        if (c >= u'0' && c <= u'9')
            digits += c;
        else if (!IsSeparator(c))
            return {};
    }
    return digits;
}
} // namespace

bool Matches(const QStringList& texts, const QString& findText) {
    const QString needle = Folded(findText.trimmed());
    if (needle.isEmpty()) return true;
    const QString digits = NumberDigits(needle);
    for (const QString& text : texts) {
        const QString folded = Folded(text);
        if (folded.contains(needle)) return true;
        if (!digits.isEmpty() && WithoutSeparators(folded).contains(digits)) return true;
    }
    return false;
}

bool Before(const QString& a, const QString& b) {
    QString na = NumberDigits(Folded(a.trimmed()));
    QString nb = NumberDigits(Folded(b.trimmed()));
    if (na.isEmpty() != nb.isEmpty()) return !na.isEmpty();
    if (!na.isEmpty()) {
        // By value, of any length: leading zeros off, then the shorter is the smaller.
        const auto value = [](const QString& d) {
            qsizetype i = 0;
            while (i + 1 < d.size() && d[i] == u'0')
                ++i;
            return d.mid(i);
        };
        na = value(na);
        nb = value(nb);
        if (na.size() != nb.size()) return na.size() < nb.size();
        if (na != nb) return na < nb;
        return a < b;
    }
    const int c = a.localeAwareCompare(b);
    return c != 0 ? c < 0 : a < b;
}
} // namespace ContentFilter

ContentFilterModel::ContentFilterModel(NodeContentModel& source, QObject* parent)
    : QSortFilterProxyModel(parent), m_source(source) {
    setSourceModel(&source);
    for (const auto signal : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved})
        connect(this, signal, this, &ContentFilterModel::countChanged);
    connect(this, &QAbstractItemModel::modelReset, this, &ContentFilterModel::countChanged);
    connect(this, &QAbstractItemModel::layoutChanged, this, &ContentFilterModel::countChanged);
}

void ContentFilterModel::SetFindText(const QString& text) {
    if (text == m_findText) return;
    m_findText = text;
    invalidateRowsFilter();
    Q_EMIT countChanged();
}

bool ContentFilterModel::Filtering() const {
    return m_source.IsTable() && !m_findText.trimmed().isEmpty();
}

int ContentFilterModel::TotalCount() const {
    return m_source.rowCount();
}

bool ContentFilterModel::SortClicked(int column) {
    if (!m_source.IsTable() || column < 0 || column >= m_source.columnCount()) return false;
    const Qt::SortOrder order = m_sortColumn == column && m_sortOrder == Qt::AscendingOrder
                                    ? Qt::DescendingOrder
                                    : Qt::AscendingOrder;
    sort(column, order);
    return true;
}

void ContentFilterModel::ResetSort() {
    if (m_sortColumn >= 0 || sortColumn() >= 0) sort(-1);
}

void ContentFilterModel::Resort() {
    if (m_sortColumn < 0 || !m_source.IsTable() || m_sortColumn >= m_source.columnCount()) {
        ResetSort();
        return;
    }
    // The proxy drops its sort column while the list has no columns: sort again.
    QSortFilterProxyModel::sort(-1);
    sort(m_sortColumn, m_sortOrder);
}

void ContentFilterModel::sort(int column, Qt::SortOrder order) {
    m_sortColumn = column;
    m_sortOrder = order;
    QSortFilterProxyModel::sort(column, order);
    Q_EMIT sortChanged(column, order);
}

int ContentFilterModel::SourceRow(const QModelIndex& shown) const {
    if (!shown.isValid() || shown.model() != this) return -1;
    return mapToSource(shown).row();
}

QString ContentFilterModel::KeyOf(const QModelIndex& shown) const {
    const int row = SourceRow(shown);
    return row < 0 ? QString() : m_source.Key(row);
}

bool ContentFilterModel::filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const {
    if (sourceParent.isValid() || !Filtering()) return true;
    return ContentFilter::Matches(m_source.SearchTexts(sourceRow), m_findText);
}

bool ContentFilterModel::lessThan(const QModelIndex& left, const QModelIndex& right) const {
    return ContentFilter::Before(m_source.Text(left.row(), left.column()),
                                 m_source.Text(right.row(), right.column()));
}
