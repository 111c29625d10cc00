// The project download: records byte for byte, the exchanges and dump files, the questions
// before anything is sent, and what the user sees on success and failure.
#include "device/Download.h"
#include "device/KORVACommUtil.h"
#include "editing/EditEnv.h"
#include "editing/PhoneBook.h"
#include "editing/ProjectDiff.h"
#include "store/DownloadHistory.h"
#include "support/ScriptedDevice.h"

#include <QCryptographicHash>
#include <QDate>

namespace {
// The dialer acknowledges a 0x50 command with its first four bytes; failAt (1-based count of
// requests) is never answered.
struct DownloadEnv : EditEnv {
    ScriptedDevice* dev = nullptr;
    FakeDialer dialer;
    int failAt = -1;
    QString historyAtFirstFrame; // the outcomes in the history as the first request arrives
    explicit DownloadEnv(int localeId = 1028) : EditEnv(localeId) {
        auto port = std::make_unique<ScriptedDevice>();
        dev = port.get();
        dev->responder = [this](const QByteArray& req) -> ScriptedReply {
            if (dev->written.size() == 1) {
                QVector<DownloadAttempt> rows;
                DownloadHistory::Query(HistoryPath(), {}, rows, nullptr);
                for (const DownloadAttempt& a : rows)
                    historyAtFirstFrame += a.outcome + u' ';
            }
            if (dev->written.size() == failAt) return {};
            if (quint8(req[1]) != Download::kFunction) return dialer.Answer(req); // connect
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
        QTest::addColumn<QString>("outcome"); // in the history
        QTest::addColumn<QString>("holds");   // what the dialer holds after a failure
        QTest::newRow("success") << -1 << false << "succeeded"
                                 << "";
        QTest::newRow("no messages: empty dump") << -1 << true << "succeeded"
                                                 << "";
        QTest::newRow("clear fails") << 1 << false << "failed"
                                     << "";
        QTest::newRow("message clear fails") << 2 << false << "incomplete"
                                             << "電話簿無資料 (共 3 筆)，先前的簡訊";
        QTest::newRow("phonebook record 2 fails") << 4 << false << "incomplete"
                                                  << "電話簿第 1 至 1 筆 (共 3 筆)，無簡訊";
        QTest::newRow("message 1 fails") << 6 << false << "incomplete"
                                         << "電話簿第 1 至 3 筆 (共 3 筆)，無簡訊";
        QTest::newRow("message 3 fails")
            << 8 << false << "incomplete"
            << "電話簿第 1 至 3 筆 (共 3 筆)，簡訊第 1 至 2 則 (共 3 則)";
    }
    void download() {
        QFETCH(int, failAt);
        QFETCH(bool, noMessages);
        QFETCH(QString, outcome);
        QFETCH(QString, holds);
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
        // The incomplete configuration is named in the box and on the panel, which is set
        // before the box is shown.
        const QString panel = QStringLiteral("ConnectStatus=") +
                              (failAt < 0 ? " Online" : " Offline") +
                              (holds.isEmpty() ? "" : " — 下載不完整");
        QCOMPARE(env.ui.statusLog.last(), panel);
        QCOMPARE(env.ui.statusAtMessage.last(), panel);
        QCOMPARE(env.c().ConnectStatus, failAt < 0);
        const QString paragraph = "\r\n\r\n簡訊報警機目前保存的是不完整的設定: " + holds +
                                  "。\r\n請在離開設定模式 (SW2 ON) 之前重新下載專案。";
        if (holds.isEmpty())
            QVERIFY(!env.ui.messages[1].text.contains(QStringLiteral("不完整")));
        else
            QVERIFY2(env.ui.messages[1].text.endsWith(paragraph),
                     qPrintable(env.ui.messages[1].text));

        // One row in the history: how far it got and the image as it was to be sent.
        QVector<DownloadAttempt> rows;
        QVERIFY(DownloadHistory::Query(env.HistoryPath(), {}, rows, nullptr));
        QCOMPARE(rows.size(), 1);
        const DownloadAttempt& a = rows[0];
        QCOMPARE(a.outcome, outcome);
        const int acknowledged = failAt < 0 ? int(all.size()) : failAt - 1;
        QCOMPARE(a.clearsDone, qMin(acknowledged, 2));
        QCOMPARE(a.phoneBookSent, qBound(0, acknowledged - 2, int(pb.size())));
        QCOMPARE(a.messagesSent, qBound(0, acknowledged - 2 - int(pb.size()), int(sm.size())));
        QCOMPARE(a.phoneBookTotal, int(pb.size()));
        QCOMPARE(a.messagesTotal, int(sm.size()));
        QCOMPARE(a.image.toHex(' '), Records(pb + sm).toHex(' '));
        QCOMPARE(a.imageSha256,
                 QCryptographicHash::hash(Records(pb + sm), QCryptographicHash::Sha256).toHex());
        QCOMPARE(a.projectPath, QDir::toNativeSeparators(env.p().ProjPath));
        QCOMPARE(a.port, QStringLiteral("/dev/ttyFAKE0"));
        QCOMPARE(a.bytes, size);
        QVERIFY(a.started.isValid() && a.ended >= a.started);
        QCOMPARE(a.content, ProjectDiff::Read(env.p()).ToJson());
        // Its started row is in the file before anything is sent.
        QCOMPARE(env.historyAtFirstFrame, QStringLiteral("started "));
        if (failAt < 0) return;

        // Until a download to that dialer succeeds.
        env.failAt = -1;
        QVERIFY(Download::DownloadProject(env.c()));
        QCOMPARE(env.ui.statusLog.last(), QStringLiteral("ConnectStatus= Online"));
        QVERIFY(!env.ui.messages.last().text.contains(QStringLiteral("不完整")));
    }

    // Connect says what the history knows the dialer last received; the incomplete state
    // belongs to the dialer.
    void connectLine() {
        DownloadEnv env;
        QVERIFY(env.OpenWith(kProject));
        auto connect = [&] {
            env.ui.messages.clear();
            env.ui.statusLog.clear();
            KORVACommUtil::Connect(env.c());
            return env.ui.messages.last().text.split("\r\n").last();
        };
        QCOMPARE(connect(), QStringLiteral("Commnunication Settings : 9600, N, 8, 1"));
        QCOMPARE(env.ui.statusLog, QStringList{"ConnectStatus= Online"});

        QVERIFY(Download::DownloadProject(env.c()));
        const QString day = QDate::currentDate().toString(Qt::ISODate);
        QString line = connect();
        QVERIFY2(line.startsWith("上次下載: " + day) && line.endsWith(", Edit，與開啟的專案相同"),
                 qPrintable(line));
        QCOMPARE(env.ui.statusLog, QStringList({"Status=" + line, "ConnectStatus= Online"}));
        QCOMPARE(env.ui.statusAtMessage.last(), QStringLiteral("ConnectStatus= Online"));

        QVERIFY(env.p().conn->Execute(
            QStringLiteral("UPDATE Users SET PhoneNumber='777' WHERE UserName='Tom'")));
        QVERIFY(connect().endsWith(", Edit，與開啟的專案不同"));

        env.failAt = int(env.dev->written.size()) + 4; // the first phonebook record
        QVERIFY(!Download::DownloadProject(env.c()));
        line = connect();
        QVERIFY2(line.startsWith("上次下載不完整 (" + day) && line.endsWith(", Edit)"),
                 qPrintable(line));
        QCOMPARE(env.ui.statusLog.last(), QStringLiteral("ConnectStatus= Online — 下載不完整"));

        // Another dialer on the cable holds what it held.
        env.dialer.input[0x0002] = 0x1111;
        QCOMPARE(connect(), QStringLiteral("Commnunication Settings : 9600, N, 8, 1"));
        QCOMPARE(env.ui.statusLog.last(), QStringLiteral("ConnectStatus= Online"));
        QVector<DownloadAttempt> rows;
        QVERIFY(DownloadHistory::Query(env.HistoryPath(), {}, rows, nullptr));
        QCOMPARE(rows.size(), 2);
        QCOMPARE(rows[0].serialNo, QStringLiteral("12-09-2143-785634-12"));
        QCOMPARE(rows[0].modelName, QStringLiteral("VX700-RV27S"));
    }

    // A history that cannot be written costs the history only, said in one line.
    void unwritableHistory() {
        DownloadEnv env(1033);
        QVERIFY(env.OpenWith(kProject));
        QVERIFY(TestEnv::WriteFile(env.tmp.filePath("plain"), "not a folder"));
        env.c().historyPath = env.tmp.filePath("plain/DownloadHistory.sqlite");
        QVERIFY(Download::DownloadProject(env.c()));
        const QStringList lines = env.ui.messages.last().text.split("\r\n");
        QVERIFY2(lines.last().startsWith("The download history was not written: " +
                                         QDir::toNativeSeparators(env.c().historyPath) + ": "),
                 qPrintable(lines.last()));
        QCOMPARE(lines[lines.size() - 2],
                 QStringLiteral("Please set the dialer's DIP switch SW2 to OFF (run mode)."));
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
