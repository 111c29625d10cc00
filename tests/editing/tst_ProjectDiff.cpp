// Comparing projects by content: every kind of difference, what does not count as one, the
// Big5 and Unicode text modes, the stored form of a content, and the lines people read.
#include "editing/EditEnv.h"
#include "editing/ProjectDiff.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {
// Groups A, B; Tom in both, Ann (disabled, with a description) in B; zones 0 and 5 set.
const QString kBase =
    GroupsSql({"A", "B"}) + UserSql("Tom", "0912", "A|B") + UserSql("Ann", "55", "B", 1, "desk") +
    "UPDATE Zones SET ZoneName='Door', AlarmSMS='火警', ResetSMS='復歸', GroupName='B' WHERE "
    "ZoneNo=0;"
    "UPDATE Zones SET AlarmSMS='x', GroupName='ALL' WHERE ZoneNo=5;";

QStringList Keys(const QVector<ProjectDiff::Item>& items) {
    QStringList out;
    for (const ProjectDiff::Item& i : items)
        out << ProjectDiff::SectionKey(i.section) + '|' + ProjectDiff::ChangeKey(i.change) + '|' +
                   i.key + '|' + i.field;
    return out;
}
} // namespace

class tst_ProjectDiff : public QObject {
    Q_OBJECT

    // The differences from the base project to the base changed by sql.
    static QVector<ProjectDiff::Item> Diff(EditEnv& env, const QString& sqlA, const QString& sqlB) {
        ProjectContent a, b;
        QString why;
        const bool ok = ProjectDiff::ReadFile(env.MakeProject("A.cmb", kBase + sqlA), a, &why) &&
                        ProjectDiff::ReadFile(env.MakeProject("B.cmb", kBase + sqlB), b, &why);
        if (!ok) qWarning() << why;
        return ProjectDiff::Compare(a, b);
    }

private Q_SLOTS:
    void kinds_data() {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QStringList>("want");
        // Nothing the dialer or the person sees.
        QTest::newRow("dates") << "UPDATE Basic SET ModifiedDate='2031-01-01';" << QStringList{};
        QTest::newRow("blanks around a number, letter case of memberships")
            << "UPDATE Users SET PhoneNumber=' 0912 ', GroupName='a'||char(13)||char(10)||' b' "
               "WHERE UserName='Tom';"
            << QStringList{};
        QTest::newRow("letter case of a zone's target")
            << "UPDATE Zones SET GroupName='b' WHERE ZoneNo=0;" << QStringList{};
        // Basic information.
        QTest::newRow("model") << "UPDATE Basic SET DeviceModelName='VX800-DI8';"
                               << QStringList{"basic|changed||model"};
        QTest::newRow("description and author")
            << "UPDATE Basic SET ProjectDsc='new', CreatedBy='me';"
            << QStringList{"basic|changed||createdBy", "basic|changed||description"};
        // Groups.
        QTest::newRow("group added") << GroupsSql({"C"}) << QStringList{"groups|added|C|"};
        QTest::newRow("group removed")
            << "DELETE FROM UserGroups WHERE GroupName='B';" << QStringList{"groups|removed|B|"};
        QTest::newRow("group description")
            << "UPDATE UserGroups SET GroupDsc='x' WHERE GroupName='A';"
            << QStringList{"groups|changed|A|description"};
        QTest::newRow("group order: the group numbers")
            << "DELETE FROM UserGroups WHERE GroupName='A';" + GroupsSql({"A"})
            << QStringList{"groups|changed||order"};
        // Contacts.
        QTest::newRow("contact added")
            << UserSql("Eve", "1", "A") << QStringList{"contacts|added|Eve|"};
        QTest::newRow("contact removed")
            << "DELETE FROM Users WHERE UserName='Ann';" << QStringList{"contacts|removed|Ann|"};
        QTest::newRow("number") << "UPDATE Users SET PhoneNumber='0913' WHERE UserName='Tom';"
                                << QStringList{"contacts|changed|Tom|number"};
        QTest::newRow("disabled flag") << "UPDATE Users SET IsDisable=0 WHERE UserName='Ann';"
                                       << QStringList{"contacts|changed|Ann|disabled"};
        QTest::newRow("memberships") << "UPDATE Users SET GroupName='B' WHERE UserName='Tom';"
                                     << QStringList{"contacts|changed|Tom|groups"};
        QTest::newRow("membership order")
            << "UPDATE Users SET GroupName='B'||char(13)||char(10)||'A' WHERE UserName='Tom';"
            << QStringList{"contacts|changed|Tom|groups"};
        QTest::newRow("contact description") << "UPDATE Users SET UserDsc='' WHERE UserName='Ann';"
                                             << QStringList{"contacts|changed|Ann|description"};
        QTest::newRow("phonebook order: the k numbers")
            << "DELETE FROM Users WHERE UserName='Tom';" + UserSql("Tom", "0912", "A|B")
            << QStringList{"contacts|changed||order"};
        QTest::newRow("letter case of a contact's name")
            << "UPDATE Users SET UserName='TOM' WHERE UserName='Tom';"
            << QStringList{"contacts|changed|TOM|name"};
        // Zones.
        QTest::newRow("target") << "UPDATE Zones SET GroupName='A' WHERE ZoneNo=0;"
                                << QStringList{"zones|changed|0|target"};
        QTest::newRow("messages") << "UPDATE Zones SET AlarmSMS='y', ResetSMS='z' WHERE ZoneNo=5;"
                                  << QStringList{"zones|changed|5|alarm", "zones|changed|5|reset"};
        QTest::newRow("zone disabled") << "UPDATE Zones SET IsDisable=1 WHERE ZoneNo=0;"
                                       << QStringList{"zones|changed|0|disabled"};
        QTest::newRow("zone name") << "UPDATE Zones SET ZoneName='Gate' WHERE ZoneNo=0;"
                                   << QStringList{"zones|changed|0|name"};
        QTest::newRow("zone removed")
            << "DELETE FROM Zones WHERE ZoneNo=63;" << QStringList{"zones|removed|63|"};
        QTest::newRow("one of each section, in section order")
            << "UPDATE Zones SET ZoneName='Gate' WHERE ZoneNo=0;" + UserSql("Eve", "1", "A") +
                   GroupsSql({"C"}) + "UPDATE Basic SET IsUnicode=1;"
            << QStringList{"basic|changed||unicode", "groups|added|C|", "contacts|added|Eve|",
                           "zones|changed|0|name"};
    }
    void kinds() {
        QFETCH(QString, sql);
        QFETCH(QStringList, want);
        EditEnv env;
        QCOMPARE(Keys(Diff(env, {}, sql)), want);
        // The other way round, added and removed trade places (names as the other spells them).
        QStringList back;
        for (QString k : want) {
            k = k.toUpper();
            if (k.contains("|ADDED|"))
                k.replace("|ADDED|", "|REMOVED|");
            else
                k.replace("|REMOVED|", "|ADDED|");
            back << k;
        }
        QSet<QString> got;
        for (const QString& k : Keys(Diff(env, sql, {})))
            got << k.toUpper();
        QCOMPARE(got, QSet<QString>(back.begin(), back.end()));
    }

