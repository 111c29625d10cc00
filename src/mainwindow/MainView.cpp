#include "mainwindow/MainView.h"

#include "base/VBUtil.h"
#include "db/ADOUtil.h"
#include "editing/KORVAUtil.h"
#include "mainwindow/MainContext.h"
#include "ml/MLText.h"
#include "store/KORVAMain.h"
#include "store/ProjectColumns.h"
#include "store/ProjectSchema.h"

#include <algorithm>

MainViewState::MainViewState() : treeSelection(&tree) {}

void MainViewState::SetTvCaption(const QString& text) {
    tvCaption = text;
    Q_EMIT tvCaptionChanged(text);
}

void MainViewState::SetLvCaption(const QString& text) {
    lvCaption = text;
    Q_EMIT lvCaptionChanged(text);
}

void MainViewState::SetFindText(const QString& text) {
    listShown.SetFindText(text);
    tree.SetFindText(text);
}

namespace MainView {
namespace {
using NodeTags::kProjName;
using NodeTags::kUserGroups;
using NodeTags::kUsers;
using NodeTags::kZones;

using ADOUtil::FieldText;

// ZoneNo as a 16-bit whole number in decimal.
QString ZoneNoText(const QVariant& no) {
    if (no.typeId() == QMetaType::Int)
        return QString::number(std::clamp(no.toInt(), -32768, 32767));
    return QString::number(VBUtil::ToWhole16(ADOUtil::NullToStr(no)));
}

bool HasCurrentRow(RowSet* rs) {
    return rs && rs->IsOpen() && !rs->Eof() && !rs->Bof();
}

// A contact's group list on one line: "A, B". Both separators are two characters long.
QString GroupsShown(QString list) {
    const qsizetype cr = list.indexOf(u'\r');
    if (cr < 0) return list;
    QChar* c = list.data(); // one copy, changed in place
    for (qsizetype i = cr; i + 1 < list.size(); ++i) {
        if (c[i] == u'\r' && c[i + 1] == u'\n') {
            c[i] = u',';
            c[++i] = u' ';
        }
    }
    return list;
}

QString GroupsShown(const RowSet* rs) {
    return GroupsShown(FieldText(rs, ProjectSchema::kGroupName));
}
} // namespace

QModelIndex FindNodeByTag(const MainViewState& view, const QString& tag) {
    return view.tree.FindByTag(tag);
}

QModelIndex SelectedNode(const MainViewState& view) {
    return view.treeSelection.currentIndex();
}

void SelectNode(MainViewState& view, const QModelIndex& index) {
    view.treeSelection.setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
}

void mktvProjContent(MainContext& ctx) {
    const MLText T{ctx.ml, QStringLiteral("KORVAMain")};
    ProjTreeModel& tree = ctx.view.tree;
    const OpenProject& p = ctx.project;
    if (!p.IsOpen()) {
        tree.Clear();
        return;
    }
    using ADOUtil::FieldFlag;
    using ADOUtil::GetRecordCount;
    RowSet* const usersRs = p.Users.get();
    RowSet* const groupsRs = p.UserGroups.get();
    RowSet* const zonesRs = p.Zones.get();
    const int userCount = GetRecordCount(usersRs);
    const int groupCount = GetRecordCount(groupsRs);
    const int zoneCount = GetRecordCount(zonesRs);
    // One model reset for the whole tree, not one insert per node.
    tree.BeginRebuild(4 + userCount + groupCount + zoneCount);

    const QModelIndex root =
        tree.AddNode({}, T(QStringLiteral("專案("), 1, 1019) + p.ProjName + u')', QString(),
                     QStringLiteral("Proj"), kProjName);
    tree.SetExpanded(root, true);

    const QString userImage = QStringLiteral("UserName");
    const QModelIndex users =
        tree.AddNode(root, T(QStringLiteral("連絡人"), 2, 1023), kUsers, userImage, kUsers);
    if (RowSet* rs = usersRs; userCount > 0) {
        tree.ReserveChildren(users, userCount);
        const ProjectSchema::ContactColumns col(*rs);
        const QString tagHead = kUsers + u',';
        for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext()) {
            const QString name = FieldText(rs, col.name);
            if (name.isEmpty()) continue;
            tree.AddNode(users, name, QString(), userImage, {tagHead, name},
                         FieldFlag(rs, col.disabled),
                         {name, FieldText(rs, col.phone), FieldText(rs, col.dsc),
                          GroupsShown(FieldText(rs, col.groups))});
        }
    }

