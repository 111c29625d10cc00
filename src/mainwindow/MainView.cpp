#include "mainwindow/MainView.h"

#include "base/VBUtil.h"
#include "db/ADOUtil.h"
#include "editing/KORVAUtil.h"
#include "mainwindow/MainContext.h"
#include "store/KORVAMain.h"
#include "store/ProjectSchema.h"

MainViewState::MainViewState() : treeSelection(&tree) {}

void MainViewState::SetTvCaption(const QString& text) {
    tvCaption = text;
    Q_EMIT tvCaptionChanged(text);
}

void MainViewState::SetLvCaption(const QString& text) {
    lvCaption = text;
    Q_EMIT lvCaptionChanged(text);
}

namespace MainView {
namespace {
using NodeTags::kProjName;
using NodeTags::kUserGroups;
using NodeTags::kUsers;
using NodeTags::kZones;

QString Str(const RowSet* rs, const QString& field) {
    return ADOUtil::NullToStr(rs->Field(field));
}

// ZoneNo as a 16-bit whole number in decimal.
QString ZoneNoText(const RowSet* rs) {
    return QString::number(VBUtil::ToWhole16(Str(rs, ProjectSchema::kZoneNo)));
}

bool HasCurrentRow(RowSet* rs) {
    return rs && rs->IsOpen() && !rs->Eof() && !rs->Bof();
}

// A contact's groups on one line: "A, B".
QString GroupsShown(const RowSet* rs) {
    return KORVAUtil::SplitGroupList(Str(rs, ProjectSchema::kGroupName)).join(QStringLiteral(", "));
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
    ProjTreeModel& tree = ctx.view.tree;
    const OpenProject& p = ctx.project;
    tree.Clear();
    if (!p.IsOpen()) return;

    const QModelIndex root = tree.AddNode(
        {},
        GetMLText(ctx.ml, QStringLiteral("專案("), 1, 1019, QStringLiteral("KORVAMain")) +
            p.ProjName + u')',
        QString(), QStringLiteral("Proj"), kProjName);
    tree.SetExpanded(root, true);

    const QModelIndex users = tree.AddNode(
        root, GetMLText(ctx.ml, QStringLiteral("連絡人"), 2, 1023, QStringLiteral("KORVAMain")),
        kUsers, QStringLiteral("UserName"), kUsers);
    if (RowSet* rs = p.Users.get(); ADOUtil::GetRecordCount(rs) > 0) {
        for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext()) {
            const QString name = Str(rs, ProjectSchema::kUserName);
            if (name.isEmpty()) continue;
            tree.AddNode(users, name, QString(), QStringLiteral("UserName"), kUsers + u',' + name,
                         Str(rs, ProjectSchema::kIsDisable) == QLatin1String("True"));
        }
    }

    const QModelIndex groups = tree.AddNode(
        root, GetMLText(ctx.ml, QStringLiteral("群組"), 2, 1221, QStringLiteral("KORVAMain")),
        GetMLText(ctx.ml, QStringLiteral("UserGroups"), 1, 1221, QStringLiteral("KORVAMain")),
        GetMLText(ctx.ml, QStringLiteral("UserGroups"), 3, 1221, QStringLiteral("KORVAMain")),
        kUserGroups);
    if (RowSet* rs = p.UserGroups.get(); ADOUtil::GetRecordCount(rs) > 0) {
        for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext()) {
            const QString name = Str(rs, ProjectSchema::kGroupName);
            if (name.isEmpty()) continue;
            tree.AddNode(groups, name, QString(), QStringLiteral("UserGroups"),
                         kUserGroups + u',' + name);
        }
    }

    const QModelIndex zones = tree.AddNode(
        root, GetMLText(ctx.ml, QStringLiteral("警報區"), 2, 1061, QStringLiteral("KORVAMain")),
        kZones, kZones, kZones);
    if (RowSet* rs = p.Zones.get(); ADOUtil::GetRecordCount(rs) > 0) {
        for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext()) {
            const QString no = ZoneNoText(rs);
            const QString name = Str(rs, ProjectSchema::kZoneName);
            const QString caption = name.isEmpty() ? u'#' + no : u'#' + no + u'-' + name;
            tree.AddNode(zones, caption, kZones + no, QStringLiteral("Alarm"), kZones + u',' + no,
                         Str(rs, ProjectSchema::kIsDisable) == QLatin1String("True"));
        }
    }
    // A fresh tree shows the project's overview: the root is the selected node.
    SelectNode(ctx.view, root);
}

