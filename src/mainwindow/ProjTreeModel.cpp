#include "mainwindow/ProjTreeModel.h"

#include "mainwindow/ContentFilter.h"

ProjTreeModel::ProjTreeModel(QObject* parent) : QAbstractItemModel(parent) {}
ProjTreeModel::~ProjTreeModel() = default;

int ProjTreeModel::Node::Row() const {
    if (!parent) return 0;
    const auto& siblings = parent->children;
    for (size_t i = 0; i < siblings.size(); ++i)
        if (siblings[i].get() == this) return int(i);
    return 0;
}

ProjTreeModel::Node* ProjTreeModel::NodeOf(const QModelIndex& index) const {
    if (!index.isValid() || index.model() != this) return nullptr;
    return static_cast<Node*>(index.internalPointer());
}

QModelIndex ProjTreeModel::IndexOf(const Node* node) const {
    if (!node || node == &m_root) return {};
    return createIndex(node->Row(), 0, const_cast<Node*>(node));
}

void ProjTreeModel::Clear() {
    beginResetModel();
    m_root.children.clear();
    endResetModel();
}

QModelIndex ProjTreeModel::AddNode(const QModelIndex& parentIndex, const QString& caption,
                                   const QString& key, const QString& imageKey, const QString& tag,
                                   bool grey) {
    Node* parent = parentIndex.isValid() ? NodeOf(parentIndex) : &m_root;
    if (!parent) return {};
    const int row = int(parent->children.size());
    beginInsertRows(parentIndex, row, row);
    auto node = std::make_unique<Node>();
    node->caption = caption;
    node->key = key;
    node->imageKey = imageKey;
    node->tag = tag;
    node->grey = grey;
    node->parent = parent;
    Node* raw = node.get();
    parent->children.push_back(std::move(node));
    endInsertRows();
    return IndexOf(raw);
}

bool ProjTreeModel::RemoveNode(const QModelIndex& index) {
    Node* node = NodeOf(index);
    if (!node) return false;
    const int row = node->Row();
    beginRemoveRows(index.parent(), row, row);
    node->parent->children.erase(node->parent->children.begin() + row);
    endRemoveRows();
    return true;
}

void ProjTreeModel::SetCaption(const QModelIndex& index, const QString& caption) {
    if (Node* n = NodeOf(index)) {
        n->caption = caption;
        Q_EMIT dataChanged(index, index, {Qt::DisplayRole});
    }
}

void ProjTreeModel::SetTag(const QModelIndex& index, const QString& tag) {
    if (Node* n = NodeOf(index)) {
        n->tag = tag;
        Q_EMIT dataChanged(index, index, {TagRole});
    }
}

void ProjTreeModel::SetGrey(const QModelIndex& index, bool grey) {
    if (Node* n = NodeOf(index)) {
        n->grey = grey;
        Q_EMIT dataChanged(index, index, {GreyRole, Qt::ForegroundRole});
    }
}

void ProjTreeModel::SetExpanded(const QModelIndex& index, bool expanded) {
    if (Node* n = NodeOf(index)) {
        n->expanded = expanded;
        Q_EMIT expandedChanged(index, expanded);
    }
}

void ProjTreeModel::SetSearchTexts(const QModelIndex& index, const QStringList& texts) {
    if (Node* n = NodeOf(index)) {
        n->searchTexts = texts;
        Q_EMIT dataChanged(index, index, {MatchedRole});
    }
}

void ProjTreeModel::SetFindText(const QString& text) {
    if (text == m_findText) return;
    m_findText = text;
    std::vector<const Node*> todo{&m_root};
    while (!todo.empty()) {
        const Node* n = todo.back();
        todo.pop_back();
        if (n->children.empty()) continue;
        const QModelIndex parent = IndexOf(n);
        Q_EMIT dataChanged(index(0, 0, parent), index(int(n->children.size()) - 1, 0, parent),
                           {MatchedRole});
        for (const auto& c : n->children)
            todo.push_back(c.get());
    }
}

QString ProjTreeModel::Caption(const QModelIndex& index) const {
    const Node* n = NodeOf(index);
    return n ? n->caption : QString();
}

QString ProjTreeModel::Tag(const QModelIndex& index) const {
    const Node* n = NodeOf(index);
    return n ? n->tag : QString();
}

QModelIndex ProjTreeModel::Find(const Node* under, const QString& tag) const {
    for (const auto& child : under->children) {
        if (child->tag == tag) return IndexOf(child.get());
        const QModelIndex found = Find(child.get(), tag);
        if (found.isValid()) return found;
    }
    return {};
}

QModelIndex ProjTreeModel::FindByTag(const QString& tag) const {
    return Find(&m_root, tag);
}

int ProjTreeModel::NodeCount() const {
    int count = 0;
    std::vector<const Node*> todo{&m_root};
    while (!todo.empty()) {
        const Node* n = todo.back();
        todo.pop_back();
        for (const auto& c : n->children) {
            ++count;
            todo.push_back(c.get());
        }
    }
    return count;
}

QModelIndex ProjTreeModel::index(int row, int column, const QModelIndex& parentIndex) const {
    const Node* parent = parentIndex.isValid() ? NodeOf(parentIndex) : &m_root;
    if (!parent || column != 0 || row < 0 || row >= int(parent->children.size())) return {};
    return createIndex(row, 0, parent->children[size_t(row)].get());
}

QModelIndex ProjTreeModel::parent(const QModelIndex& child) const {
    const Node* n = NodeOf(child);
    if (!n || !n->parent) return {};
    return IndexOf(n->parent);
}

int ProjTreeModel::rowCount(const QModelIndex& parentIndex) const {
    if (parentIndex.column() > 0) return 0;
    const Node* parent = parentIndex.isValid() ? NodeOf(parentIndex) : &m_root;
    return parent ? int(parent->children.size()) : 0;
}

int ProjTreeModel::columnCount(const QModelIndex&) const {
    return 1;
}

QVariant ProjTreeModel::data(const QModelIndex& index, int role) const {
    const Node* n = NodeOf(index);
    if (!n) return {};
    switch (role) {
    case Qt::DisplayRole:
        return n->caption;
    case TagRole:
        return n->tag;
    case KeyRole:
        return n->key;
    case ImageKeyRole:
        return n->imageKey;
    case GreyRole:
        return n->grey;
    case ExpandedRole:
        return n->expanded;
    case MatchedRole:
        return !n->searchTexts.isEmpty() && !m_findText.trimmed().isEmpty() &&
               ContentFilter::Matches(n->searchTexts, m_findText);
    default:
        return {};
    }
}
