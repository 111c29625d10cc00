#include "mainwindow/PopupMenu.h"

#include "editing/EditCommands.h"
#include "editing/KORVAUtil.h"
#include "editing/ProjMenu.h"
#include "mainwindow/MainContext.h"
#include "mainwindow/MainView.h"
#include "ml/MLText.h"
#include "store/NodeTag.h"

std::array<std::pair<const char*, const PopupItem*>, 12> PopupMenuState::Items() const {
    return {{{"mnuProjConentAddGroupList", &mnuProjConentAddGroupList},
             {"mnuProjConentAddTelList", &mnuProjConentAddTelList},
             {"mnuProjConentBar1", &mnuProjConentBar1},
             {"mnuProjConentDeleteTelList", &mnuProjConentDeleteTelList},
             {"mnuProjConentDeleteGroupList", &mnuProjConentDeleteGroupList},
             {"mnuProjConentEditGroupList", &mnuProjConentEditGroupList},
             {"mnuProjConentEditTelList", &mnuProjConentEditTelList},
             {"mnuProjConentEditZoneList", &mnuProjConentEditZoneList},
             {"mnuProjConentBar2", &mnuProjConentBar2},
             {"mnuProjConentAddUser", &mnuProjConentAddUser},
             {"mnuProjConentAddGroup", &mnuProjConentAddGroup},
             {"mnuProjConentMoveUser", &mnuProjConentMoveUser}}};
}