    const QModelIndex groups = tree.AddNode(root, T(QStringLiteral("群組"), 2, 1221),
                                            T(QStringLiteral("UserGroups"), 1, 1221),
                                            T(QStringLiteral("UserGroups"), 3, 1221), kUserGroups);
    if (RowSet* rs = groupsRs; groupCount > 0) {
        tree.ReserveChildren(groups, groupCount);
        const int nameAt = rs->FieldIndex(ProjectSchema::kGroupName);
        const int dscAt = rs->FieldIndex(ProjectSchema::kGroupDsc);
        const QString image = QStringLiteral("UserGroups");
        const QString tagHead = kUserGroups + u',';
        for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext()) {
            const QString name = FieldText(rs, nameAt);
            if (name.isEmpty()) continue;
            tree.AddNode(groups, name, QString(), image, {tagHead, name}, false,
                         {name, FieldText(rs, dscAt)});
        }
    }

    const QModelIndex zones =
        tree.AddNode(root, T(QStringLiteral("警報區"), 2, 1061), kZones, kZones, kZones);
    if (RowSet* rs = zonesRs; zoneCount > 0) {
        tree.ReserveChildren(zones, zoneCount);
        const ProjectSchema::ZoneColumns col(*rs);
        const QString image = QStringLiteral("Alarm");
        const QString tagHead = kZones + u',';
        for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext()) {
            const QString no = ZoneNoText(rs->FieldAt(col.no));
            const QString name = FieldText(rs, col.name);
            const QString caption = name.isEmpty() ? u'#' + no : u'#' + no + u'-' + name;
            tree.AddNode(zones, caption, {kZones, no}, image, {tagHead, no},
                         FieldFlag(rs, col.disabled),
                         {name, FieldText(rs, col.target), FieldText(rs, col.dsc),
                          FieldText(rs, col.alarm), FieldText(rs, col.reset)});
        }
    }
    tree.EndRebuild();
    // A fresh tree shows the project's overview: the root is the selected node.
    SelectNode(ctx.view, root);
}

