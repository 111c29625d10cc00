// The project download: records byte for byte, the exchanges and dump files, the questions
// before anything is sent, and what the user sees on success and failure.
#include "device/Download.h"
#include "editing/EditEnv.h"
#include "editing/PhoneBook.h"
#include "support/ScriptedDevice.h"

#include <QDate>

namespace {
// The dialer acknowledges a 0x50 command with its first four bytes; failAt (1-based count of
// requests) is never answered.
struct DownloadEnv : EditEnv {
    ScriptedDevice* dev = nullptr;
    int failAt = -1;
    explicit DownloadEnv(int localeId = 1028) : EditEnv(localeId) {
        auto port = std::make_unique<ScriptedDevice>();
        dev = port.get();
        dev->responder = [this](const QByteArray& req) -> ScriptedReply {
            if (dev->written.size() == failAt) return {};
            return {TestFrames::WithCrc(req.left(4))};
        };
        ctx->port = std::move(port);
        ctx->comm.PortName = QStringLiteral("/dev/ttyFAKE0");
        ctx->comm.TimeOut = 0;
        ctx->comm.Retry = 0;
    }
    QByteArray Dump(const QString& name) const {
        return TestEnv::ReadFile(Download::DumpPath(*ctx, name));
    }
};

// Groups A, B; Tom in both, Ann (disabled) in a group that is gone; zone 0 with both texts,
// zone 5 with an alarm text only.
const QString kProject =
    GroupsSql({"A", "B"}) + UserSql("Tom", "0912", "A|B") + UserSql("Ann", "55", "Gone", 1) +
    "UPDATE Zones SET AlarmSMS='簡訊A', ResetSMS='簡訊', GroupName='B' WHERE ZoneNo=0;"
    "UPDATE Zones SET AlarmSMS='x', GroupName='ALL', IsDisable=1 WHERE ZoneNo=5;";

QByteArray Hex(const char* hex) {
    return QByteArray::fromHex(hex);
}
QByteArray Records(const QList<QByteArray>& list) {
    QByteArray all;
    for (const QByteArray& r : list)
        all += r;
    return all;
}
} // namespace