    // A project equals itself, read from its file, from the open working copy, and back from
    // its stored form.
    void itself() {
        EditEnv env;
        QVERIFY(env.OpenWith(kBase));
        ProjectContent file;
        QVERIFY(ProjectDiff::ReadFile(env.p().ProjPath, file, nullptr));
        const ProjectContent open = ProjectDiff::Read(env.p());
        QCOMPARE(open.contacts.size(), 2);
        QCOMPARE(open.zones.size(), 64);
        QVERIFY(ProjectDiff::Compare(file, open).isEmpty());
        ProjectContent stored;
        QVERIFY(ProjectContent::FromJson(open.ToJson(), stored));
        QVERIFY(ProjectDiff::Compare(open, stored).isEmpty());
        QCOMPARE(stored.contacts[0].groups, QStringList({"A", "B"}));
        QCOMPARE(ProjectDiff::Describe(env.c().ml, {}),
                 QStringList{QStringLiteral("兩者內容相同。")});
        QVERIFY(!ProjectContent::FromJson("[]", stored));
        QVERIFY(!ProjectDiff::ReadFile(env.tmp.filePath("none.cmb"), stored, nullptr));
    }

    // The stored form is the one Qt's JSON writer gives (histories hold both), whatever the
    // texts hold: quotes, backslashes, every control character, non-ASCII, surrogate pairs.
    void storedFormIsQtsJson() {
        QString hostile = QStringLiteral("\"\\/ 火警 \U0001F525 \u2028 \u007f");
        for (char16_t u = 0; u < 0x20; ++u)
            hostile += QChar(u);
        ProjectContent c;
        c.createdBy = hostile;
        c.model = QStringLiteral("VX700");
        c.unicode = true;
        c.groups = {{hostile, {}}, {QStringLiteral("B"), QStringLiteral("b")}};
        c.contacts = {{hostile, QStringLiteral("09"), true, {hostile, QStringLiteral("B")}, {}},
                      {QStringLiteral("Ann"), {}, false, {}, hostile}};
        c.zones = {{0, hostile, QStringLiteral("ALL"), {}, hostile, false},
                   {63, {}, {}, QStringLiteral("x"), {}, true}};
        QJsonObject o{{"createdBy", c.createdBy},
                      {"description", c.description},
                      {"model", c.model},
                      {"unicode", c.unicode}};
        QJsonArray groups, contacts, zones;
        for (const auto& g : c.groups)
            groups.append(QJsonObject{{"name", g.name}, {"description", g.description}});
        for (const auto& e : c.contacts)
            contacts.append(QJsonObject{{"name", e.name},
                                        {"number", e.number},
                                        {"disabled", e.disabled},
                                        {"groups", QJsonArray::fromStringList(e.groups)},
                                        {"description", e.description}});
        for (const auto& z : c.zones)
            zones.append(QJsonObject{{"no", z.no},
                                     {"name", z.name},
                                     {"target", z.target},
                                     {"alarm", z.alarm},
                                     {"reset", z.reset},
                                     {"disabled", z.disabled}});
        o["groups"] = groups;
        o["contacts"] = contacts;
        o["zones"] = zones;
        QCOMPARE(c.ToJson(), QJsonDocument(o).toJson(QJsonDocument::Compact));
        ProjectContent back;
        QVERIFY(ProjectContent::FromJson(c.ToJson(), back));
        QVERIFY(ProjectDiff::Compare(c, back).isEmpty());
    }

