// The project as the device stores it: byte encodings, phonebook entries per membership,
// message entries per zone with their codes and groups, and the project size.
#include "editing/EditEnv.h"
#include "editing/PhoneBook.h"

using namespace PhoneBook;

class TestPhoneBook : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void encodings() {
        // Big5 as the local code page: two bytes per Chinese character, one per ASCII.
        QCOMPARE(AnsiBytes(QStringLiteral("簡訊A")), QByteArray::fromHex("c2b2b05441"));
        // A character the code page lacks becomes "?", a character beyond 16 bits too.
        QCOMPARE(AnsiBytes(QStringLiteral("é") + QString::fromUtf8("😀") + u'x'), QByteArray("??x"));
        // Unicode: UTF-16, high byte first; U+7C21 is 0x7C 0x21.
        QCOMPARE(MessageBytes(QStringLiteral("簡a"), true), QByteArray::fromHex("7c210061"));
        QCOMPARE(MessageBytes(QStringLiteral("簡a"), false), QByteArray::fromHex("c2b261"));
        QCOMPARE(PhoneBytes(QStringLiteral("+886９")), QByteArray("+886?"));
    }

    // One encoder for many texts gives each what a fresh one gives: a missing character of one
    // text is never held against the next.
    void oneEncoderForManyTexts() {
        const QStringList texts{QStringLiteral("簡訊"), QStringLiteral("é簡"),
                                QStringLiteral("簡訊"), QStringLiteral("ok"), QStringLiteral("警")};
        const QList<bool> complete{true, false, true, true, true};
        MessageRule::AnsiEncoder ansi;
        for (int i = 0; i < texts.size(); ++i) {
            bool whole = false;
            QCOMPARE(ansi.Bytes(texts[i], &whole), AnsiBytes(texts[i]));
            QCOMPARE(whole, complete[i]);
            QCOMPARE(WithoutAnsiGaps(texts[i], &ansi), WithoutAnsiGaps(texts[i]));
        }
    }

    void phonebookHasOneEntryPerMembership() {
        EditEnv env;
        QVERIFY(env.OpenWith(GroupsSql({"A", "", "B", "C"}) + UserSql("two", " 0912 ", "B|a", 1) +
                             UserSql("none", "5", "") + UserSql("gone", "77", "Old|| C ")));
        const ProjectImage img = BuildImages(env.p(), false);
        QCOMPARE(img.groups, (QStringList{"A", "B", "C"})); // the unnamed row has no number
        QCOMPARE(img.phoneBook.size(), 4);
        // A contact in two groups: two entries, numbers by position, names compared upper-cased.
        QCOMPARE(img.phoneBook[0].groupNo, 2);
        QCOMPARE(img.phoneBook[1].groupNo, 1);
        QCOMPARE(img.phoneBook[0].PhoneNumber, QStringLiteral("0912"));
        QCOMPARE(img.phoneBook[0].length, 4);
        QVERIFY(img.phoneBook[0].IsDisable);
        QVERIFY(img.phoneBook[1].IsDisable);
        // A group that no longer exists gives 0; an empty element gives nothing; blanks around
        // an element are ignored.
        QCOMPARE(img.phoneBook[2].groupNo, 0);
        QCOMPARE(img.phoneBook[3].groupNo, 3);
        QVERIFY(!img.phoneBook[3].IsDisable);
    }

    // Group names alike once upper-cased: the first one's number, for members and targets.
    void groupNumberOfNamesAlikeInCase() {
        EditEnv env;
        QVERIFY(env.OpenWith(GroupsSql({"x", "Dup", "DUP", "straße", "STRASSE"}) +
                             UserSql("u", "1", "dUp|Strasse|STRASSE|x") +
                             "UPDATE Zones SET AlarmSMS='a', GroupName='duP' WHERE ZoneNo=0;"
                             "UPDATE Zones SET AlarmSMS='b', GroupName='STRASSE' WHERE ZoneNo=1;"));
        const ProjectImage img = BuildImages(env.p(), false);
        QCOMPARE(img.phoneBook.size(), 4);
        QCOMPARE(img.phoneBook[0].groupNo, 2);
        QCOMPARE(img.phoneBook[1].groupNo, 4); // "straße" upper-cased is "STRASSE"
        QCOMPARE(img.phoneBook[2].groupNo, 4);
        QCOMPARE(img.phoneBook[3].groupNo, 1);
        QCOMPARE(img.shortMessages[0].groupNo, 2);
        QCOMPARE(img.shortMessages[1].groupNo, 4);
    }

    void shortMessagesPerZone() {
        EditEnv env;
        QVERIFY(env.OpenWith(
            GroupsSql({"A", "B"}) +
            "UPDATE Zones SET AlarmSMS='on', ResetSMS='off', GroupName='b' WHERE ZoneNo=0;"
            "UPDATE Zones SET AlarmSMS='fire', GroupName='all', IsDisable=1 WHERE ZoneNo=5;"
            "UPDATE Zones SET ResetSMS='ok', GroupName='' WHERE ZoneNo=6;"
            "UPDATE Zones SET AlarmSMS='x', GroupName='Gone' WHERE ZoneNo=63;"));
        const ProjectImage img = BuildImages(env.p(), false);
        QCOMPARE(img.shortMessages.size(), 5);
        const auto& m = img.shortMessages;
        QCOMPARE(m[0].code, 1);
        QCOMPARE(m[0].text, QStringLiteral("on"));
        QCOMPARE(m[0].groupNo, 2);
        QCOMPARE(m[1].code, 65);
        QCOMPARE(m[1].text, QStringLiteral("off"));
        // "ALL" in any case is all groups.
        QCOMPARE(m[2].code, 6);
        QCOMPARE(m[2].groupNo, 0);
        QVERIFY(m[2].IsDisable);
        // A zone without a target, or naming no group, notifies nobody (not everybody).
        QCOMPARE(m[3].code, 6 + 65);
        QCOMPARE(m[3].groupNo, kNoTargetGroup);
        QCOMPARE(m[4].code, 64);
        QCOMPARE(m[4].groupNo, kNoTargetGroup);
    }

    void projectSizeFollowsTheEncoding() {
        EditEnv env;
        QVERIFY(env.OpenWith(GroupsSql({"A", "B"}) + UserSql("u", "0912345678", "A|B") +
                             "UPDATE Zones SET AlarmSMS='火警A', ResetSMS='' WHERE ZoneNo=3;"));
        // Phonebook 2 x (10 + 4); one message of 2 Chinese and 1 ASCII character + 4.
        ProjectImage img = BuildImages(env.p(), true);
        QVERIFY(!img.isUnicode); // Basic says so; the previous value does not count
        QCOMPARE(img.shortMessages[0].bytes.size(), 5);
        QCOMPARE(img.projectSize, 2 * (10 + 4) + 5 + 4);
        QVERIFY(TestEnv::ExecSql(env.p().MirPath, QStringLiteral("UPDATE Basic SET IsUnicode=1")));
        img = BuildImages(env.p(), false);
        QVERIFY(img.isUnicode);
        QCOMPARE(img.shortMessages[0].bytes, QByteArray::fromHex("706b8b660041"));
        QCOMPARE(img.projectSize, 2 * (10 + 4) + 6 + 4);
        // Without a Basic row the previous choice stays.
        QVERIFY(TestEnv::ExecSql(env.p().MirPath, QStringLiteral("DELETE FROM Basic")));
        env.p().Basic = ADOUtil::OpenRecordset(env.p().conn.get(), QStringLiteral("Basic"));
        QCOMPARE(ADOUtil::GetRecordCount(env.p().Basic.get()), 0);
        QVERIFY(BuildImages(env.p(), true).isUnicode);
        QVERIFY(!BuildImages(env.p(), false).isUnicode);
    }

    void buildingMovesNoCurrentRow() {
        EditEnv env;
        QVERIFY(
            env.OpenWith(GroupsSql({"A", "B"}) + UserSql("u", "1", "A") + UserSql("v", "2", "B")));
        env.p().Users->SetAbsolutePosition(2);
        env.p().UserGroups->SetAbsolutePosition(RowSet::adPosEOF);
        BuildImages(env.p(), false);
        QCOMPARE(env.p().Users->AbsolutePosition(), 2);
        QVERIFY(env.p().UserGroups->Eof());
    }
};

QTEST_GUILESS_MAIN(TestPhoneBook)
#include "tst_PhoneBook.moc"