class TestDownload : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void records_data() {
        QTest::addColumn<bool>("unicode");
        QTest::addColumn<QByteArray>("phoneBook");
        QTest::addColumn<QByteArray>("messages");
        // Tom twice (k 1, 2; groups 1, 2); Ann disabled with group 0.
        const QByteArray pb = Hex(
            "f750430108000104 01 30393132 f750430208000204 02 30393132 f750430306800002 03 3535");
        QTest::newRow("Unicode")
            << true << pb
            << Hex("f75053010a410206 00 7c218a0a0041 f750534108410204 00 7c218a0a"
                   "f7505306 06c1 0002 00 0078");
        QTest::newRow("Big5") << false << pb
                              << Hex("f750530109400205 00 c2b2b05441 f750534108400204 00 c2b2b054"
                                     "f7505306 05c0 0001 00 78");
    }
    void records() {
        QFETCH(bool, unicode);
        QFETCH(QByteArray, phoneBook);
        QFETCH(QByteArray, messages);
        DownloadEnv env;
        QVERIFY(
            env.OpenWith(kProject + QStringLiteral("UPDATE Basic SET IsUnicode=%1;").arg(unicode)));
        const ProjectImage image = PhoneBook::BuildImages(env.p(), false);
        QByteArray pb, sm;
        for (int i = 0; i < image.phoneBook.size(); ++i)
            pb += Download::PhoneBookRecord(image.phoneBook[i], i + 1);
        for (const ShortMessageEntry& e : image.shortMessages)
            sm += Download::ShortMessageRecord(e, unicode);
        QCOMPARE(pb.toHex(' '), phoneBook.toHex(' '));
        QCOMPARE(sm.toHex(' '), messages.toHex(' '));
        QCOMPARE(Download::ClearPhoneBookCommand(), Hex("f75040ff"));
        QCOMPARE(Download::ClearShortMessagesCommand(), Hex("f75050ff"));
    }

    // The whole exchange: frames, dumps, progress, messages and the panel on both paths.
    void download_data() {
        QTest::addColumn<int>("failAt"); // request that goes unanswered; -1 none
        QTest::addColumn<bool>("noMessages");
        QTest::newRow("success") << -1 << false;
        QTest::newRow("no messages: empty dump") << -1 << true;
        QTest::newRow("clear fails") << 1 << false;
        QTest::newRow("phonebook record 2 fails") << 4 << false;
        QTest::newRow("message 1 fails") << 6 << false;
    }
    void download() {
        QFETCH(int, failAt);
        QFETCH(bool, noMessages);
        DownloadEnv env;
        QVERIFY(env.OpenWith(kProject +
                             (noMessages ? "UPDATE Zones SET AlarmSMS='', ResetSMS='';" : "")));
        env.failAt = failAt;
        const ProjectImage image = PhoneBook::BuildImages(env.p(), false);
        QList<QByteArray> pb, sm;
        for (int i = 0; i < image.phoneBook.size(); ++i)
            pb << Download::PhoneBookRecord(image.phoneBook[i], i + 1);
        for (const ShortMessageEntry& e : image.shortMessages)
            sm << Download::ShortMessageRecord(e, false);
        const QList<QByteArray> all = QList<QByteArray>{Hex("f75040ff"), Hex("f75050ff")} + pb + sm;
        const int sent = failAt < 0 ? int(all.size()) : failAt;

        QCOMPARE(Download::DownloadProject(env.c()), failAt < 0);
        QCOMPARE(env.dev->written.size(), sent);
        for (int i = 0; i < sent; ++i)
            QCOMPARE(env.dev->written[i].toHex(), TestFrames::WithCrc(all[i]).toHex());
        if (failAt < 0 || failAt > 2)
            QCOMPARE(env.Dump("PhoneBook.dbg"), Records(pb.mid(0, sent - 2)));
        if (failAt < 0 || failAt > 5)
            QCOMPARE(env.Dump("SHORTMSG.dbg"), Records(sm.mid(0, sent - 5)));
        QVERIFY(!noMessages || QFile::exists(Download::DumpPath(env.c(), "SHORTMSG.dbg")));

        // Confirmation, then the outcome, with the progress window and the cursor gone.
        QCOMPARE(env.ui.messages.size(), 2);
        QCOMPARE(env.ui.messages[0].style, vbOKCancel | vbQuestion);
        const int size = image.projectSize;
        QCOMPARE(
            env.ui.messages[0].text,
            QStringLiteral(
                "欲下載的專案佔 [%1 Byte], 剩餘空間 [%2 Byte].\r\n是否確定要下載專案至簡訊報警機?")
                .arg(size)
                .arg(16384 - size));
        QCOMPARE(env.ui.progressLog,
                 QStringList({"show:下載專案|下載專案至簡訊警報機中, 請稍侯...", "close"}));
        QCOMPARE(env.ui.progressUpAtMessage.last(), false);
        QCOMPARE(env.ui.busyAtMessage.last(), 0);
        QCOMPARE(env.ui.busyDepth, 0);
        QCOMPARE(env.ui.progressValues.size(), sent - (failAt < 0 ? 0 : 1) + 1);
        QCOMPARE(env.ui.progressValues.first(), QStringLiteral("0/%1|").arg(all.size()));
        if (failAt < 0) {
            const QString n = QString::number(all.size());
            QCOMPARE(env.ui.progressValues.mid(1, 3),
                     QStringList({"1/" + n + "|已清除電話簿", "2/" + n + "|已清除簡訊",
                                  "3/" + n + "|電話簿 第 1 / 3 筆"}));
            QCOMPARE(env.ui.messages[1].text,
                     QStringLiteral("下載專案 [%1:%2 Byte ] "
                                    "成功!\r\n請使用者將簡訊報警機的指撥開關SW2設為 OFF (執行模式)")
                         .arg(QDir::toNativeSeparators(env.p().ProjPath))
                         .arg(size));
            QCOMPARE(env.ui.messages[1].style, vbOKOnly);
        } else {
            QVERIFY(env.ui.messages[1].text.startsWith(
                QStringLiteral("下載專案 [%1] 失敗!\r\n請檢查下列項目:\r\n1. RS232")
                    .arg(QDir::toNativeSeparators(env.p().ProjPath))));
            QCOMPARE(env.ui.messages[1].style, vbOKOnly | vbCritical);
        }
        QCOMPARE(env.ui.statusLog.last(),
                 QStringLiteral("ConnectStatus=") + (failAt < 0 ? " Online" : " Offline"));
        QCOMPARE(env.c().ConnectStatus, failAt < 0);
    }

    // Refusals before anything is sent: the size limit at its edge, the confirmation.
    void nothingSent_data() {
        QTest::addColumn<int>("spare"); // MaxMemoryByte minus the project size
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("last");
        QTest::newRow("exact size, cancelled")
            << 0 << int(vbCancel) << QStringLiteral("是否確定要下載專案至簡訊報警機?");
        QTest::newRow("one byte over") << -1 << int(vbOK) << QStringLiteral("Byte.");
    }
    void nothingSent() {
        QFETCH(int, spare);
        QFETCH(int, answer);
        QFETCH(QString, last);
        DownloadEnv env;
        QVERIFY(env.OpenWith(kProject));
        const int size = PhoneBook::BuildImages(env.p(), false).projectSize;
        env.p().MaxMemoryByte = size + spare;
        env.ui.answers << MsgResult(answer);
        QVERIFY(!Download::DownloadProject(env.c()));
        QCOMPARE(env.ui.messages.size(), 1);
        QVERIFY(env.ui.messages[0].text.endsWith(last));
        if (spare < 0)
            QCOMPARE(env.ui.messages[0].text,
                     QStringLiteral("專案下載失敗!\r\n欲下載的專案 [%1 Byte] 過大, "
                                    "請更改專案內容。記憶空間為 %2Byte.")
                         .arg(size)
                         .arg(size - 1));
        QVERIFY(env.dev->written.isEmpty());
        QVERIFY(env.ui.progressLog.isEmpty());
    }

    // The window's command asks about unsaved changes before the project file is written.
    void commandAsksFirst_data() {
        QTest::addColumn<int>("answer");
        QTest::newRow("no: cancelled, file untouched") << int(vbNo);
        QTest::newRow("cancel") << int(vbCancel);
        QTest::newRow("yes: saved once, then sent") << int(vbYes);
    }
    void commandAsksFirst() {
        QFETCH(int, answer);
        DownloadEnv env;
        QVERIFY(env.OpenWith(kProject));
        const QByteArray before = TestEnv::ReadFile(env.p().ProjPath);
        QVERIFY(env.p().conn->Execute(
            QStringLiteral("UPDATE Users SET PhoneNumber='777' WHERE UserName='Tom'")));
        env.p().IsModified = true;
        env.ui.answers << MsgResult(answer);
        QCOMPARE(Download::DownloadCommand(env.c()), answer == vbYes);
        QCOMPARE(env.ui.messages[0].title, QStringLiteral("是否儲存專案"));
        if (answer != vbYes) {
            QCOMPARE(TestEnv::ReadFile(env.p().ProjPath), before);
            QVERIFY(env.dev->written.isEmpty());
            QCOMPARE(env.ui.Texts().mid(1),
                     answer == vbNo ? QStringList{"下載專案取消！"} : QStringList{});
            return;
        }
        QCOMPARE(env.ui.messages.size(), 3); // the prompt, the confirmation, the outcome
        QCOMPARE(env.Sql3(env.p().ProjPath, "SELECT PhoneNumber FROM Users WHERE UserName='Tom'"),
                 QStringLiteral("777"));
        QCOMPARE(env.Q("SELECT ModifiedDate FROM Basic").left(10),
                 QDate::currentDate().toString(Qt::ISODate));
        QVERIFY(!env.p().IsModified);
        QVERIFY(env.dev->written[2].contains("777"));
    }

    // Without a project nothing is asked or sent; an unchanged project is still saved first.
    void commandWithoutChanges() {
        DownloadEnv env;
        QVERIFY(!Download::DownloadCommand(env.c()));
        QCOMPARE(env.ui.Texts(), QStringList{"下載專案失敗!\r\n請確認目前有專案是被開啟!"});
        QVERIFY(env.OpenWith(kProject));
        QVERIFY(env.p().conn->Execute(
            QStringLiteral("UPDATE Users SET PhoneNumber='888' WHERE UserName='Tom'")));
        QVERIFY(Download::DownloadCommand(env.c()));
        QCOMPARE(env.Sql3(env.p().ProjPath, "SELECT PhoneNumber FROM Users WHERE UserName='Tom'"),
                 QStringLiteral("888"));
        QVERIFY(!env.p().IsModified);
    }

    // A dump that cannot be written costs the dump only; the outcome says where it was tried,
    // and the next download's outcome speaks of its own dumps only.
    void unwritableDump() {
        DownloadEnv env(1033);
        QVERIFY(env.OpenWith(kProject));
        env.c().link.dumpDir = env.tmp.filePath("missing/folder");
        QVERIFY(Download::DownloadProject(env.c()));
        const QString tried =
            QDir::toNativeSeparators(env.tmp.filePath("missing/folder/PhoneBook.dbg")) + ", " +
            QDir::toNativeSeparators(env.tmp.filePath("missing/folder/SHORTMSG.dbg"));
        QVERIFY2(env.ui.messages.last().text.endsWith(
                     "(run mode).\r\nThe download dump was not written: " + tried),
                 qPrintable(env.ui.messages.last().text));
        QCOMPARE(env.ui.progressValues.last(), QStringLiteral("8/8|Message 3 of 3"));

        env.c().link.dumpDir = env.tmp.path();
        QVERIFY(Download::DownloadProject(env.c()));
        QVERIFY2(env.ui.messages.last().text.endsWith(QStringLiteral("(run mode).")),
                 qPrintable(env.ui.messages.last().text));
        QVERIFY(QFile::exists(env.tmp.filePath("SHORTMSG.dbg")));
    }
};

QTEST_GUILESS_MAIN(TestDownload)
#include "tst_Download.moc"
