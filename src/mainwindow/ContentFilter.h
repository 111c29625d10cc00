#pragma once
// Find and sort of the content list, a view order only: the rows of the core's list are
// never reordered or removed, a proxy over them shows the rows that match the find text, in
// the order of the column the person sorts by.
#include <QSortFilterProxyModel>
#include <QString>
#include <QStringList>

class NodeContentModel;

namespace ContentFilter {
// True when one of the texts contains the find text, case and width folded (full-width
// digits and letters as their plain forms). A find text of digits and separators (spaces,
// dashes, dots, slashes, parentheses, "+") also matches a text holding those digits with or
// without separators. An empty or blank find text matches everything.
bool Matches(const QStringList& texts, const QString& findText);
// Whether a is ordered before b in a sorted column: numbers (digits and separators) before
// other texts, numbers by value, other texts by the locale's order.
bool Before(const QString& a, const QString& b);
} // namespace ContentFilter

// The content list as the person sees it: rows of a table view filtered by the find text and
// sorted by a clicked column. The record view and the overview pass untouched and unsorted.
class ContentFilterModel : public QSortFilterProxyModel {
    Q_OBJECT
public:
    explicit ContentFilterModel(NodeContentModel& source, QObject* parent = nullptr);

    void SetFindText(const QString& text);
    const QString& FindText() const { return m_findText; }
    // The find text filters the list now (it is not blank and the list is a table).
    bool Filtering() const;
    int ShownCount() const { return rowCount(); }
    int TotalCount() const;
    // A click on a column header: sorts a table by that column, ascending, or reverses the
    // order when it is already sorted by it. False for a list that does not sort.
    bool SortClicked(int column);
    // Back to row order.
    void ResetSort();
    // After the list was rebuilt: its rows in the order of the sort it had.
    void Resort();
    // The source row key of a shown index.
    QString KeyOf(const QModelIndex& shown) const;
    int SourceRow(const QModelIndex& shown) const;

    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

Q_SIGNALS:
    // The sort column (-1: row order) and order changed.
    void sortChanged(int column, Qt::SortOrder order);
    // The find text or the rows shown changed: the "n of m" count follows.
    void countChanged();

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;

private:
    NodeContentModel& m_source;
    QString m_findText;
    int m_sortColumn = -1;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
};