void PutTableTolvNodeContent(MainContext& ctx, const QString& tmpTableName, RowSet* tmpRs,
                             const QString& tmpFilterFieldName1,
                             const QVariant& tmpFilterFieldValue1) {
    NodeContentModel& lv = ctx.view.list;
    const MLState& ml = ctx.ml;
    lv.ClearColumns();
    lv.ClearRows();
    const bool members = tmpTableName == kUsers && tmpFilterFieldName1 == ProjectSchema::kGroupName;
    const bool hasRows = ADOUtil::GetRecordCount(tmpRs) > 0;

    if (tmpTableName == kUserGroups) {
        if (hasRows) {
            lv.AddColumn(GetMLText(ml, QStringLiteral("連絡人群組名稱"), 1, 1227,
                                   QStringLiteral("KORVAMain")),
                         1500);
            lv.AddColumn(GetMLText(ml, QStringLiteral("連絡人群組說明"), 1, 1228,
                                   QStringLiteral("KORVAMain")),
                         1800);
        } else {
            lv.AddColumn(GetMLText(ml, QStringLiteral("連絡人群組名稱"), 1, 1197,
                                   QStringLiteral("KORVAMain")),
                         1500);
            lv.AddColumn(GetMLText(ml, QStringLiteral("連絡人群組說明"), 1, 1198,
                                   QStringLiteral("KORVAMain")),
                         1800);
        }
    } else if (members) {
        if (hasRows) {
            lv.AddColumn(
                GetMLText(ml, QStringLiteral("連絡人"), 1, 1230, QStringLiteral("KORVAMain")),
                1000);
            lv.AddColumn(
                GetMLText(ml, QStringLiteral("電話號碼"), 1, 1231, QStringLiteral("KORVAMain")),
                1500);
            lv.AddColumn(GetMLText(ml, QStringLiteral("連絡人群組名稱"), 1, 1232,
                                   QStringLiteral("KORVAMain")),
                         1500);
            lv.AddColumn(
                GetMLText(ml, QStringLiteral("說明"), 1, 1233, QStringLiteral("KORVAMain")), 1500);
            lv.AddColumn(
                GetMLText(ml, QStringLiteral("暫停使用"), 1, 1234, QStringLiteral("KORVAMain")),
                1000);
        } else {
            lv.AddColumn(
                GetMLText(ml, QStringLiteral("連絡人"), 1, 1200, QStringLiteral("KORVAMain")),
                1000);
            lv.AddColumn(
                GetMLText(ml, QStringLiteral("電話號碼"), 1, 1201, QStringLiteral("KORVAMain")),
                1500);
            lv.AddColumn(GetMLText(ml, QStringLiteral("連絡人群組名稱"), 1, 1202,
                                   QStringLiteral("KORVAMain")),
                         1500);
            lv.AddColumn(
                GetMLText(ml, QStringLiteral("說明"), 1, 1203, QStringLiteral("KORVAMain")), 1500);
            lv.AddColumn(
                GetMLText(ml, QStringLiteral("暫停使用"), 1, 1204, QStringLiteral("KORVAMain")),
                1000);
        }
    } else if (tmpTableName == kUsers) {
        if (hasRows) {
            lv.AddColumn(
                GetMLText(ml, QStringLiteral("連絡人名稱"), 1, 1438, QStringLiteral("KORVAMain")),
                1500);
            lv.AddColumn(
                GetMLText(ml, QStringLiteral("連絡人說明"), 1, 1439, QStringLiteral("KORVAMain")),
                1500);
        } else {
            lv.AddColumn(
                GetMLText(ml, QStringLiteral("連絡人名稱"), 1, 1403, QStringLiteral("KORVAMain")),
                1500);
            lv.AddColumn(
                GetMLText(ml, QStringLiteral("連絡人說明"), 1, 1404, QStringLiteral("KORVAMain")),
                1500);
        }
    } else if (tmpTableName == kZones) {
        if (hasRows) {
            lv.AddColumn(
                GetMLText(ml, QStringLiteral("警報區"), 1, 1236, QStringLiteral("KORVAMain")),
                1000);
            lv.AddColumn(
                GetMLText(ml, QStringLiteral("警報區名稱"), 1, 1237, QStringLiteral("KORVAMain")),
                1500);
            lv.AddColumn(GetMLText(ml, QStringLiteral("連絡人群組名稱"), 1, 1238,
                                   QStringLiteral("KORVAMain")),
                         1500);
            lv.AddColumn(
                GetMLText(ml, QStringLiteral("說明"), 1, 1239, QStringLiteral("KORVAMain")), 1300);
            lv.AddColumn(
                GetMLText(ml, QStringLiteral("警報發起訊息"), 1, 1240, QStringLiteral("KORVAMain")),
                1500);
            lv.AddColumn(
                GetMLText(ml, QStringLiteral("警報復歸訊息"), 1, 1241, QStringLiteral("KORVAMain")),
                1500);
            lv.AddColumn(
                GetMLText(ml, QStringLiteral("暫停使用"), 1, 1242, QStringLiteral("KORVAMain")),
                1000);
        } else {
            lv.AddColumn(
                GetMLText(ml, QStringLiteral("警報區"), 1, 1206, QStringLiteral("KORVAMain")), 800);
            lv.AddColumn(
                GetMLText(ml, QStringLiteral("警報區名稱"), 1, 1207, QStringLiteral("KORVAMain")),
                1500);
            lv.AddColumn(GetMLText(ml, QStringLiteral("連絡人群組名稱"), 1, 1208,
                                   QStringLiteral("KORVAMain")),
                         1500);
            lv.AddColumn(
                GetMLText(ml, QStringLiteral("說明"), 1, 1209, QStringLiteral("KORVAMain")), 1200);
            lv.AddColumn(
                GetMLText(ml, QStringLiteral("警報發起訊息"), 1, 1210, QStringLiteral("KORVAMain")),
                1200);
            lv.AddColumn(
                GetMLText(ml, QStringLiteral("警報復歸訊息"), 1, 1211, QStringLiteral("KORVAMain")),
                1200);
            lv.AddColumn(
                GetMLText(ml, QStringLiteral("暫停使用"), 1, 1212, QStringLiteral("KORVAMain")),
                1000);
        }
    }
    if (!hasRows) return;

    const QString filterValue = ADOUtil::NullToStr(tmpFilterFieldValue1);
    for (tmpRs->MoveFirst(); !tmpRs->Eof(); tmpRs->MoveNext()) {
        if (members) {
            if (!Str(tmpRs, ProjectSchema::kGroupName).split(VBUtil::kCrLf).contains(filterValue))
                continue;
        } else if (!tmpFilterFieldName1.isEmpty()) {
            if (ADOUtil::NullToStr(tmpRs->Field(tmpFilterFieldName1)) != filterValue) continue;
        }
        if (tmpTableName == kUserGroups) {
            lv.AddRow(
                {Str(tmpRs, ProjectSchema::kGroupName), Str(tmpRs, ProjectSchema::kGroupDsc)});
        } else if (members) {
            lv.AddRow({Str(tmpRs, ProjectSchema::kUserName),
                       Str(tmpRs, ProjectSchema::kPhoneNumber), GroupsShown(tmpRs),
                       Str(tmpRs, ProjectSchema::kUserDsc), Str(tmpRs, ProjectSchema::kIsDisable)});
        } else if (tmpTableName == kUsers) {
            lv.AddRow({Str(tmpRs, ProjectSchema::kUserName), Str(tmpRs, ProjectSchema::kUserDsc)});
        } else if (tmpTableName == kZones) {
            lv.AddRow({Str(tmpRs, ProjectSchema::kZoneNo), Str(tmpRs, ProjectSchema::kZoneName),
                       Str(tmpRs, ProjectSchema::kGroupName), Str(tmpRs, ProjectSchema::kZoneDsc),
                       Str(tmpRs, ProjectSchema::kAlarmSMS), Str(tmpRs, ProjectSchema::kResetSMS),
                       Str(tmpRs, ProjectSchema::kIsDisable)});
        }
    }
}

