#include "mainwindow/ProjTreeModel.h"

#include "mainwindow/ContentFilter.h"

#include <QHash>
#include <algorithm>

namespace {
// FNV-1a over the UTF-16 units, then a final mix for the low bits the index uses.
constexpr size_t kHashStart = 14695981039346656037ull;
size_t HashOn(size_t h, QStringView text) {
    for (const QChar c : text)
        h = (h ^ c.unicode()) * 1099511628211ull;
    return h;
}
size_t HashEnd(size_t h) {
    h ^= h >> 33;
    h *= 0xff51afd7ed558ccdull;
    return h ^ (h >> 33);
}
} // namespace

bool ProjTreeModel::Joined::operator==(QStringView text) const {
    return text.size() == head.size() + tail.size() && text.startsWith(head) &&
           text.sliced(head.size()) == tail;
}

size_t ProjTreeModel::Joined::Hash() const {
    return HashEnd(HashOn(HashOn(kHashStart, head), tail));
}

size_t ProjTreeModel::Joined::Hash(QStringView text) {
    return HashEnd(HashOn(kHashStart, text));
}

ProjTreeModel::ProjTreeModel(QObject* parent) : QAbstractItemModel(parent) {}
ProjTreeModel::~ProjTreeModel() = default;

int ProjTreeModel::Node::Row() const {
    return parent ? row : 0;
}

// The rows from the top down to a node: tree order is the order of these paths.
QVector<int> ProjTreeModel::Path(const Node* node) {
    QVector<int> path;
    for (; node && node->parent; node = node->parent)
        path.prepend(node->row);
    return path;
}

ProjTreeModel::Node* ProjTreeModel::NewNode() {
    if (m_chunkFill == kChunk) {
        if (m_chunksUsed == m_chunks.size()) m_chunks.push_back(std::make_unique<Node[]>(kChunk));
        ++m_chunksUsed;
        m_chunkFill = 0;
    }
    return &m_chunks[m_chunksUsed - 1][m_chunkFill++];
}

void ProjTreeModel::Drop(Node* node) {
    for (Node* child : node->children)
        Drop(child);
    UnindexTag(node);
    *node = Node();
}

void ProjTreeModel::PlaceTag(Node* node) const {
    const size_t mask = m_byTag.size() - 1;
    size_t i = node->tagHash & mask;
    while (m_byTag[i])
        i = (i + 1) & mask;
    m_byTag[i] = node;
}

void ProjTreeModel::ResizeTags(size_t slots) const {
    std::vector<Node*> old(slots, nullptr);
    old.swap(m_byTag);
    for (Node* n : old)
        if (n) PlaceTag(n);
}

void ProjTreeModel::ReserveTags(size_t nodes) const {
    size_t slots = std::max<size_t>(m_byTag.size(), 64);
    while (slots < 2 * nodes)
        slots *= 2;
    if (slots != m_byTag.size()) ResizeTags(slots);
}

void ProjTreeModel::IndexTag(Node* node) const {
    if (m_tagsStale) return;
    node->tagHash = node->tag.Hash();
    ReserveTags(m_tagged + 1);
    PlaceTag(node);
    ++m_tagged;
}

void ProjTreeModel::UnindexTag(Node* node) const {
    if (m_tagsStale || m_byTag.empty()) return;
    const size_t mask = m_byTag.size() - 1;
    size_t i = node->tagHash & mask;
    while (m_byTag[i] && m_byTag[i] != node)
        i = (i + 1) & mask;
    if (!m_byTag[i]) return;
    // Close the gap: a later entry of the run moves back unless its home lies after the gap.
    for (size_t j = (i + 1) & mask; m_byTag[j]; j = (j + 1) & mask) {
        const size_t home = m_byTag[j]->tagHash & mask;
        const bool stays = i <= j ? (i < home && home <= j) : (i < home || home <= j);
        if (!stays) {
            m_byTag[i] = m_byTag[j];
            i = j;
        }
    }
    m_byTag[i] = nullptr;
    --m_tagged;
}

void ProjTreeModel::IndexAllTags() const {
    std::vector<Node*> nodes;
    std::vector<const Node*> todo{&m_root};
    while (!todo.empty()) {
        const Node* n = todo.back();
        todo.pop_back();
        nodes.insert(nodes.end(), n->children.begin(), n->children.end());
        todo.insert(todo.end(), n->children.begin(), n->children.end());
    }
    m_byTag.assign(64, nullptr); // sized for this tree, not for the largest one before
    m_tagged = 0;
    m_tagsStale = false;
    ReserveTags(nodes.size());
    for (Node* n : nodes)
        IndexTag(n);
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
    BeginRebuild();
    EndRebuild();
}