    // A non-Unicode project sends what Big5 lacks as "?": the same texts compare equal but
    // for the mode; a character Big5 lacks differs as sent.
    void big5AndUnicode() {
        EditEnv env;
        QCOMPARE(Keys(Diff(env, {}, "UPDATE Basic SET IsUnicode=1;")),
                 QStringList{"basic|changed||unicode"});
        const QString smile = "UPDATE Zones SET AlarmSMS='火警" + QString::fromUcs4(U"\U0001F600") +
                              "' WHERE ZoneNo=0;";
        const QVector<ProjectDiff::Item> items =
            Diff(env, smile, smile + "UPDATE Basic SET IsUnicode=1;");
        QCOMPARE(Keys(items), QStringList({"basic|changed||unicode", "zones|changed|0|alarm"}));
        QCOMPARE(items[1].before, QStringLiteral("火警?"));
        QCOMPARE(items[1].after, "火警" + QString::fromUcs4(U"\U0001F600"));
    }

    // Grouped lines in the applied language, and the form scripts read.
    void described() {
        EditEnv env(1033);
        const QVector<ProjectDiff::Item> items =
            Diff(env, {},
                 "UPDATE Users SET PhoneNumber='0913' WHERE UserName='Tom';" +
                     UserSql("Eve", "1", "A") + "UPDATE Zones SET IsDisable=1 WHERE ZoneNo=0;");
        QCOMPARE(ProjectDiff::Describe(env.c().ml, items),
                 QStringList({"Contacts", "  changed: Tom number: \"0912\" -> \"0913\"",
                              "  added: Eve", "Zones", "  changed: zone 0 disabled: no -> yes"}));
        const QJsonObject json = QJsonDocument::fromJson(ProjectDiff::ToJson(items)).object();
        QCOMPARE(json["equal"].toBool(), false);
        const QJsonObject first = json["differences"].toArray()[0].toObject();
        QCOMPARE(first["section"].toString(), QStringLiteral("contacts"));
        QCOMPARE(first["after"].toString(), QStringLiteral("0913"));
        QVERIFY(!json["differences"].toArray()[1].toObject().contains("field"));
    }
};

QTEST_GUILESS_MAIN(tst_ProjectDiff)
#include "tst_ProjectDiff.moc"