void PutTableTolvNodeContent(MainContext& ctx, const QString& tmpTableName, RowSet* tmpRs,
                             const QString& tmpFilterFieldName1,
                             const QVariant& tmpFilterFieldValue1) {
    const MLText T{ctx.ml, QStringLiteral("KORVAMain")};
    NodeContentModel& lv = ctx.view.list;
    lv.ClearColumns();
    lv.ClearRows();
    const bool members = tmpTableName == kUsers && tmpFilterFieldName1 == ProjectSchema::kGroupName;
    const bool hasRows = ADOUtil::GetRecordCount(tmpRs) > 0;
    lv.SetTable(true);
    const bool notSearched = false; // zone numbers and the disabled flag

    if (tmpTableName == kUserGroups) {
        if (hasRows) {
            lv.AddColumn(T(QStringLiteral("連絡人群組名稱"), 1, 1227), 1500);
            lv.AddColumn(T(QStringLiteral("連絡人群組說明"), 1, 1228), 1800);
        } else {
            lv.AddColumn(T(QStringLiteral("連絡人群組名稱"), 1, 1197), 1500);
            lv.AddColumn(T(QStringLiteral("連絡人群組說明"), 1, 1198), 1800);
        }
    } else if (members) {
        if (hasRows) {
            lv.AddColumn(T(QStringLiteral("連絡人"), 1, 1230), 1000);
            lv.AddColumn(T(QStringLiteral("電話號碼"), 1, 1231), 1500);
            lv.AddColumn(T(QStringLiteral("連絡人群組名稱"), 1, 1232), 1500);
            lv.AddColumn(T(QStringLiteral("說明"), 1, 1233), 1500);
            lv.AddColumn(T(QStringLiteral("暫停使用"), 1, 1234), 1000, notSearched);
        } else {
            lv.AddColumn(T(QStringLiteral("連絡人"), 1, 1200), 1000);
            lv.AddColumn(T(QStringLiteral("電話號碼"), 1, 1201), 1500);
            lv.AddColumn(T(QStringLiteral("連絡人群組名稱"), 1, 1202), 1500);
            lv.AddColumn(T(QStringLiteral("說明"), 1, 1203), 1500);
            lv.AddColumn(T(QStringLiteral("暫停使用"), 1, 1204), 1000, notSearched);
        }
    } else if (tmpTableName == kUsers) {
        if (hasRows) {
            lv.AddColumn(T(QStringLiteral("連絡人名稱"), 1, 1438), 1500);
            lv.AddColumn(T(QStringLiteral("連絡人說明"), 1, 1439), 1500);
        } else {
            lv.AddColumn(T(QStringLiteral("連絡人名稱"), 1, 1403), 1500);
            lv.AddColumn(T(QStringLiteral("連絡人說明"), 1, 1404), 1500);
        }
    } else if (tmpTableName == kZones) {
        if (hasRows) {
            lv.AddColumn(T(QStringLiteral("警報區"), 1, 1236), 1000, notSearched);
            lv.AddColumn(T(QStringLiteral("警報區名稱"), 1, 1237), 1500);
            lv.AddColumn(T(QStringLiteral("連絡人群組名稱"), 1, 1238), 1500);
            lv.AddColumn(T(QStringLiteral("說明"), 1, 1239), 1300);
            lv.AddColumn(T(QStringLiteral("警報發起訊息"), 1, 1240), 1500);
            lv.AddColumn(T(QStringLiteral("警報復歸訊息"), 1, 1241), 1500);
            lv.AddColumn(T(QStringLiteral("暫停使用"), 1, 1242), 1000, notSearched);
        } else {
            lv.AddColumn(T(QStringLiteral("警報區"), 1, 1206), 800, notSearched);
            lv.AddColumn(T(QStringLiteral("警報區名稱"), 1, 1207), 1500);
            lv.AddColumn(T(QStringLiteral("連絡人群組名稱"), 1, 1208), 1500);
            lv.AddColumn(T(QStringLiteral("說明"), 1, 1209), 1200);
            lv.AddColumn(T(QStringLiteral("警報發起訊息"), 1, 1210), 1200);
            lv.AddColumn(T(QStringLiteral("警報復歸訊息"), 1, 1211), 1200);
            lv.AddColumn(T(QStringLiteral("暫停使用"), 1, 1212), 1000, notSearched);
        }
    }
    if (!hasRows) return;

    const QString filterValue = ADOUtil::NullToStr(tmpFilterFieldValue1);
    for (tmpRs->MoveFirst(); !tmpRs->Eof(); tmpRs->MoveNext()) {
        if (members) {
            if (!FieldText(tmpRs, ProjectSchema::kGroupName)
                     .split(VBUtil::kCrLf)
                     .contains(filterValue))
                continue;
        } else if (!tmpFilterFieldName1.isEmpty()) {
            if (ADOUtil::NullToStr(tmpRs->Field(tmpFilterFieldName1)) != filterValue) continue;
        }
        if (tmpTableName == kUserGroups) {
            lv.AddRow({FieldText(tmpRs, ProjectSchema::kGroupName),
                       FieldText(tmpRs, ProjectSchema::kGroupDsc)});
        } else if (members) {
            lv.AddRow({FieldText(tmpRs, ProjectSchema::kUserName),
                       FieldText(tmpRs, ProjectSchema::kPhoneNumber), GroupsShown(tmpRs),
                       FieldText(tmpRs, ProjectSchema::kUserDsc),
                       FieldText(tmpRs, ProjectSchema::kIsDisable)});
        } else if (tmpTableName == kUsers) {
            // The number and groups are not shown here, but a find looks in them too.
            const QString name = FieldText(tmpRs, ProjectSchema::kUserName);
            const QString dsc = FieldText(tmpRs, ProjectSchema::kUserDsc);
            lv.AddRow(
                {name, dsc}, {},
                {name, FieldText(tmpRs, ProjectSchema::kPhoneNumber), dsc, GroupsShown(tmpRs)});
        } else if (tmpTableName == kZones) {
            lv.AddRow({FieldText(tmpRs, ProjectSchema::kZoneNo),
                       FieldText(tmpRs, ProjectSchema::kZoneName),
                       FieldText(tmpRs, ProjectSchema::kGroupName),
                       FieldText(tmpRs, ProjectSchema::kZoneDsc),
                       FieldText(tmpRs, ProjectSchema::kAlarmSMS),
                       FieldText(tmpRs, ProjectSchema::kResetSMS),
                       FieldText(tmpRs, ProjectSchema::kIsDisable)});
        }
    }
}

