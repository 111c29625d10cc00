// Name checks and the check before a download: every refusal with its text, in its order.
#include "editing/EditEnv.h"
#include "editing/PhoneBook.h"
#include "editing/ValidUtil.h"

using namespace ValidUtil;

namespace {
// n groups G1..Gn and, for each of the first m, one enabled contact with a number.
QString Project(int groups, int targets) {
    return QStringLiteral(
               "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n WHERE i < %1) "
               "INSERT INTO UserGroups SELECT 'G'||i, '' FROM n;"
               "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n WHERE i < %2) "
               "INSERT INTO Users(UserName,PhoneNumber,IsDisable,UserDsc,GroupName) "
               "SELECT 'U'||i, '09'||i, 0, '', 'G'||(1 + (i-1) % %1) FROM n;")
        .arg(groups)
        .arg(targets);
}

bool Check(EditEnv& env) {
    return CheckBeforeDownload(env.c(), PhoneBook::BuildImages(env.p(), false));
}
} // namespace

class TestValidUtil : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void groupNames() {
        EditEnv env;
        QVERIFY(env.OpenWith(GroupsSql({"ABC"})));
        AppContext& c = env.c();
        QVERIFY(!ValidUserGroupName(c, QString()));
        QCOMPARE(env.ui.messages.last().text, QStringLiteral("本使用者群組名稱不得為空白。"));
        QCOMPARE(env.ui.messages.last().title, QStringLiteral("本使用者群組名稱不得為空白"));

        for (const char* reserved : {"all", "All Group", "all user group", "none", "所有群組"}) {
            env.ui.messages.clear();
            QVERIFY2(!ValidUserGroupName(c, QString::fromUtf8(reserved)), reserved);
            QCOMPARE(env.ui.messages.size(), 1);
            QCOMPARE(env.ui.messages[0].title, QStringLiteral("不合法的使用者群組名稱"));
            QCOMPARE(env.ui.messages[0].style, vbOKOnly | vbCritical);
        }
        QCOMPARE(env.ui.messages[0].text,
                 QStringLiteral(
                     "不合法的使用者群組名稱！\r\n本使用者群組名稱[所有群組]不得和以下名稱相同:\r\n"
                     "[所有群組]、[ALL GROUP]、[ALL USER GROUP]、[ALL]、[NONE]"));

        env.ui.messages.clear();
        // Only the exact reserved word is refused; a name that starts with it is fine.
        QVERIFY(ValidUserGroupName(c, QStringLiteral("所有群組A")));
        QVERIFY(ValidUserGroupName(c, QStringLiteral("ALLX")));
        QVERIFY(ValidUserGroupName(c, QStringLiteral(" ABC")));
        QVERIFY(env.ui.messages.isEmpty());

