#pragma once
// A project opened from the template with rows of a test's own, and short ways to read the
// working copy back with the sqlite3 program (an independent reader).
#include "ProjectEnv.h"
#include "db/ADOUtil.h"
#include "mainwindow/MainView.h"

#include <QtTest>

struct EditEnv : ProjectEnv {
    explicit EditEnv(int localeId = 1028) : ProjectEnv(localeId) {}

    // Opens a project made from the template after sql ran on it.
    bool OpenWith(const QString& sql) { return Open(MakeProject(QStringLiteral("Edit.cmb"), sql)); }

    AppContext& c() { return *ctx; }
    OpenProject& p() { return ctx->project; }

    // One line per row of the working copy; CR LF inside a field reads "|".
    QString Q(const QString& sql) const { return Sql3(ctx->project.MirPath, sql); }
    QString Users() const {
        return Q(QStringLiteral("SELECT UserName||'='||replace(GroupName, char(13)||char(10), '|') "
                                "FROM Users ORDER BY rowid"));
    }
    QString Groups() const {
        return Q(QStringLiteral("SELECT GroupName||'='||GroupDsc FROM UserGroups ORDER BY rowid"));
    }
    QString ZoneTarget(int zoneNo) const {
        return Q(QStringLiteral("SELECT GroupName FROM Zones WHERE ZoneNo=%1").arg(zoneNo));
    }

    // Makes the leaf with this tag the selected node and its row the current row, as the
    // main window does before a command.
    bool Select(const QString& tag) {
        const QModelIndex node = MainView::FindNodeByTag(ctx->view, tag);
        if (!node.isValid()) return false;
        MainView::SelectNode(ctx->view, node);
        const NodeTag parsed = NodeTag::Parse(tag);
        return !parsed.IsLeaf() || NodeTags::LocateCurRecord(ctx->project, parsed);
    }
    bool HasLeaf(const QString& tag) const {
        return MainView::FindNodeByTag(ctx->view, tag).isValid();
    }
    QString SelectedTag() const { return ctx->view.tree.Tag(MainView::SelectedNode(ctx->view)); }
};

// SQL that fills a fresh template.
inline QString GroupsSql(const QStringList& names) {
    QString sql;
    for (const QString& n : names)
        sql += QStringLiteral("INSERT INTO UserGroups VALUES('%1','');").arg(n);
    return sql;
}
// Rebuilds Users or Zones (keeping their rows) with a CHECK constraint, so that the engine
// refuses a write a test wants to fail. Rows already stored are not checked again until
// they are written.
inline QString WithCheck(const QString& table, const QString& check) {
    const QString cols = table == QLatin1String("Users")
                             ? QStringLiteral("UserName TEXT, PhoneNumber TEXT, IsDisable BOOLEAN "
                                              "NOT NULL DEFAULT 0, UserDsc TEXT, GroupName TEXT")
                             : QStringLiteral("ZoneNo SMALLINT, ZoneName TEXT, ZoneDsc TEXT, "
                                              "GroupName TEXT, AlarmSMS TEXT, ResetSMS TEXT, "
                                              "IsDisable BOOLEAN NOT NULL DEFAULT 0");
    return QStringLiteral(
               "PRAGMA ignore_check_constraints=1; CREATE TABLE t_new(%2, CHECK(%3)); "
               "INSERT INTO t_new SELECT * FROM %1; DROP TABLE %1; ALTER TABLE t_new RENAME TO %1; "
               "PRAGMA ignore_check_constraints=0;")
        .arg(table, cols, check);
}
// A contact whose groups are given with "|" for CR LF.
inline QString UserSql(const QString& name, const QString& phone, const QString& groups,
                       int disabled = 0, const QString& dsc = {}) {
    return QStringLiteral("INSERT INTO Users(UserName,PhoneNumber,IsDisable,UserDsc,GroupName) "
                          "VALUES('%1','%2',%3,'%4',replace('%5','|',char(13)||char(10)));")
        .arg(name, phone)
        .arg(disabled)
        .arg(dsc, groups);
}