void PutRecordTolvNodeContent(MainContext& ctx, const QString& tmpTableName, RowSet* tmpRs) {
    const MLText T{ctx.ml, QStringLiteral("KORVAMain")};
    NodeContentModel& lv = ctx.view.list;
    lv.ClearColumns();
    lv.ClearRows();
    if (tmpTableName == kUsers) {
        lv.AddColumn(T(QStringLiteral("項目"), 1, 1325), 1500);
        lv.AddColumn(T(QStringLiteral("內容"), 1, 1326), 4000);
        // A tag whose row was not found leaves the table past its end: nothing to show.
        if (!HasCurrentRow(tmpRs)) return;
        lv.AddRow({T(QStringLiteral("電話號碼:"), 1, 1348),
                   FieldText(tmpRs, ProjectSchema::kPhoneNumber)});
        lv.AddRow(
            {T(QStringLiteral("暫使使用:"), 1, 1350), FieldText(tmpRs, ProjectSchema::kIsDisable)});
        lv.AddRow({T(QStringLiteral("連絡人群組名稱:"), 1, 1352), GroupsShown(tmpRs)});
        lv.AddRow(
            {T(QStringLiteral("連絡人:"), 1, 1354), FieldText(tmpRs, ProjectSchema::kUserName)});
        lv.AddRow({T(QStringLiteral("說明:"), 1, 1356), FieldText(tmpRs, ProjectSchema::kUserDsc)});
    } else if (tmpTableName == kZones) {
        lv.AddColumn(T(QStringLiteral("項目"), 1, 1322), 1500);
        lv.AddColumn(T(QStringLiteral("內容"), 1, 1323), 1500);
        if (!HasCurrentRow(tmpRs)) return;
        lv.AddRow(
            {T(QStringLiteral("警報區:"), 1, 1333), FieldText(tmpRs, ProjectSchema::kZoneNo)});
        lv.AddRow({T(QStringLiteral("警報區名稱:"), 1, 1335),
                   FieldText(tmpRs, ProjectSchema::kZoneName)});
        lv.AddRow(
            {T(QStringLiteral("暫停使用"), 1, 1337), FieldText(tmpRs, ProjectSchema::kIsDisable)});
        lv.AddRow({T(QStringLiteral("連絡人群組名稱:"), 1, 1339),
                   FieldText(tmpRs, ProjectSchema::kGroupName)});
        lv.AddRow({T(QStringLiteral("說明:"), 1, 1341), FieldText(tmpRs, ProjectSchema::kZoneDsc)});
        lv.AddRow({T(QStringLiteral("警報發起訊息:"), 1, 1343),
                   FieldText(tmpRs, ProjectSchema::kAlarmSMS)});
        lv.AddRow({T(QStringLiteral("警報復歸訊息:"), 1, 1345),
                   FieldText(tmpRs, ProjectSchema::kResetSMS)});
    }
}

void mklvNodeContent(MainContext& ctx) {
    const MLText T{ctx.ml, QStringLiteral("KORVAMain")};
    MainViewState& view = ctx.view;
    const QModelIndex node = SelectedNode(view);
    if (!node.isValid()) {
        view.list.ClearRows();
        view.list.ClearColumns();
        view.SetLvCaption(QString());
        return;
    }
    const QString tag = view.tree.Tag(node);
    // A sort is kept while the same node's list is rebuilt after an edit.
    if (tag != view.listTag) {
        view.listTag = tag;
        view.listShown.ResetSort();
    }
    if (tag.isEmpty()) {
        ctx.ui.MsgBox(T(QStringLiteral("系統內部錯誤，被選中節點的夾帶資訊是為空。"), 1, 1107),
                      vbOKOnly | vbCritical, T(QStringLiteral("系統內部錯誤"), 2, 1107));
        return;
    }
    const NodeTag parsed = NodeTag::Parse(tag);
    NodeTags::LocateCurRecord(ctx.project, parsed);
    OpenProject& p = ctx.project;
    const QString& kind = parsed.kind;
    const bool leaf = parsed.IsLeaf();
    const QString key = parsed.key.value_or(QString());

    if (kind == kProjName && !leaf) {
        view.SetLvCaption(T(QStringLiteral("資料"), 1, 1289));
        NodeContentModel& lv = view.list;
        lv.ClearColumns();
        lv.ClearRows();
        lv.AddColumn(T(QStringLiteral("項目"), 1, 1292), 1500);
        lv.AddColumn(T(QStringLiteral("項目說明"), 1, 1293), 1500);
        lv.AddRow({T(QStringLiteral("連絡人"), 1, 1295), T(QStringLiteral("連絡人清單"), 1, 1296)},
                  kUsers);
        lv.AddRow({T(QStringLiteral("群組"), 1, 1297), T(QStringLiteral("群組清單"), 1, 1298)},
                  kUserGroups);
        lv.AddRow({T(QStringLiteral("警報區"), 1, 1299), T(QStringLiteral("警報區清單"), 1, 1300)},
                  kZones);
    } else if (kind == kUserGroups && !leaf) {
        view.SetLvCaption(T(QStringLiteral("連絡人群組"), 1, 1113));
        PutTableTolvNodeContent(ctx, kUserGroups, p.UserGroups.get());
    } else if (kind == kUserGroups && leaf) {
        view.SetLvCaption(T(QStringLiteral("連絡人群組名稱:"), 1, 1117) + key);
        PutTableTolvNodeContent(ctx, kUsers, p.Users.get(), ProjectSchema::kGroupName, key);
    } else if (kind == kUsers && !leaf) {
        view.SetLvCaption(T(QStringLiteral("連絡人"), 1, 1312));
        PutTableTolvNodeContent(ctx, kUsers, p.Users.get());
    } else if (kind == kUsers && leaf) {
        view.SetLvCaption(T(QStringLiteral("連絡人內容:"), 1, 1121) + key);
        PutRecordTolvNodeContent(ctx, kUsers, p.Users.get());
    } else if (kind == kZones && !leaf) {
        view.SetLvCaption(T(QStringLiteral("警報區域"), 1, 1125));
        PutTableTolvNodeContent(ctx, kZones, p.Zones.get());
    } else if (kind == kZones && leaf) {
        view.SetLvCaption(T(QStringLiteral("警報區="), 1, 1129) + key);
        PutRecordTolvNodeContent(ctx, kZones, p.Zones.get());
    }
    view.listShown.Resort();
}

