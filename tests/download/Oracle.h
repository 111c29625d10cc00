#pragma once
// The download's independent judge (oracle.py beside this file, run by the system's Python)
// and a project with something of every kind a download sends.
#include "support/TestEnv.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStringList>

namespace oracle {

struct Verdict {
    int code = -1; // 0: the device holds exactly the project
    QString text;
};

inline Verdict Run(const QStringList& args) {
    QProcess p;
    p.start(QStringLiteral("/usr/bin/python3"),
            QStringList{TestEnv::SourceDir() + QStringLiteral("/tests/download/oracle.py")} + args);
    Verdict v;
    if (!p.waitForFinished(30000)) return v;
    v.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    v.text = QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError()).trimmed();
    return v;
}

// Whether the simulator's state file holds exactly the project's records.
inline Verdict Judge(const QString& project, const QString& stateFile) {
    return Run({project, stateFile});
}

// The records the project must give, without check codes, in sending order per area.
struct Records {
    QList<QByteArray> phoneBook, shortMessages;
};
inline Records Expected(const QString& project) {
    Records r;
    const QJsonObject o = QJsonDocument::fromJson(Run({project}).text.toUtf8()).object();
    for (const auto& v : o.value(QStringLiteral("phonebook")).toArray())
        r.phoneBook << QByteArray::fromHex(v.toString().toLatin1());
    for (const auto& v : o.value(QStringLiteral("shortMessages")).toArray())
        r.shortMessages << QByteArray::fromHex(v.toString().toLatin1());
    return r;
}

// A contact in two groups, a disabled one, one whose group is gone, one in no group; zones
// for all groups, for a group by another case, for nobody (disabled), an alarm without reset,
// Chinese text. IsUnicode as given.
inline QString RichProjectSql(bool unicode) {
    return QStringLiteral(
               "INSERT INTO UserGroups (GroupName, GroupDsc) VALUES ('Guards', ''), ('值班', ''), "
               "('Night', '');"
               "INSERT INTO Users (UserName, PhoneNumber, IsDisable, UserDsc, GroupName) VALUES"
               " ('Ann', '0912345678', 0, '', 'Guards' || char(13, 10) || '值班'),"
               " ('Bob', '5551234', 1, '', 'night'),"
               " ('Cy', '0223456789', 0, '', 'Gone'),"
               " ('Di', '123', 0, '', '');"
               "UPDATE Zones SET GroupName = 'ALL', AlarmSMS = '火警 簡訊', ResetSMS = '復電' "
               "WHERE ZoneNo = 0;"
               "UPDATE Zones SET GroupName = '值班', AlarmSMS = 'Door open 門', ResetSMS = '' "
               "WHERE ZoneNo = 5;"
               "UPDATE Zones SET GroupName = 'nobody', AlarmSMS = 'x', ResetSMS = 'y', IsDisable = "
               "1 WHERE ZoneNo = 63;"
               "UPDATE Basic SET IsUnicode = %1;")
        .arg(unicode ? 1 : 0);
}

// The rich project with 62 zones of 70-character messages besides: over the smaller model's
// 8192 bytes, within the others' 16384, and long enough at 9600 baud to be stopped midway.
inline QString LargeProjectSql() {
    return RichProjectSql(false) +
           QStringLiteral("UPDATE Zones SET GroupName = 'ALL', AlarmSMS = printf('%.70c', 'A'), "
                          "ResetSMS = printf('%.70c', 'R') WHERE ZoneNo NOT IN (5, 63);");
}

} // namespace oracle