void ProjTreeModel::BeginRebuild(int nodes) {
    if (!m_rebuilding) beginResetModel();
    m_rebuilding = true;
    m_root.children.clear();
    const size_t keep = std::min(m_chunks.size(), size_t(std::max(nodes, 0) + kChunk - 1) / kChunk);
    m_chunks.resize(keep);
    for (size_t c = 0; c < keep; ++c)
        for (int i = 0; i < kChunk; ++i)
            m_chunks[c][i] = Node();
    m_chunksUsed = 0;
    m_chunkFill = kChunk;
    m_tagsStale = true;
}

void ProjTreeModel::EndRebuild() {
    if (!m_rebuilding) return;
    m_rebuilding = false;
    endResetModel();
    std::vector<const Node*> todo{&m_root};
    while (!todo.empty()) {
        const Node* n = todo.back();
        todo.pop_back();
        if (n->expanded) Q_EMIT expandedChanged(IndexOf(n), true);
        for (const Node* c : n->children)
            if (c->expanded || !c->children.empty()) todo.push_back(c);
    }
}

void ProjTreeModel::ReserveChildren(const QModelIndex& parentIndex, int count) {
    Node* parent = parentIndex.isValid() ? NodeOf(parentIndex) : &m_root;
    if (parent && count > 0) parent->children.reserve(parent->children.size() + size_t(count));
}

QModelIndex ProjTreeModel::AddNode(const QModelIndex& parentIndex, const QString& caption,
                                   const Joined& key, const QString& imageKey, const Joined& tag,
                                   bool grey, const QStringList& searchTexts) {
    Node* parent = parentIndex.isValid() ? NodeOf(parentIndex) : &m_root;
    if (!parent) return {};
    const int row = int(parent->children.size());
    if (!m_rebuilding) beginInsertRows(parentIndex, row, row);
    Node* node = NewNode();
    node->caption = caption;
    node->key = key;
    node->imageKey = imageKey;
    node->tag = tag;
    node->grey = grey;
    node->searchTexts = searchTexts;
    node->parent = parent;
    node->row = row;
    parent->children.push_back(node);
    IndexTag(node);
    if (!m_rebuilding) endInsertRows();
    return createIndex(row, 0, node);
}

bool ProjTreeModel::RemoveNode(const QModelIndex& index) {
    Node* node = NodeOf(index);
    if (!node) return false;
    const int row = node->Row();
    beginRemoveRows(index.parent(), row, row);
    auto& siblings = node->parent->children;
    siblings.erase(siblings.begin() + row);
    for (size_t i = size_t(row); i < siblings.size(); ++i)
        siblings[i]->row = int(i);
    Drop(node);
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
        UnindexTag(n);
        n->tag = tag;
        IndexTag(n);
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
        if (!m_rebuilding) Q_EMIT expandedChanged(index, expanded);
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
        for (const Node* c : n->children)
            todo.push_back(c);
    }
}

QString ProjTreeModel::Caption(const QModelIndex& index) const {
    const Node* n = NodeOf(index);
    return n ? n->caption : QString();
}

QString ProjTreeModel::Tag(const QModelIndex& index) const {
    const Node* n = NodeOf(index);
    return n ? n->tag.Text() : QString();
}

QModelIndex ProjTreeModel::FindByTag(const QString& tag) const {
    if (m_tagsStale) IndexAllTags();
    if (m_byTag.empty()) return {};
    const size_t hash = Joined::Hash(tag);
    const size_t mask = m_byTag.size() - 1;
    const Node* first = nullptr;
    QVector<int> firstPath;
    for (size_t i = hash & mask; m_byTag[i]; i = (i + 1) & mask) {
        const Node* n = m_byTag[i];
        if (n->tagHash != hash || !(n->tag == tag)) continue;
        if (!first) {
            first = n;
            continue;
        }
        // The same tag twice: the first in tree order.
        if (firstPath.isEmpty()) firstPath = Path(first);
        const QVector<int> path = Path(n);
        if (path < firstPath) {
            first = n;
            firstPath = path;
        }
    }
    return IndexOf(first);
}

int ProjTreeModel::NodeCount() const {
    int count = 0;
    std::vector<const Node*> todo{&m_root};
    while (!todo.empty()) {
        const Node* n = todo.back();
        todo.pop_back();
        for (const Node* c : n->children) {
            ++count;
            todo.push_back(c);
        }
    }
    return count;
}

QModelIndex ProjTreeModel::index(int row, int column, const QModelIndex& parentIndex) const {
    const Node* parent = parentIndex.isValid() ? NodeOf(parentIndex) : &m_root;
    if (!parent || column != 0 || row < 0 || row >= int(parent->children.size())) return {};
    return createIndex(row, 0, parent->children[size_t(row)]);
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
        return n->tag.Text();
    case KeyRole:
        return n->key.Text();
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
