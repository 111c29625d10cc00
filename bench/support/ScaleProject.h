#pragma once
// The benches' large projects: N contacts, N/16 groups (every contact is in the first and one
// other) and N/2 zones, on the largest model, written with SQLite straight into a copy of the
// template.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <algorithm>
#include <sqlite3.h>

inline bool MakeScaleProject(const QString& templatePath, const QString& path, int contacts) {
    QFile::remove(path);
    if (!QFile::copy(templatePath, path)) return false;
    QFile::setPermissions(path, QFile::permissions(path) | QFile::WriteOwner);
    const int groups = std::max(2, contacts / 16);
    const int zones = std::max(64, contacts / 2);
    sqlite3* db = nullptr;
    if (sqlite3_open(QFile::encodeName(path).constData(), &db) != SQLITE_OK) return false;
    const auto exec = [db](const QByteArray& sql) {
        return sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
    };
    bool ok = exec("BEGIN; UPDATE Basic SET DeviceModelName='VX700-RV27MS', IsUnicode=0;");
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO UserGroups VALUES (?1, ?2)", -1, &st, nullptr);
    for (int g = 1; g <= groups; ++g) {
        const QByteArray name = "Group" + QByteArray::number(g);
        sqlite3_bind_text(st, 1, name.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(st, 2, "a group", -1, SQLITE_STATIC);
        ok = ok && sqlite3_step(st) == SQLITE_DONE;
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    sqlite3_prepare_v2(db, "INSERT INTO Users VALUES (?1, ?2, ?3, ?4, ?5)", -1, &st, nullptr);
    for (int i = 1; i <= contacts; ++i) {
        const QByteArray name = "User" + QByteArray::number(i).rightJustified(5, '0');
        const QByteArray phone = "09" + QByteArray::number(10000000 + i);
        const QByteArray dsc = "Contact " + QByteArray::number(i);
        const QByteArray list = "Group1\r\nGroup" + QByteArray::number(2 + i % (groups - 1));
        sqlite3_bind_text(st, 1, name.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(st, 2, phone.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int(st, 3, i % 10 == 9);
        sqlite3_bind_text(st, 4, dsc.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(st, 5, list.constData(), -1, SQLITE_TRANSIENT);
        ok = ok && sqlite3_step(st) == SQLITE_DONE;
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    ok = ok && exec(QStringLiteral(
                        "WITH RECURSIVE n(no) AS (SELECT 64 UNION ALL SELECT no + 1 FROM n WHERE "
                        "no < %1) INSERT INTO Zones SELECT no, '', '', '', '', '', 0 FROM n WHERE "
                        "no < %1; UPDATE Zones SET ZoneName='Zone ' || ZoneNo, GroupName=CASE "
                        "WHEN ZoneNo % 5 = 0 THEN 'ALL' ELSE 'Group' || (1 + ZoneNo % %2) END, "
                        "AlarmSMS='Alarm ' || ZoneNo, ResetSMS='Reset ' || ZoneNo, "
                        "ZoneDsc='zone'; COMMIT;")
                        .arg(zones)
                        .arg(groups)
                        .toUtf8());
    sqlite3_close(db);
    return ok;
}

// The scale benches' options: --runs N, --sizes A,B,C and --only NAME,NAME.
struct ScaleOptions {
    QList<int> sizes;
    int runs = 5;
    QStringList only;
    ScaleOptions(const QStringList& a, QList<int> defaultSizes) : sizes(std::move(defaultSizes)) {
        for (int i = 1; i + 1 < a.size(); ++i) {
            if (a[i] == QLatin1String("--runs")) runs = std::max(1, a[i + 1].toInt());
            if (a[i] == QLatin1String("--only")) only = a[i + 1].split(u',');
            if (a[i] == QLatin1String("--sizes")) {
                sizes.clear();
                for (const QString& s : a[i + 1].split(u','))
                    sizes << s.toInt();
            }
        }
    }
};

// A program folder of its own in tmp (KORVA/bin with the data files of from, KORVA/Project),
// made the current folder; its path.
inline QString StageProgramFolder(const QTemporaryDir& tmp, const QString& from) {
    const QString bin = tmp.filePath(QStringLiteral("KORVA/bin"));
    QDir().mkpath(bin);
    QDir().mkpath(tmp.filePath(QStringLiteral("KORVA/Project")));
    for (const char* name : {"KORVA.set", "KORVA.ml", "KORVA.sdb", "RV27.mdb"})
        QFile::copy(from + u'/' + QLatin1String(name), bin + u'/' + QLatin1String(name));
    QDir::setCurrent(bin);
    return bin;
}