        // Taken, letter case ignored; also the group's own name in another case.
        QVERIFY(!ValidUserGroupName(c, QStringLiteral("abc")));
        QCOMPARE(env.ui.messages.last().text, QStringLiteral("本使用者群組名稱[abc]已經存在。"));
        QCOMPARE(env.ui.messages.last().title, QStringLiteral("本使用者群組名稱已經存在"));
        // The scan does not move the current row.
        env.p().UserGroups->SetAbsolutePosition(RowSet::adPosEOF);
        QVERIFY(!ValidUserGroupName(c, QStringLiteral("ABC")));
        QVERIFY(env.p().UserGroups->Eof());
    }

    void contactNames() {
        EditEnv env;
        QVERIFY(env.OpenWith(UserSql("Tom", "1", "")));
        AppContext& c = env.c();
        QVERIFY(!ValidUserName(c, QString()));
        QCOMPARE(env.ui.messages.last().title, QStringLiteral("本使用者名稱不得為空白"));
        QVERIFY(!ValidUserName(c, QStringLiteral("NONE")));
        QCOMPARE(
            env.ui.messages.last().text,
            QStringLiteral("不合法的使用者群組名稱！\r\n本使用者名稱[NONE]不得和以下名稱相同:\r\n"
                           "[所有群組]、[ALL GROUP]、[ALL USER GROUP]、[ALL]、[NONE]"));
        QVERIFY(!ValidUserName(c, QStringLiteral("tOM")));
        QCOMPARE(env.ui.messages.last().text, QStringLiteral("本電話使用者名稱[tOM]已經存在。"));
        QCOMPARE(env.ui.messages.last().title, QStringLiteral("本電話使用者名稱已經存在"));
        QCOMPARE(env.ui.messages.size(), 3);
        QVERIFY(ValidUserName(c, QStringLiteral("Tom2")));
    }

    // Names that would corrupt the stored lists or mimic the all-groups entry, for groups and
    // contacts alike; locale 1033 applies English texts.
    void nameForm_data() {
        QTest::addColumn<int>("locale");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("refusal"); // the message's second line; empty: accepted
        const QString reserved = QStringLiteral("]不得和以下名稱相同:");
        QTest::newRow("all-groups entry") << 1028 << QStringLiteral("所有連絡人群組") << reserved;
        QTest::newRow("built-in entry in English")
            << 1033 << QStringLiteral("所有連絡人群組")
            << QStringLiteral("] must not be one of these names:");
        QTest::newRow("applied entry") << 1033 << QStringLiteral("all contact groups")
                                       << QStringLiteral("] must not be one of these names:");
        QTest::newRow("line break")
            << 1028 << QStringLiteral("A\nB")
            << QStringLiteral("名稱不得含有控制字元[U+000A]（如換行、定位字元）。");
        QTest::newRow("tab") << 1028 << QStringLiteral("A\tB")
                             << QStringLiteral(
                                    "名稱不得含有控制字元[U+0009]（如換行、定位字元）。");
        QTest::newRow("line separator")
            << 1033 << QStringLiteral("A\u2028B")
            << QStringLiteral("name must not contain the control character [U+2028] (such as "
                              "a line break or a tab).");
        QTest::newRow("51 characters")
            << 1028 << QString(51, u'x') << QStringLiteral("名稱有51個字元，不得超過50個字元。");
        QTest::newRow("50 characters") << 1028 << QString(50, u'x') << QString();
        QTest::newRow("begins like the entry")
            << 1028 << QStringLiteral("所有連絡人群組2") << QString();
    }

    // The free texts' rule: what it refuses, named, and what a project already holds passes.
    void textForm_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("kept");
        QTest::addColumn<int>("maxLength");
        QTest::addColumn<QString>("refusal"); // the whole message; empty: accepted
        QTest::newRow("NUL") << QStringLiteral("a") + QChar(0) << QString() << 255
                             << "[說明]不得含有控制字元[U+0000]（如換行、定位字元）。";
        QTest::newRow("escape") << "a\x1B" << QString() << 0
                                << "[說明]不得含有控制字元[U+001B]（如換行、定位字元）。";
        QTest::newRow("CR") << "a\rb" << QString() << 0
                            << "[說明]不得含有控制字元[U+000D]（如換行、定位字元）。";
        QTest::newRow("256 characters")
            << QString(256, u'x') << QString() << 255 << "[說明]有256個字元，不得超過255個字元。";
        QTest::newRow("255 characters") << QString(255, u'x') << QString() << 255 << QString();
        QTest::newRow("no length rule") << QString(1000, u'x') << QString() << 0 << QString();
        QTest::newRow("as stored") << "a\tb"
                                   << "a\tb" << 0 << QString();
    }
    void textForm() {
        QFETCH(QString, text);
        QFETCH(QString, kept);
        QFETCH(int, maxLength);
        QFETCH(QString, refusal);
        EditEnv env;
        QVERIFY(env.OpenWith(QString()));
        QCOMPARE(ValidText(env.c(), text, kept, QStringLiteral("說明"), maxLength),
                 refusal.isEmpty());
        QCOMPARE(env.ui.messages.size(), refusal.isEmpty() ? 0 : 1);
        if (!refusal.isEmpty()) QCOMPARE(env.ui.messages[0].text, refusal);
    }

    void nameForm() {
        QFETCH(int, locale);
        QFETCH(QString, name);
        QFETCH(QString, refusal);
        EditEnv env(locale);
        QVERIFY(env.OpenWith(GroupsSql({"A"}) + UserSql("Tom", "1", "A")));
        QCOMPARE(ValidUserGroupName(env.c(), name), refusal.isEmpty());
        QCOMPARE(ValidUserName(env.c(), name), refusal.isEmpty());
        if (refusal.isEmpty()) {
            QVERIFY(env.ui.messages.isEmpty());
            return;
        }
        QCOMPARE(env.ui.messages.size(), 2);
        for (const auto& m : env.ui.messages) {
            QCOMPARE(m.style, vbOKOnly | vbCritical);
            QVERIFY2(m.text.section(QStringLiteral("\r\n"), 1, 1).endsWith(refusal),
                     qPrintable(m.text));
        }
    }

    void downloadCheckSteps_data() {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("reason"); // empty: the check passes
        QTest::newRow("no groups") << QString() << QStringLiteral("未設定使用者群組及使用者。");
        QTest::newRow("a group without name") << GroupsSql({"A", ""}) + UserSql("u", "1", "A")
                                              << QStringLiteral("未設定使用者群組及使用者。");
        QTest::newRow("no contacts")
            << GroupsSql({"A", "B"}) << QStringLiteral("2筆使用者群組未設定使用者。");
        QTest::newRow("enabled, one group, no number")
            << GroupsSql({"A", "B"}) + UserSql("ok", "1", "A") + UserSql("Tom", "", "B")
            << QStringLiteral("此使用者群組名稱[B]下的使用者[Tom]未設定電話號碼。");
        QTest::newRow("enabled, one group, no name")
            << GroupsSql({"A"}) + UserSql("", "1", "A")
            << QStringLiteral("此使用者群組名稱[A]未設定使用者。");
        QTest::newRow("disabled without number")
            << GroupsSql({"A"}) + UserSql("Tom", "", "A", 1) << QString();
        // Every contact with a membership is examined, named by its first group.
        QTest::newRow("two groups without number")
            << GroupsSql({"A", "B"}) + UserSql("Tom", "", "B|A")
            << QStringLiteral("此使用者群組名稱[B]下的使用者[Tom]未設定電話號碼。");
        QTest::newRow("unknown group, blank number")
            << GroupsSql({"A"}) + UserSql("Tom", "  ", " |Gone")
            << QStringLiteral("此使用者群組名稱[Gone]下的使用者[Tom]未設定電話號碼。");
        QTest::newRow("no group, no number")
            << GroupsSql({"A"}) + UserSql("ok", "1", "A") + UserSql("Tom", "", "") << QString();
        // Zone messages against the rule of the current mode: 160 Big5 bytes, 70 UTF-16 units.
        const QString one = GroupsSql({"A"}) + UserSql("ok", "1", "A");
        const QString x160 = QString(160, u'x'), c70 = QString(70, u'簡');
        auto zone = [&](const QString& alarm, const QString& reset, int unicode) {
            return one +
                   QStringLiteral("UPDATE Zones SET AlarmSMS='%1', ResetSMS='%2' WHERE ZoneNo=3;"
                                  "UPDATE Basic SET IsUnicode=%3;")
                       .arg(alarm, reset)
                       .arg(unicode);
        };
        QTest::newRow("160 bytes") << zone(x160, QString(80, u'簡'), 0) << QString();
        QTest::newRow("70 characters") << zone(c70, c70, 1) << QString();
        QTest::newRow("161 bytes")
            << zone(x160 + 'x', QString(), 0)
            << QStringLiteral("警報點[3]的警報發起訊息[%1x]長度超過160個位元組。").arg(x160);
        QTest::newRow("Unicode switched on later")
            << zone(QString(), x160, 1)
            << QStringLiteral("警報點[3]的警報復歸訊息[%1]長度超過70個字。").arg(x160);
        QTest::newRow("71 characters")
            << zone(c70 + u'簡', c70 + u'簡', 1)
            << QStringLiteral("警報點[3]的警報發起訊息[%1簡]長度超過70個字。").arg(c70);
        // Records the device cannot hold as the project says: a number longer than the
        // contact editor takes, a zone that is none of the device's, or one twice.
        const QString n20 = QString(20, u'9');
        QTest::newRow("20 digits") << GroupsSql({"A"}) + UserSql("Tom", n20, "A") << QString();
        QTest::newRow("21 digits, disabled")
            << one + UserSql("Tom", n20 + u'9', "A", 1)
            << QStringLiteral("連絡人[Tom]的電話號碼有21個字元，不得超過20個字元。");
        QTest::newRow("300 digits")
            << one + UserSql("Tom", QString(300, u'9'), "A")
            << QStringLiteral("連絡人[Tom]的電話號碼有300個字元，不得超過20個字元。");
        QTest::newRow("300 digits, no group")
            << one + UserSql("Tom", QString(300, u'9'), "") << QString();
        const QString outside = QStringLiteral("]不是此機型的警報點 (0 至 63)。");
        auto renumber = [&](const char* no) {
            return one + QStringLiteral("UPDATE Zones SET ZoneNo=%1, AlarmSMS='a' WHERE ZoneNo=3;")
                             .arg(QLatin1String(no));
        };
        QTest::newRow("zone 63") << renumber("63") << QString();
        QTest::newRow("zone 64") << renumber("64") << QStringLiteral("警報點[64") + outside;
        QTest::newRow("zone -1") << renumber("-1") << QStringLiteral("警報點[-1") + outside;
        QTest::newRow("zone 3.5") << renumber("3.5") << QStringLiteral("警報點[3.5") + outside;
        QTest::newRow("zone not a number")
            << renumber("'x3'") << QStringLiteral("警報點[x3") + outside;
        QTest::newRow("zone without number")
            << renumber("NULL") << QStringLiteral("警報點[") + outside;
        QTest::newRow("zone 64 without messages")
            << one + "UPDATE Zones SET ZoneNo=64 WHERE ZoneNo=3;" << QString();
        QTest::newRow("zone twice")
            << one + "UPDATE Zones SET ResetSMS='b' WHERE ZoneNo=5;" + renumber("5")
            << QStringLiteral("警報點[5]重複出現，兩個警報點的簡訊會互相覆蓋。");
        // A message over the rule is named before any zone number, wherever it stands; of
        // the numbers, the first in row order.
        QTest::newRow("bad number, then a long message")
            << renumber("64") +
                   QStringLiteral("UPDATE Zones SET AlarmSMS='%1' WHERE ZoneNo=10;").arg(x160 + 'x')
            << QStringLiteral("警報點[10]的警報發起訊息[%1x]長度超過160個位元組。").arg(x160);
        QTest::newRow("two bad numbers")
            << renumber("64") + "UPDATE Zones SET ZoneNo=70, AlarmSMS='a' WHERE ZoneNo=10;"
            << QStringLiteral("警報點[64") + outside;
        QTest::newRow("zone twice, once without messages")
            << one + "UPDATE Zones SET ZoneNo=5 WHERE ZoneNo=3;" << QString();
        QTest::newRow("128 groups, 128 targets") << Project(128, 128) << QString();
        QTest::newRow("129 groups")
            << Project(129, 129) << QStringLiteral("專案的群組不得超過128筆。");
        QTest::newRow("150 groups")
            << Project(150, 1) << QStringLiteral("專案的群組不得超過128筆。");
        QTest::newRow("129 targets")
            << Project(1, 129) << QStringLiteral("專案的通知對象[群組/連絡人]不得超過128筆。");
    }

    void downloadCheckSteps() {
        QFETCH(QString, sql);
        QFETCH(QString, reason);
        EditEnv env;
        QVERIFY(env.OpenWith(sql));
        QCOMPARE(Check(env), reason.isEmpty());
        if (reason.isEmpty()) {
            QVERIFY(env.ui.messages.isEmpty());
            return;
        }
        QCOMPARE(env.ui.messages.size(), 1);
        QCOMPARE(env.ui.messages[0].text, QStringLiteral("下載取消！\r\n") + reason);
        QCOMPARE(env.ui.messages[0].title, QStringLiteral("下載取消"));
        QCOMPARE(env.ui.messages[0].style, vbOKOnly | vbCritical);
    }

    // The limits are counted from the image: 128 groups and 128 memberships are the most.
    void limitsAreCountedFromTheImage() {
        EditEnv env;
        QVERIFY(env.OpenWith(Project(64, 64) +
                             "UPDATE Users SET GroupName='G1'||char(13)||char(10)||GroupName;"));
        const ProjectImage image = PhoneBook::BuildImages(env.p(), false);
        QCOMPARE(image.phoneBook.size(), 128);
        QVERIFY(CheckBeforeDownload(env.c(), image));
        EditEnv env2;
        QVERIFY(env2.OpenWith(Project(64, 64) +
                              "UPDATE Users SET GroupName='G1'||char(13)||char(10)||GroupName;" +
                              UserSql("extra", "5", "G2")));
        QVERIFY(!Check(env2));
        QCOMPARE(env2.ui.messages[0].text,
                 QStringLiteral("下載取消！\r\n專案的通知對象[群組/連絡人]不得超過128筆。"));
    }

    void englishTexts() {
        EditEnv env(1033);
        QVERIFY(env.OpenWith(GroupsSql({"A"})));
        QVERIFY(!ValidUserGroupName(env.c(), QStringLiteral("a")));
        QCOMPARE(env.ui.messages[0].text,
                 QStringLiteral("The contact group name [a] already exists."));
        QVERIFY(!Check(env));
        QCOMPARE(env.ui.messages[1].text,
                 QStringLiteral(
                     "Download cancelled!\r\n1 contact group(s), but no contacts are set up."));
    }
};

QTEST_GUILESS_MAIN(TestValidUtil)
#include "tst_ValidUtil.moc"