void PutRecordTolvNodeContent(MainContext& ctx, const QString& tmpTableName, RowSet* tmpRs) {
    NodeContentModel& lv = ctx.view.list;
    const MLState& ml = ctx.ml;
    lv.ClearColumns();
    lv.ClearRows();
    if (tmpTableName == kUsers) {
        lv.AddColumn(GetMLText(ml, QStringLiteral("項目"), 1, 1325, QStringLiteral("KORVAMain")),
                     1500);
        lv.AddColumn(GetMLText(ml, QStringLiteral("內容"), 1, 1326, QStringLiteral("KORVAMain")),
                     4000);
        // A tag whose row was not found leaves the table past its end: nothing to show.
        if (!HasCurrentRow(tmpRs)) return;
        lv.AddRow({GetMLText(ml, QStringLiteral("電話號碼:"), 1, 1348, QStringLiteral("KORVAMain")),
                   Str(tmpRs, ProjectSchema::kPhoneNumber)});
        lv.AddRow({GetMLText(ml, QStringLiteral("暫使使用:"), 1, 1350, QStringLiteral("KORVAMain")),
                   Str(tmpRs, ProjectSchema::kIsDisable)});
        lv.AddRow(
            {GetMLText(ml, QStringLiteral("連絡人群組名稱:"), 1, 1352, QStringLiteral("KORVAMain")),
             GroupsShown(tmpRs)});
        lv.AddRow({GetMLText(ml, QStringLiteral("連絡人:"), 1, 1354, QStringLiteral("KORVAMain")),
                   Str(tmpRs, ProjectSchema::kUserName)});
        lv.AddRow({GetMLText(ml, QStringLiteral("說明:"), 1, 1356, QStringLiteral("KORVAMain")),
                   Str(tmpRs, ProjectSchema::kUserDsc)});
    } else if (tmpTableName == kZones) {
        lv.AddColumn(GetMLText(ml, QStringLiteral("項目"), 1, 1322, QStringLiteral("KORVAMain")),
                     1500);
        lv.AddColumn(GetMLText(ml, QStringLiteral("內容"), 1, 1323, QStringLiteral("KORVAMain")),
                     1500);
        if (!HasCurrentRow(tmpRs)) return;
        lv.AddRow({GetMLText(ml, QStringLiteral("警報區:"), 1, 1333, QStringLiteral("KORVAMain")),
                   Str(tmpRs, ProjectSchema::kZoneNo)});
        lv.AddRow(
            {GetMLText(ml, QStringLiteral("警報區名稱:"), 1, 1335, QStringLiteral("KORVAMain")),
             Str(tmpRs, ProjectSchema::kZoneName)});
        lv.AddRow({GetMLText(ml, QStringLiteral("暫停使用"), 1, 1337, QStringLiteral("KORVAMain")),
                   Str(tmpRs, ProjectSchema::kIsDisable)});
        lv.AddRow(
            {GetMLText(ml, QStringLiteral("連絡人群組名稱:"), 1, 1339, QStringLiteral("KORVAMain")),
             Str(tmpRs, ProjectSchema::kGroupName)});
        lv.AddRow({GetMLText(ml, QStringLiteral("說明:"), 1, 1341, QStringLiteral("KORVAMain")),
                   Str(tmpRs, ProjectSchema::kZoneDsc)});
        lv.AddRow(
            {GetMLText(ml, QStringLiteral("警報發起訊息:"), 1, 1343, QStringLiteral("KORVAMain")),
             Str(tmpRs, ProjectSchema::kAlarmSMS)});
        lv.AddRow(
            {GetMLText(ml, QStringLiteral("警報復歸訊息:"), 1, 1345, QStringLiteral("KORVAMain")),
             Str(tmpRs, ProjectSchema::kResetSMS)});
    }
}

