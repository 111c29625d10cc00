#pragma once
// The content list in report view: column headers with their widths in twips, and rows of
// texts (the item text, then its sub-items). It only displays; the views find and sort
// through a proxy (ContentFilter.h) and never change its rows.
#include <QAbstractTableModel>
#include <QStringList>
#include <QVector>

class NodeContentModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // headerData(section, Qt::Horizontal, WidthTwipsRole): the column's width in twips.
    static constexpr int WidthTwipsRole = Qt::UserRole + 1;
    // data(index, KeyRole): what the row stands for; its item text unless AddRow named a key.
    static constexpr int KeyRole = Qt::UserRole + 2;

    struct Column {
        QString caption;
        int widthTwips = 0;
        bool searched = true; // the find text looks in this column
    };

    explicit NodeContentModel(QObject* parent = nullptr);

    // Clearing the columns makes the list a plain list again (not a table).
    void ClearColumns();
    void ClearRows();
    void AddColumn(const QString& caption, int widthTwips, bool searched = true);
    // A table view of a row set: its rows can be found and sorted.
    void SetTable(bool table) { m_table = table; }
    bool IsTable() const { return m_table; }
    // One row: the item text, then the sub-items. A find looks in searchTexts, or when there
    // are none in the row's searched columns.
    void AddRow(const QStringList& texts, const QString& key = {},
                const QStringList& searchTexts = {});

    const QVector<Column>& Columns() const { return m_columns; }
    QStringList Captions() const;
    QVector<int> WidthsTwips() const;
    const QVector<QStringList>& Rows() const { return m_rows; }
    QString Text(int row, int column) const;
    QString Key(int row) const;
    QStringList SearchTexts(int row) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    QVector<Column> m_columns;
    QVector<QStringList> m_rows;
    QVector<QString> m_keys;
    QVector<QStringList> m_search;
    bool m_table = false;
};
