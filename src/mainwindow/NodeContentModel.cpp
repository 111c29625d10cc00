#include "mainwindow/NodeContentModel.h"

NodeContentModel::NodeContentModel(QObject* parent) : QAbstractTableModel(parent) {}

void NodeContentModel::ClearColumns() {
    m_table = false;
    if (m_columns.isEmpty()) return;
    beginResetModel();
    m_columns.clear();
    endResetModel();
}

void NodeContentModel::ClearRows() {
    if (m_rows.isEmpty()) return;
    beginRemoveRows({}, 0, int(m_rows.size()) - 1);
    m_rows.clear();
    m_keys.clear();
    m_search.clear();
    endRemoveRows();
}

void NodeContentModel::AddColumn(const QString& caption, int widthTwips, bool searched) {
    const int at = int(m_columns.size());
    beginInsertColumns({}, at, at);
    m_columns.append({caption, widthTwips, searched});
    endInsertColumns();
}

void NodeContentModel::AddRow(const QStringList& texts, const QString& key,
                              const QStringList& searchTexts) {
    const int at = int(m_rows.size());
    beginInsertRows({}, at, at);
    m_rows.append(texts);
    m_keys.append(key.isNull() ? texts.value(0) : key);
    m_search.append(searchTexts);
    endInsertRows();
}

QStringList NodeContentModel::Captions() const {
    QStringList out;
    for (const Column& c : m_columns)
        out << c.caption;
    return out;
}

QVector<int> NodeContentModel::WidthsTwips() const {
    QVector<int> out;
    for (const Column& c : m_columns)
        out << c.widthTwips;
    return out;
}

QString NodeContentModel::Text(int row, int column) const {
    if (row < 0 || row >= m_rows.size()) return {};
    return m_rows[row].value(column);
}

QString NodeContentModel::Key(int row) const {
    return m_keys.value(row);
}

QStringList NodeContentModel::SearchTexts(int row) const {
    if (row < 0 || row >= m_rows.size()) return {};
    if (!m_search[row].isEmpty()) return m_search[row];
    QStringList texts;
    for (int c = 0; c < m_columns.size(); ++c)
        if (m_columns[c].searched) texts << m_rows[row].value(c);
    return texts;
}

int NodeContentModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_rows.size());
}

int NodeContentModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_columns.size());
}

QVariant NodeContentModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    if (role == KeyRole) return Key(index.row());
    if (role != Qt::DisplayRole) return {};
    return Text(index.row(), index.column());
}

QVariant NodeContentModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= m_columns.size()) return {};
    if (role == Qt::DisplayRole) return m_columns[section].caption;
    if (role == WidthTwipsRole) return m_columns[section].widthTwips;
    return {};
}
