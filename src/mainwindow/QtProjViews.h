#pragma once
// Shows the core's project tree and content list in the main window: icons by image key,
// grey text for disabled contacts and zones, the root expanded when the core expands it,
// column widths from twips, the two pane captions, and the File menu's item states.
#include "base/QtIcons.h"

struct MainContext;
struct FileMenuState;
class frmMain;
class QHeaderView;
class QAbstractItemModel;

// The tree's delegate: the icon of each node's image key, the grey-text colour for a node
// whose grey role is set, and bold text for a node the find text marks.
class QtProjTreeDelegate : public QtImageKeyDelegate {
public:
    QtProjTreeDelegate(int imageKeyRole, int greyRole, QObject* parent = nullptr,
                       int matchedRole = -1)
        : QtImageKeyDelegate(imageKeyRole, parent), m_greyRole(greyRole),
          m_matchedRole(matchedRole) {}

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;

private:
    int m_greyRole;
    int m_matchedRole;
};

// The content list's delegate: icons by image key, and a cell whose text is cut shows it whole
// in its tooltip.
class QtContentListDelegate : public QtImageKeyDelegate {
public:
    using QtImageKeyDelegate::QtImageKeyDelegate;
    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override;
    // True when the cell's text does not fit its room.
    bool TextCut(const QStyleOptionViewItem& option, const QModelIndex& index,
                 const QWidget* view) const;
};

namespace QtProjViews {
// Sets the core's models on the window's tree and list and keeps the views in step with them:
// the find box filters the list and marks the tree, a header click sorts a table.
void Attach(frmMain& window, MainContext& ctx);
// Applies the File menu's opening rule to its items.
void ApplyFileMenu(frmMain& window, const FileMenuState& state);
// The recent-file item's caption (the path it opens); empty for an item that has none.
QString RecentCaption(frmMain& window, int index);
// Sizes the header's sections from the model's widths in twips.
void ApplyColumnWidths(QHeaderView* header, const QAbstractItemModel* model, double dpi);
} // namespace QtProjViews