void RefreshFormObj(MainContext& ctx) {
    ctx.view.SetTvCaption(ctx.project.ProjName);
    mktvProjContent(ctx);
    mklvNodeContent(ctx);
    ctx.ui.SetStatusText(QStringLiteral("ProjName"), ctx.project.ProjName);
}

void tvProjContent_NodeClick(MainContext& ctx) {
    if (SelectedNode(ctx.view).isValid()) mklvNodeContent(ctx);
}

void RestoreViews(MainContext& ctx) {
    if (!ctx.project.IsOpen()) return;
    const QString tag = ctx.view.tree.Tag(SelectedNode(ctx.view));
    mktvProjContent(ctx);
    // The node selected before, or its branch when the row is gone; else the root stays.
    QModelIndex node = FindNodeByTag(ctx.view, tag);
    if (!node.isValid() && !tag.isEmpty()) node = FindNodeByTag(ctx.view, NodeTag::Parse(tag).kind);
    if (node.isValid()) {
        if (node.parent().isValid()) ctx.view.tree.SetExpanded(node.parent(), true);
        SelectNode(ctx.view, node);
    }
    mklvNodeContent(ctx);
}

void mnuViewRefresh_Click(MainContext& ctx) {
    if (!ctx.project.IsOpen()) return;
    mktvProjContent(ctx);
    mklvNodeContent(ctx);
}

FileMenuState mnuFile_Click(const MainContext& ctx) {
    FileMenuState s;
    s.mru = KORVAMain::mkRecentFilePathMenu(ctx);
    if (ctx.project.IsOpen()) {
        s.saveAsEnabled = true;
        s.basicEnabled = true;
        s.sheetEnabled = true;
        s.exchangeEnabled = true;
        s.saveEnabled = ctx.project.IsModified;
    }
    return s;
}

bool mnuFileMRU_Click(MainContext& ctx, const QString& caption) {
    const MLText T{ctx.ml, QStringLiteral("KORVAMain")};
    if (caption.isEmpty() || caption == T(QStringLiteral("(空)"), 1, 831)) return false;
    return KORVAMain::OpenProject(ctx, caption);
}

QString WithAccessKey(const QString& caption, const QString& designCaption) {
    QString text = caption;
    text.replace(u'&', QStringLiteral("&&"));
    QChar key;
    for (qsizetype i = 0; i + 1 < designCaption.size(); ++i) {
        if (designCaption[i] != u'&') continue;
        if (designCaption[i + 1] != u'&') {
            key = designCaption[i + 1];
            break;
        }
        ++i; // "&&" is a plain "&"
    }
    if (key.isNull()) return text;
    const auto isKey = [&](qsizetype i) {
        return text[i].toUpper() == key.toUpper() && (i == 0 || text[i - 1] != u'&');
    };
    qsizetype at = -1;
    for (qsizetype i = 0; i < text.size() && at < 0; ++i)
        if (isKey(i) && (i == 0 || !text[i - 1].isLetterOrNumber())) at = i;
    for (qsizetype i = 0; i < text.size() && at < 0; ++i)
        if (isKey(i)) at = i;
    if (at >= 0) return text.insert(at, u'&');
    return text + QStringLiteral("(&") + key.toUpper() + u')';
}

QString DialogCaption(const QString& caption) {
    if (caption.isEmpty() || caption.endsWith(QLatin1String("...")) ||
        caption.endsWith(QChar(0x2026)))
        return caption;
    return caption + QStringLiteral("...");
}

} // namespace MainView
