// The settings file reader and writer.
#include "ScriptedUi.h"
#include "TestEnv.h"
#include "app/AppContext.h"
#include "app/SettingUtil.h"
#include "base/VBUtil.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace SettingUtil;
using namespace VBUtil;

class TestSettingUtil : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

    int TimeoutOf(const QString& text) { return ToWhole16(IniGet("Comm", "Timeout", "2", text)); }

private Q_SLOTS:
    // CR LF, CR and LF each end a line; empty lines take an index.
    void splitLines_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("lines");
        const QStringList four{"a", "", "b", "c"};
        QTest::newRow("CR LF") << "  a\r\n\r\n b \r\nc\r\n\r\n  " << four;
        QTest::newRow("LF") << "  a\n\n b \nc\n\n  " << four;
        QTest::newRow("CR") << "a\r\r b \rc\r" << four;
        QTest::newRow("mixed") << "a\r\n\n b \rc\n" << four;
        QTest::newRow("LF CR is two ends") << "a\n\r b \r\nc" << four;
        QTest::newRow("blank") << "  \r\n" << QStringList{};
        QTest::newRow("LF blank") << "  \n\n" << QStringList{};
    }
    void splitLines() {
        QFETCH(QString, text);
        QFETCH(QStringList, lines);
        const Lines l = SplitLines(text);
        QCOMPARE(l.count, int(lines.size()));
        for (int i = 0; i < lines.size(); ++i)
            QCOMPARE(l.Line(i + 1), lines[i]);
    }

    // A settings file edited on any system gives its values, whatever its line ends.
    void iniGetLineEnds_data() {
        QTest::addColumn<QString>("text");
        QTest::newRow("CR LF") << "[Comm]\r\nTimeOut=9\r\nRetry=7\r\n";
        QTest::newRow("LF") << "[Comm]\nTimeOut=9\nRetry=7\n";
        QTest::newRow("CR") << "[Comm]\rTimeOut=9\rRetry=7";
        QTest::newRow("LF, then CR LF") << "[Comm]\nTimeOut=9\r\nRetry=7";
    }
    void iniGetLineEnds() {
        QFETCH(QString, text);
        QCOMPARE(TimeoutOf(text), 9);
        QCOMPARE(IniGet("Comm", "Retry", "3", text), QStringLiteral("7"));
    }

    void splitLinesHoldsOnlyThousand() {
        QString text;
        for (int i = 1; i <= 1005; ++i)
            text += QStringLiteral("k%1=v\r\n").arg(i);
        const Lines l = SplitLines(text);
        QCOMPARE(l.count, 1005);
        QCOMPARE(l.lines.size(), kMaxLines);
        QCOMPARE(IniGet("", "k1000", "none", QStringLiteral("[]\r\n") + text),
                 QStringLiteral("none"));
        QCOMPARE(IniGet("X", "k999", "none", QStringLiteral("[X]\r\n") + text),
                 QStringLiteral("v"));
        QCOMPARE(IniGet("X", "k1001", "none", QStringLiteral("[X]\r\n") + text),
                 QStringLiteral("none"));
    }

    void iniGetMatching() {
        // Lower-case section and key with spaces around key, "=" and value.
        QCOMPARE(TimeoutOf(QStringLiteral("[comm]\r\n  timeout  =  5  \r\n")), 5);
        // Lines before the first section never match.
        QCOMPARE(TimeoutOf(QStringLiteral("Timeout=7\r\n[Comm]\r\n")), 2);
        // First match wins across two sections of the same name.
        QCOMPARE(
            TimeoutOf(QStringLiteral(
                "[Comm]\r\nRetry=1\r\n[ML]\r\nTimeout=8\r\n[Comm]\r\nTimeout=4\r\nTimeout=6\r\n")),
            4);
        // A one-character key is never a key line.
        QCOMPARE(IniGet("S", "K", "d", QStringLiteral("[S]\r\nK=1\r\n")), QStringLiteral("d"));
        QCOMPARE(IniGet("S", "KK", "d", QStringLiteral("[S]\r\nKK=1\r\n")), QStringLiteral("1"));
        // Empty value is empty text, a number 0.
        QCOMPARE(IniGet("S", "KK", "d", QStringLiteral("[S]\r\nKK=\r\n")), QString());
        QCOMPARE(TimeoutOf(QStringLiteral("[Comm]\r\nTimeout=\r\n")), 0);
        // The settings file's own spelling "OriginalLangName =" is found.
        QCOMPARE(IniGet("ML", "OriginalLangName", "",
                        QStringLiteral("[ML]\r\nOriginalLangName =ChineseBig5\r\n")),
                 QStringLiteral("ChineseBig5"));
        // "[]" is not a section header.
        QCOMPARE(IniGet("COMM", "Retry", "d", QStringLiteral("[Comm]\r\n[]\r\nRetry=5\r\n")),
                 QStringLiteral("5"));
    }

    void numberRule_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("value");
        QTest::newRow("2.5 to even") << "2.5" << 2;
        QTest::newRow("3.5 to even") << "3.5" << 4;
        QTest::newRow("-2.5") << "-2.5" << -2;
        QTest::newRow("prefix") << "12abc" << 12;
        QTest::newRow("inner spaces") << " 1 2 " << 12;
        QTest::newRow("not a number") << "abc" << 0;
        QTest::newRow("empty") << "" << 0;
        QTest::newRow("exponent") << "1e2" << 100;
        QTest::newRow("dangling exponent") << "7e" << 7;
        QTest::newRow("second point stops") << "1.2.3" << 1;
        QTest::newRow("beyond 16 bits") << "99999" << 32767;
        QTest::newRow("below 16 bits") << "-99999" << -32768;
    }
    void numberRule() {
        QFETCH(QString, text);
        QFETCH(int, value);
        QCOMPARE(ToWhole16(text), value);
    }

    void readSettings() {
        ScriptedUi ui;
        AppContext ctx(ui);
        const QString path = m_dir.filePath(QStringLiteral("a.set"));
        QVERIFY(TestEnv::WriteFile(path, "[comm]\r\n timeout = 3.5\r\nRETRY=0\r\n"));
        QVERIFY(ReadSettings(ctx, path));
        QCOMPARE(ctx.comm.TimeOut, 4);
        QCOMPARE(ctx.comm.Retry, 0);
        QVERIFY(ui.messages.isEmpty());
        // Missing lines take their defaults.
        QVERIFY(TestEnv::WriteFile(path, "[Comm]\r\n"));
        QVERIFY(ReadSettings(ctx, path));
        QCOMPARE(ctx.comm.TimeOut, 2);
        QCOMPARE(ctx.comm.Retry, 3);
        // Values beyond the accepted ranges (older files) load held to them.
        QVERIFY(TestEnv::WriteFile(path, "[Comm]\r\nTimeOut=99999\r\nRetry=32767\r\n"));
        QVERIFY(ReadSettings(ctx, path));
        QCOMPARE(ctx.comm.TimeOut, 60);
        QCOMPARE(ctx.comm.Retry, 10);
        QVERIFY(TestEnv::WriteFile(path, "[Comm]\r\nTimeOut=-5\r\nRetry=-1\r\n"));
        QVERIFY(ReadSettings(ctx, path));
        QCOMPARE(ctx.comm.TimeOut, 0);
        QCOMPARE(ctx.comm.Retry, 0);
    }

    void readSettingsMissingFile() {
        ScriptedUi ui;
        AppContext ctx(ui);
        const QString path = m_dir.filePath(QStringLiteral("missing.set"));
        QVERIFY(!ReadSettings(ctx, path));
        QCOMPARE(ui.messages.size(), 1);
        QCOMPARE(ui.messages[0].text, QStringLiteral("KORVA system failed!\r\nFile [") + path +
                                          QStringLiteral("] not exist."));
        QCOMPARE(ui.messages[0].title, QStringLiteral("KORVA system failed"));
        QCOMPARE(int(ui.messages[0].style), int(vbOKOnly | vbCritical));
    }

    void writeSettingsExactTenLines() {
        ScriptedUi ui;
        AppContext ctx(ui);
        ctx.comm.TimeOut = 5;
        ctx.comm.Retry = -1;
        ctx.ml.AppliedLangName = QStringLiteral("AUTO");
        ctx.ml.AppliedLang = QStringLiteral("English");
        ctx.ml.OriginalLangName = QStringLiteral("ChineseBig5");
        ctx.ml.IsFormDisable = 1;
        ctx.ml.IsTextDisable = 7;
        const QString path = m_dir.filePath(QStringLiteral("w.set"));
        QVERIFY(TestEnv::WriteFile(path, QByteArray("[Other]\r\nkeep=me\r\n").repeated(50)));
        QVERIFY(WriteSettings(ctx, path));
        QCOMPARE(
            TestEnv::ReadFile(path),
            QByteArray("[Comm]\r\nTimeOut=5\r\nRetry=-1\r\n\r\n[ML]\r\nAppliedLangName=AUTO\r\n"
                       "AlternateLangName=\r\nOriginalLangName =ChineseBig5\r\n"
                       "IsFormDisable= 1\r\nIsTextDisable= 0\r\n"));
        // And it reads back.
        ctx.comm.TimeOut = 0;
        QVERIFY(ReadSettings(ctx, path));
        QCOMPARE(ctx.comm.TimeOut, 5);
        QCOMPARE(ctx.comm.Retry, 0); // held to the accepted range
    }

    void shippedSettingsFile() {
        const QByteArray shipped =
            TestEnv::ReadFile(TestEnv::StagedBin() + QStringLiteral("/KORVA.set"));
        QCOMPARE(shipped,
                 QByteArray("[Comm]\r\nTimeOut=2\r\nRetry=3\r\n\r\n[ML]\r\nAppliedLangName=AUTO\r\n"
                            "AlternateLangName=\r\nOriginalLangName =ChineseBig5\r\n"
                            "IsFormDisable= 0\r\nIsTextDisable= 0\r\n"));
    }
};

QTEST_GUILESS_MAIN(TestSettingUtil)
#include "tst_SettingUtil.moc"
