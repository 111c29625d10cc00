#pragma once
// The project tree's nodes: caption, key, image key, tag, grey text and expanded state.
// A plain item model; the main window's tree view shows it and maps the image key to an icon
// of its icon strip and the grey flag to the grey-text colour.
#include <QAbstractItemModel>
#include <QString>
#include <QStringList>
#include <QVector>
#include <memory>
#include <vector>

class ProjTreeModel : public QAbstractItemModel {
    Q_OBJECT
public:
    enum Role {
        TagRole = Qt::UserRole + 1, // QString: kind word, optionally "," and a row key
        KeyRole,                    // QString: the node's key ("Users", "Zones3", ...)
        ImageKeyRole,               // QString: "Proj", "UserName", "UserGroups", "Zones", "Alarm"
        GreyRole,                   // bool: drawn in the grey-text colour
        ExpandedRole,               // bool: the node is shown expanded
        MatchedRole,                // bool: a find text is set and the node's texts match it
    };

    // A text kept as two parts (a kind word with its comma, and a row's name), joined only
    // when asked for: a rebuild builds no string per node for its tags and keys.
    struct Joined {
        QString head, tail;
        Joined(const QString& text = {}) : head(text) {} // NOLINT: a whole text converts
        Joined(const QString& h, const QString& t) : head(h), tail(t) {}
        QString Text() const { return tail.isEmpty() ? head : head + tail; }
        bool operator==(QStringView text) const;
        size_t Hash() const; // of the joined text; equal texts, equal hashes
        static size_t Hash(QStringView text);
    };

    explicit ProjTreeModel(QObject* parent = nullptr);
    ~ProjTreeModel() override;

    // Removes every node.
    void Clear();
    // A rebuild in one model reset: every node goes, and the nodes AddNode adds until EndRebuild
    // are announced together; the expanded ones are announced after the reset. Nodes is a hint
    // of how many will come.
    void BeginRebuild(int nodes = 0);
    void EndRebuild();
    // Room for count more children under parent.
    void ReserveChildren(const QModelIndex& parent, int count);
    // Appends a node under parent (an invalid parent makes a top-level node).
    QModelIndex AddNode(const QModelIndex& parent, const QString& caption, const Joined& key,
                        const QString& imageKey, const Joined& tag, bool grey = false,
                        const QStringList& searchTexts = {});
    bool RemoveNode(const QModelIndex& index);
    void SetCaption(const QModelIndex& index, const QString& caption);
    void SetTag(const QModelIndex& index, const QString& tag);
    void SetGrey(const QModelIndex& index, bool grey);
    void SetExpanded(const QModelIndex& index, bool expanded);
    // The texts the find text looks in (a leaf's record); a node without any never matches.
    void SetSearchTexts(const QModelIndex& index, const QStringList& texts);
    // Marks the nodes whose search texts match (ContentFilter::Matches); blank marks none.
    void SetFindText(const QString& text);

    QString Caption(const QModelIndex& index) const;
    QString Tag(const QModelIndex& index) const;
    // The first node, in tree order, whose tag equals tag exactly; invalid when none.
    QModelIndex FindByTag(const QString& tag) const;
    int NodeCount() const;

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

Q_SIGNALS:
    // A node was expanded or collapsed by the core; the view follows.
    void expandedChanged(const QModelIndex& index, bool expanded);

private:
    struct Node {
        QString caption, imageKey;
        Joined key, tag;
        QStringList searchTexts;
        bool grey = false;
        bool expanded = false;
        Node* parent = nullptr;
        int row = 0; // among its parent's children
        size_t tagHash = 0;
        std::vector<Node*> children;
        int Row() const;
    };
    Node* NodeOf(const QModelIndex& index) const;
    QModelIndex IndexOf(const Node* node) const;
    static QVector<int> Path(const Node* node);
    Node* NewNode();
    void Drop(Node* node); // with its subtree: out of the index, its texts freed
    // The tag index: open addressing with linear probing, at most half full; equal tags share
    // one probe run. A rebuild leaves it to the first lookup after it, which indexes every
    // node at once.
    void IndexTag(Node* node) const;
    void UnindexTag(Node* node) const;
    void PlaceTag(Node* node) const;
    void ResizeTags(size_t slots) const;
    void ReserveTags(size_t nodes) const;
    void IndexAllTags() const;

    Node m_root;                        // invisible; its children are the top-level nodes
    mutable std::vector<Node*> m_byTag; // every node by its tag's hash; a power of two long
    mutable size_t m_tagged = 0;
    mutable bool m_tagsStale = false; // rebuilt since the index was last filled
    // The nodes live in chunks, one allocation per chunk; a rebuild empties and reuses the
    // chunks it needs.
    static constexpr int kChunk = 256;
    std::vector<std::unique_ptr<Node[]>> m_chunks;
    size_t m_chunksUsed = 0;
    int m_chunkFill = kChunk; // nodes taken from the last chunk used
    QString m_findText;
    bool m_rebuilding = false;
};