namespace PopupMenu {
namespace {
using NodeTags::kProjName;
using NodeTags::kUserGroups;
using NodeTags::kUsers;
using NodeTags::kZones;

// Where a menu is built; each place looks its captions up under its own message numbers.
enum class Place {
    Tree,       // a leaf of the tree
    ListNoItem, // the list with no item selected, for a leaf of the tree
    ListItem,   // an item of a leaf's list (or a zone row of the zones branch)
    ListBranch, // a row of the contacts or groups branch's table
};

struct ContactTexts {
    QString edit, del, add, addGroup;
};
struct GroupTexts {
    QString edit, del, add, addUser, moveUser;
};

ContactTexts ContactCaptions(const MLState& ml, Place place, const QString& n) {
    const MLText T{ml, QStringLiteral("KORVAMain")};
    switch (place) {
    case Place::Tree:
        return {T(QStringLiteral("編輯連絡人["), 1, 1481) + n + QStringLiteral("]..."),
                T(QStringLiteral("刪除連絡人["), 1, 1483) + n + u']',
                T(QStringLiteral("新增連絡人..."), 1, 1485),
                T(QStringLiteral("加入新群組..."), 1, 1749)};
    case Place::ListNoItem:
        return {T(QStringLiteral("編輯連絡人["), 1, 677) + n + QStringLiteral("]..."),
                T(QStringLiteral("刪除連絡人["), 1, 679) + n + u']',
                T(QStringLiteral("新增連絡人..."), 1, 646),
                T(QStringLiteral("加入新群組..."), 1, 765)};
    case Place::ListItem:
        return {T(QStringLiteral("編輯連絡人["), 1, 750) + n + QStringLiteral("]..."),
                T(QStringLiteral("刪除連絡人["), 1, 752) + n + u']',
                T(QStringLiteral("新增連絡人..."), 1, 646),
                T(QStringLiteral("加入新群組..."), 1, 806)};
    case Place::ListBranch:
        break;
    }
    return {T(QStringLiteral("編輯連絡人["), 1, 754) + n + T(QStringLiteral("]..."), 2, 754),
            T(QStringLiteral("刪除連絡人["), 1, 756) + n + T(QStringLiteral("]"), 2, 756),
            T(QStringLiteral("新增連絡人..."), 1, 646), T(QStringLiteral("加入新群組..."), 1, 894)};
}

GroupTexts GroupCaptions(const MLState& ml, Place place, const QString& n) {
    const MLText T{ml, QStringLiteral("KORVAMain")};
    if (place == Place::ListBranch)
        return {T(QStringLiteral("編輯連絡人群組["), 1, 636) + n + QStringLiteral("]..."),
                T(QStringLiteral("刪除連絡人群組["), 1, 638) + n + u']',
                T(QStringLiteral("新增連絡人群組..."), 1, 640),
                T(QStringLiteral("加入其它連絡人..."), 1, 739),
                T(QStringLiteral("轉移到其它群組..."), 1, 747)};
    return {T(QStringLiteral("編輯連絡人群組["), 1, 1464) + n + QStringLiteral("]..."),
            T(QStringLiteral("刪除連絡人群組["), 1, 1466) + n + u']',
            T(QStringLiteral("新增連絡人群組..."), 1, 1468),
            T(QStringLiteral("加入其它連絡人..."), 1, 1730),
            T(QStringLiteral("轉移到其它群組..."), 1, 1734)};
}

PopupItem Shown(const QString& caption) {
    return {true, caption};
}

// The menu of a group, contact or zone row named n. Every item not shown is hidden; the items
// of the other kinds get their unnamed captions back where the tree's rule gives them.
PopupMenuState LeafMenu(const MLState& ml, const QString& kind, const QString& n, Place place) {
    const MLText T{ml, QStringLiteral("KORVAMain")};
    PopupMenuState s;
    s.popUp = true;
    if (kind == kUserGroups) {
        const GroupTexts t = GroupCaptions(ml, place, n);
        s.mnuProjConentBar1.visible = true;
        s.mnuProjConentAddGroupList = Shown(t.add);
        s.mnuProjConentDeleteGroupList = Shown(t.del);
        s.mnuProjConentEditGroupList = Shown(t.edit);
        s.mnuProjConentBar2.visible = true;
        s.mnuProjConentAddUser = Shown(t.addUser);
        s.mnuProjConentMoveUser = Shown(t.moveUser);
    } else if (kind == kUsers) {
        const ContactTexts t = ContactCaptions(ml, place, n);
        s.mnuProjConentAddTelList = Shown(t.add);
        s.mnuProjConentBar1.visible = true;
        s.mnuProjConentDeleteTelList = Shown(t.del);
        s.mnuProjConentEditTelList = Shown(t.edit);
        s.mnuProjConentBar2.visible = true;
        s.mnuProjConentAddGroup = Shown(t.addGroup);
    } else if (kind == kZones) {
        s.mnuProjConentEditZoneList =
            Shown(T(QStringLiteral("編輯警報點["), 1, 1494) + n + QStringLiteral("]..."));
    } else {
        return {}; // not a row of any table
    }
    if (place == Place::Tree || place == Place::ListItem) {
        if (kind != kUsers) {
            s.mnuProjConentEditTelList.caption = T(QStringLiteral("編輯連絡人..."), 1, 1488);
            s.mnuProjConentDeleteTelList.caption = T(QStringLiteral("刪除連絡人"), 1, 1490);
        }
        if (kind != kZones)
            s.mnuProjConentEditZoneList.caption = T(QStringLiteral("編輯警報點..."), 1, 1500);
    }
    return s;
}

// A branch's menu: its one add item.
PopupMenuState OnlyAddTel(const QString& caption) {
    PopupMenuState s;
    s.popUp = true;
    s.mnuProjConentAddTelList = Shown(caption);
    return s;
}
PopupMenuState OnlyAddGroupList(const QString& caption) {
    PopupMenuState s;
    s.popUp = true;
    s.mnuProjConentAddGroupList = Shown(caption);
    return s;
}

// The selected node's tag; with a list item on the zones branch, the tag of that item's zone.
bool SelectedTag(const MainContext& ctx, const std::optional<QString>& listItem, QString& tag) {
    const QModelIndex node = MainView::SelectedNode(ctx.view);
    if (!node.isValid()) return false;
    tag = ctx.view.tree.Tag(node);
    if (listItem && tag == kZones) tag += u',' + *listItem;
    return true;
}

// Makes the named row current and opens its editor; a row that is gone is reported by name.
void OpenEditor(MainContext& ctx, const QString& kind, const QString& key) {
    if (!NodeTags::LocateCurRecord(ctx.project, {kind, key})) {
        KORVAUtil::RowMissing(ctx, key);
        return;
    }
    if (kind == kUserGroups)
        ProjMenu::mnuProjEditGroupList_Click(ctx);
    else if (kind == kUsers)
        ProjMenu::mnuProjEditTelList_Click(ctx);
    else if (kind == kZones)
        ProjMenu::mnuProjEditZoneList_Click(ctx);
}
} // namespace

PopupMenuState tvProjectContent_MouseUp(MainContext& ctx) {
    const MLText T{ctx.ml, QStringLiteral("KORVAMain")};
    QString tag;
    if (!SelectedTag(ctx, std::nullopt, tag)) return {};
    const NodeTag parsed = NodeTag::Parse(tag);
    const MLState& ml = ctx.ml;
    PopupMenuState s;
    if (parsed.IsLeaf())
        s = LeafMenu(ml, parsed.kind, *parsed.key, Place::Tree);
    else if (parsed.IsBranch() && parsed.kind == kUsers)
        s = OnlyAddTel(T(QStringLiteral("新增連絡人..."), 1, 1455));
    else if (parsed.IsBranch() && parsed.kind == kUserGroups)
        s = OnlyAddGroupList(T(QStringLiteral("新增連絡人群組..."), 1, 1449));
    // The root and the zones branch have no menu.
    if (s.popUp) NodeTags::LocateCurRecord(ctx.project, parsed);
    return s;
}

PopupMenuState lvNodeContent_MouseUp(MainContext& ctx, const std::optional<QString>& listItem) {
    const MLText T{ctx.ml, QStringLiteral("KORVAMain")};
    QString tag;
    if (!SelectedTag(ctx, listItem, tag)) return {};
    NodeTag parsed = NodeTag::Parse(tag);
    const MLState& ml = ctx.ml;
    const QString kind = parsed.kind;
    PopupMenuState s;
    if (parsed.IsLeaf()) {
        // A group's member list and a zone's record view without a selected row have no menu;
        // nor has a member of a group's list (the member is reached through the contacts).
        if (kind == kUsers)
            s = LeafMenu(ml, kind, *parsed.key, listItem ? Place::ListItem : Place::ListNoItem);
        else if (kind == kZones && listItem)
            s = LeafMenu(ml, kind, *parsed.key, Place::ListItem);
    } else if (parsed.IsBranch() && (!listItem || kind == kProjName)) {
        // A branch's own menu, or on the root's overview the menu of the branch a row stands for.
        const QString branch = listItem ? *listItem : kind;
        if (branch == kUsers)
            s = OnlyAddTel(T(QStringLiteral("新增連絡人..."), 1, 646));
        else if (branch == kUserGroups)
            s = OnlyAddGroupList(T(QStringLiteral("新增連絡人群組..."), 1, 640));
    } else if (parsed.IsBranch() && (kind == kUsers || kind == kUserGroups)) {
        // A row of the contacts or groups table: the menu of that contact or group.
        s = LeafMenu(ml, kind, *listItem, Place::ListBranch);
        parsed.key = *listItem;
    }
    if (s.popUp) NodeTags::LocateCurRecord(ctx.project, parsed);
    return s;
}

void tvProjectContent_DblClick(MainContext& ctx) {
    QString tag;
    if (!SelectedTag(ctx, std::nullopt, tag)) return;
    const NodeTag parsed = NodeTag::Parse(tag);
    if (parsed.IsLeaf()) OpenEditor(ctx, parsed.kind, *parsed.key);
}

void lvNodeContent_DblClick(MainContext& ctx, const std::optional<QString>& listItem) {
    const MLText T{ctx.ml, QStringLiteral("KORVAMain")};
    QString tag;
    if (!listItem || !SelectedTag(ctx, listItem, tag)) return;
    const NodeTag parsed = NodeTag::Parse(tag);
    const QString& kind = parsed.kind;
    if (parsed.IsLeaf()) {
        // A contact's or a zone's row opens its editor; a group's member list does nothing.
        if (kind == kUsers || kind == kZones) OpenEditor(ctx, kind, *parsed.key);
        return;
    }
    if (!parsed.IsBranch()) return;
    if (kind == kProjName) {
        // An overview row: its branch becomes the selected node, expanded, with its table.
        const QString& branch = *listItem;
        const QModelIndex node = MainView::FindNodeByTag(ctx.view, branch);
        if (branch.isEmpty() || !node.isValid()) return;
        ctx.view.tree.SetExpanded(node, true);
        MainView::SelectNode(ctx.view, node);
        MainView::mklvNodeContent(ctx);
    } else if (kind == kUsers) {
        ctx.view.SetLvCaption(T(QStringLiteral("連絡人內容:"), 1, 1121) + *listItem);
        OpenEditor(ctx, kUsers, *listItem);
    } else if (kind == kUserGroups) {
        OpenEditor(ctx, kUserGroups, *listItem);
    }
}

namespace {
// Runs the delete item a pop-up menu state shows; its rule has made the row current.
void RunDelete(MainContext& ctx, const PopupMenuState& s) {
    if (!s.popUp) return;
    if (s.mnuProjConentDeleteGroupList.visible)
        ProjMenu::mnuProjDeleteGroupList_Click(ctx);
    else if (s.mnuProjConentDeleteTelList.visible)
        ProjMenu::mnuProjDeleteTelList_Click(ctx);
}
} // namespace

void tvProjectContent_KeyDelete(MainContext& ctx) {
    RunDelete(ctx, tvProjectContent_MouseUp(ctx));
}

void lvNodeContent_KeyDelete(MainContext& ctx, const std::optional<QString>& listItem) {
    QString tag;
    if (!listItem || !SelectedTag(ctx, std::nullopt, tag)) return;
    if (tag != kUsers && tag != kUserGroups) return;
    RunDelete(ctx, lvNodeContent_MouseUp(ctx, listItem));
}

QString PlainCaption(const QString& caption) {
    QString text;
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] != u'&') {
            text += caption[i];
        } else if (i + 1 < caption.size() && caption[i + 1] == u'&') {
            text += u'&';
            ++i;
        } else if (text.endsWith(u'(') && i + 2 < caption.size() && caption[i + 2] == u')') {
            text.chop(1); // "(&P)"
            i += 2;
        }
    }
    text = text.trimmed();
    for (const QString& tail : {QStringLiteral("..."), QStringLiteral("\u2026")})
        if (text.endsWith(tail)) text.chop(tail.size());
    return text.trimmed();
}

} // namespace PopupMenu