void mklvNodeContent(MainContext& ctx) {
    MainViewState& view = ctx.view;
    const QModelIndex node = SelectedNode(view);
    if (!node.isValid()) {
        view.list.ClearRows();
        view.list.ClearColumns();
        view.SetLvCaption(QString());
        return;
    }
    const QString tag = view.tree.Tag(node);
    if (tag.isEmpty()) {
        ctx.ui.MsgBox(GetMLText(ctx.ml,
                                QStringLiteral("系統內部錯誤，被選中節點的夾帶資訊是為空。"), 1,
                                1107, QStringLiteral("KORVAMain")),
                      vbOKOnly | vbCritical,
                      GetMLText(ctx.ml, QStringLiteral("系統內部錯誤"), 2, 1107,
                                QStringLiteral("KORVAMain")));
        return;
    }
    const NodeTag parsed = NodeTag::Parse(tag);
    NodeTags::LocateCurRecord(ctx.project, parsed);
    OpenProject& p = ctx.project;
    const QString& kind = parsed.kind;
    const bool leaf = parsed.IsLeaf();
    const QString key = parsed.key.value_or(QString());

    if (kind == kProjName && !leaf) {
        view.SetLvCaption(
            GetMLText(ctx.ml, QStringLiteral("資料"), 1, 1289, QStringLiteral("KORVAMain")));
        NodeContentModel& lv = view.list;
        lv.ClearColumns();
        lv.ClearRows();
        lv.AddColumn(
            GetMLText(ctx.ml, QStringLiteral("項目"), 1, 1292, QStringLiteral("KORVAMain")), 1500);
        lv.AddColumn(
            GetMLText(ctx.ml, QStringLiteral("項目說明"), 1, 1293, QStringLiteral("KORVAMain")),
            1500);
        lv.AddRow(
            {GetMLText(ctx.ml, QStringLiteral("連絡人"), 1, 1295, QStringLiteral("KORVAMain")),
             GetMLText(ctx.ml, QStringLiteral("連絡人清單"), 1, 1296, QStringLiteral("KORVAMain"))},
            kUsers);
        lv.AddRow(
            {GetMLText(ctx.ml, QStringLiteral("群組"), 1, 1297, QStringLiteral("KORVAMain")),
             GetMLText(ctx.ml, QStringLiteral("群組清單"), 1, 1298, QStringLiteral("KORVAMain"))},
            kUserGroups);
        lv.AddRow(
            {GetMLText(ctx.ml, QStringLiteral("警報區"), 1, 1299, QStringLiteral("KORVAMain")),
             GetMLText(ctx.ml, QStringLiteral("警報區清單"), 1, 1300, QStringLiteral("KORVAMain"))},
            kZones);
    } else if (kind == kUserGroups && !leaf) {
        view.SetLvCaption(
            GetMLText(ctx.ml, QStringLiteral("連絡人群組"), 1, 1113, QStringLiteral("KORVAMain")));
        PutTableTolvNodeContent(ctx, kUserGroups, p.UserGroups.get());
    } else if (kind == kUserGroups && leaf) {
        view.SetLvCaption(GetMLText(ctx.ml, QStringLiteral("連絡人群組名稱:"), 1, 1117,
                                    QStringLiteral("KORVAMain")) +
                          key);
        PutTableTolvNodeContent(ctx, kUsers, p.Users.get(), ProjectSchema::kGroupName, key);
    } else if (kind == kUsers && !leaf) {
        view.SetLvCaption(
            GetMLText(ctx.ml, QStringLiteral("連絡人"), 1, 1312, QStringLiteral("KORVAMain")));
        PutTableTolvNodeContent(ctx, kUsers, p.Users.get());
    } else if (kind == kUsers && leaf) {
        view.SetLvCaption(
            GetMLText(ctx.ml, QStringLiteral("連絡人內容:"), 1, 1121, QStringLiteral("KORVAMain")) +
            key);
        PutRecordTolvNodeContent(ctx, kUsers, p.Users.get());
    } else if (kind == kZones && !leaf) {
        view.SetLvCaption(
            GetMLText(ctx.ml, QStringLiteral("警報區域"), 1, 1125, QStringLiteral("KORVAMain")));
        PutTableTolvNodeContent(ctx, kZones, p.Zones.get());
    } else if (kind == kZones && leaf) {
        view.SetLvCaption(
            GetMLText(ctx.ml, QStringLiteral("警報區="), 1, 1129, QStringLiteral("KORVAMain")) +
            key);
        PutRecordTolvNodeContent(ctx, kZones, p.Zones.get());
    }
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
    if (caption.isEmpty() ||
        caption == GetMLText(ctx.ml, QStringLiteral("(空)"), 1, 831, QStringLiteral("KORVAMain")))
        return false;
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

} // namespace MainView