const char* BulkMenuState::ItemName(BulkCommand c) {
    switch (c) {
    case BulkCommand::Delete:
        return "mnuProjConentBulkDelete";
    case BulkCommand::Enable:
        return "mnuProjConentBulkEnable";
    case BulkCommand::Disable:
        return "mnuProjConentBulkDisable";
    case BulkCommand::AddGroup:
        return "mnuProjConentBulkAddGroup";
    case BulkCommand::MoveGroup:
        return "mnuProjConentBulkMoveGroup";
    case BulkCommand::RemoveGroup:
        return "mnuProjConentBulkRemoveGroup";
    case BulkCommand::ZoneTarget:
        return "mnuProjConentBulkZoneTarget";
    case BulkCommand::ZoneEnable:
        return "mnuProjConentBulkZoneEnable";
    case BulkCommand::ZoneDisable:
        return "mnuProjConentBulkZoneDisable";
    case BulkCommand::ZoneClearReset:
        return "mnuProjConentBulkZoneClearReset";
    }
    return "";
}

namespace PopupMenu {
namespace {
// What the selected node's list shows: contacts (with the group of a group's members) or zones.
struct BulkPlace {
    bool contacts = false;
    bool zones = false;
    QString group; // the group whose members are listed
};

BulkPlace PlaceOfList(const MainContext& ctx) {
    BulkPlace place;
    const QString tag = ctx.view.tree.Tag(MainView::SelectedNode(ctx.view));
    if (tag.isEmpty()) return place;
    const NodeTag parsed = NodeTag::Parse(tag);
    if (parsed.IsBranch() && parsed.kind == kUsers) {
        place.contacts = true;
    } else if (parsed.IsLeaf() && parsed.kind == kUserGroups) {
        place.contacts = true;
        place.group = *parsed.key;
    } else if (parsed.IsBranch() && parsed.kind == kZones) {
        place.zones = true;
    }
    return place;
}
} // namespace

BulkMenuState lvNodeContent_BulkMenu(MainContext& ctx, const QStringList& keys) {
    BulkMenuState s;
    if (keys.size() < 2 || !ctx.project.IsOpen()) return s;
    const BulkPlace place = PlaceOfList(ctx);
    using enum BulkCommand;
    if (place.contacts) {
        s.shown = {Delete, Enable, Disable, AddGroup};
        if (!place.group.isEmpty()) s.shown << MoveGroup << RemoveGroup;
    } else if (place.zones) {
        s.shown = {ZoneTarget, ZoneEnable, ZoneDisable, ZoneClearReset};
    }
    s.popUp = !s.shown.isEmpty();
    return s;
}

void lvNodeContent_Bulk(MainContext& ctx, BulkCommand command, const QStringList& keys) {
    if (!lvNodeContent_BulkMenu(ctx, keys).Shows(command)) return;
    const QString group = PlaceOfList(ctx).group;
    switch (command) {
    case BulkCommand::Delete:
        EditCommands::DeleteUsers(ctx, keys);
        break;
    case BulkCommand::Enable:
        EditCommands::SetUsersDisabled(ctx, keys, false);
        break;
    case BulkCommand::Disable:
        EditCommands::SetUsersDisabled(ctx, keys, true);
        break;
    case BulkCommand::AddGroup:
        EditCommands::AddUsersToGroup(ctx, keys);
        break;
    case BulkCommand::MoveGroup:
        EditCommands::MoveUsers(ctx, keys, group);
        break;
    case BulkCommand::RemoveGroup:
        EditCommands::RemoveUsersFromGroup(ctx, keys, group);
        break;
    case BulkCommand::ZoneTarget:
        EditCommands::SetZonesTarget(ctx, keys);
        break;
    case BulkCommand::ZoneEnable:
        EditCommands::SetZonesDisabled(ctx, keys, false);
        break;
    case BulkCommand::ZoneDisable:
        EditCommands::SetZonesDisabled(ctx, keys, true);
        break;
    case BulkCommand::ZoneClearReset:
        EditCommands::ClearZonesReset(ctx, keys);
        break;
    }
}

void lvNodeContent_BulkKeyDelete(MainContext& ctx, const QStringList& keys) {
    lvNodeContent_Bulk(ctx, BulkCommand::Delete, keys);
}
} // namespace PopupMenu
