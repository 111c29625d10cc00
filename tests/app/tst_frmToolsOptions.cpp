// The options dialog: what it shows, the defaults button, OK rewriting the settings file,
// Cancel storing nothing, the language choice.
#include "app/AppFixture.h"
#include "app/frmToolsOptions.h"
#include "ml/QtFormTexts.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

class tst_frmToolsOptions : public QObject {
    Q_OBJECT

    struct Dialog {
        frmToolsOptions d;
        QLineEdit* retry;
        QLineEdit* timeOut;
        explicit Dialog(AppContext& ctx)
            : d(ctx), retry(d.findChild<QLineEdit*>(QStringLiteral("txtRetry"))),
              timeOut(d.findChild<QLineEdit*>(QStringLiteral("txtTimeOut"))) {
            d.LoadFormObj();
            d.show();
        }
        void Click(const char* name) {
            QTest::mouseClick(d.findChild<QPushButton*>(QLatin1String(name)), Qt::LeftButton);
        }
        void Type(QLineEdit* e, const QString& text) {
            e->selectAll();
            QTest::keyClicks(e, text);
        }
    };

    static QByteArray SettingsFile(AppFixture& f) {
        return TestEnv::ReadFile(f.Path(QStringLiteral("KORVA.set")));
    }

private Q_SLOTS:
    void showsTheValuesInUseAndItsTexts() {
        AppFixture f;
        QVERIFY(f.Start(QStringLiteral("English")));
        f.ctx.comm.Retry = 4;
        f.ctx.comm.TimeOut = 9;
        Dialog dlg(f.ctx);
        QCOMPARE(dlg.retry->text(), QStringLiteral("4"));
        QCOMPARE(dlg.timeOut->text(), QStringLiteral("9"));
        QCOMPARE(QtFormTexts::Apply(&dlg.d, f.ctx.ml, QStringLiteral("frmToolsOptions")),
                 QStringList());
        QCOMPARE(dlg.d.windowTitle(), QStringLiteral("Options"));
        QCOMPARE(dlg.d.findChild<QPushButton*>(QStringLiteral("cmdSetDefault"))->text(),
                 QStringLiteral("Restore defaults"));
        QCOMPARE(dlg.d.findChild<QLabel*>(QStringLiteral("Label1"))->text(),
                 QStringLiteral("Retries:"));
        auto* tab = dlg.d.findChild<QTabWidget*>(QStringLiteral("sstToolsOptions"));
        QCOMPARE(tab->tabText(0), QStringLiteral("Communication"));
        QCOMPARE(tab->tabText(1), QStringLiteral("Language"));
    }

    // The choice is stored as its name; every other line stays byte for byte, and a change
    // is announced in the language chosen (the system's locale is English here).
    void okStoresTheLanguageChosen_data() {
        QTest::addColumn<QString>("inFile");
        QTest::addColumn<QString>("choice");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("notice"); // part of the message; empty: none
        QTest::newRow("automatic to Simplified") << "AUTO"
                                                 << "简体中文"
                                                 << "ChineseGB"
                                                 << "下次启动程序时生效";
        QTest::newRow("English to Traditional") << "English"
                                                << "繁體中文"
                                                << "ChineseBig5"
                                                << "下次啟動程式時生效";
        QTest::newRow("Simplified to English") << "ChineseGB"
                                               << "English"
                                               << "English"
                                               << "takes effect the next time";
        QTest::newRow("Traditional to automatic") << "ChineseBig5"
                                                  << "自動"
                                                  << "AUTO"
                                                  << "takes effect the next time";
        QTest::newRow("lower-case auto kept") << "auto"
                                              << "Automatic"
                                              << "auto"
                                              << "";
        QTest::newRow("empty name kept") << ""
                                         << "Automatic"
                                         << ""
                                         << "";
        QTest::newRow("unknown name kept") << "Klingon"
                                           << "Klingon"
                                           << "Klingon"
                                           << "";
    }
    void okStoresTheLanguageChosen() {
        QFETCH(QString, inFile);
        QFETCH(QString, choice);
        QFETCH(QString, stored);
        QFETCH(QString, notice);
        AppFixture f;
        QVERIFY(f.Prepare(inFile));
        const QByteArray before = SettingsFile(f);
        QVERIFY(Startup::StartCore(f.ctx, f.dir.path(), 1033));
        Dialog dlg(f.ctx);
        auto* combo = dlg.d.findChild<QComboBox*>(QStringLiteral("cmbLanguage"));
        const int at = combo->findText(choice);
        QVERIFY2(at >= 0, qPrintable(choice));
        combo->setCurrentIndex(at);
        dlg.Click("CmdOK");
        QByteArray expected = before;
        expected.replace("AppliedLangName=" + inFile.toUtf8() + '\r',
                         "AppliedLangName=" + stored.toUtf8() + '\r');
        QCOMPARE(SettingsFile(f), expected);
        if (notice.isEmpty()) {
            QVERIFY(f.ui.messages.isEmpty());
            return;
        }
        QCOMPARE(f.ui.messages.size(), 1);
        QVERIFY2(f.ui.messages[0].text.contains(notice), qPrintable(f.ui.messages[0].text));
        QCOMPARE(int(f.ui.messages[0].style), int(vbOKOnly | vbInformation));
    }

    void defaultsButtonFillsTheBoxesOnly() {
        AppFixture f;
        QVERIFY(f.Start(QStringLiteral("English")));
        f.ctx.comm.Retry = 8;
        f.ctx.comm.TimeOut = 6;
        const QByteArray before = SettingsFile(f);
        Dialog dlg(f.ctx);
        dlg.Click("cmdSetDefault");
        QCOMPARE(dlg.retry->text(), QStringLiteral("3"));
        QCOMPARE(dlg.timeOut->text(), QStringLiteral("2"));
        QCOMPARE(f.ctx.comm.Retry, 8);
        QCOMPARE(SettingsFile(f), before);
        dlg.Click("cmdExit");
        QVERIFY(!dlg.d.isVisible());
        QCOMPARE(dlg.d.result(), int(QDialog::Rejected));
        QCOMPARE(f.ctx.comm.Retry, 8);
        QCOMPARE(f.ctx.comm.TimeOut, 6);
        QCOMPARE(SettingsFile(f), before);
    }

    void okRewritesTheWholeFileWithTheNumbersTyped() {
        AppFixture f;
        QVERIFY(f.Prepare(QStringLiteral("AUTO")));
        // Anything else in the old file disappears.
        QByteArray old = SettingsFile(f);
        old.append("[Extra]\r\nKey=Value\r\n");
        QVERIFY(TestEnv::WriteFile(f.Path(QStringLiteral("KORVA.set")), old));
        QVERIFY(Startup::StartCore(f.ctx, f.dir.path(), 1033));
        Dialog dlg(f.ctx);
        dlg.Type(dlg.retry, QStringLiteral("abc"));
        dlg.Type(dlg.timeOut, QStringLiteral("2.5"));
        dlg.Click("CmdOK");
        QVERIFY(!dlg.d.isVisible());
        QCOMPARE(dlg.d.result(), int(QDialog::Accepted));
        QCOMPARE(f.ctx.comm.Retry, 0);
        QCOMPARE(f.ctx.comm.TimeOut, 2);
        QCOMPARE(SettingsFile(f),
                 QByteArray("[Comm]\r\nTimeOut=2\r\nRetry=0\r\n\r\n[ML]\r\nAppliedLangName=AUTO\r\n"
                            "AlternateLangName=\r\nOriginalLangName =ChineseBig5\r\n"
                            "IsFormDisable= 0\r\nIsTextDisable= 0\r\n"));
        QVERIFY(f.ui.messages.isEmpty());

        // Shown again, the dialog shows what is now in use.
        dlg.d.LoadFormObj();
        QCOMPARE(dlg.retry->text(), QStringLiteral("0"));
    }

    // Numbers outside retry 0..10 and time-out 0..60 keep the dialog open with the range said.
    void rangesAreChecked_data() {
        QTest::addColumn<QString>("retry");
        QTest::addColumn<QString>("timeOut");
        QTest::addColumn<QString>("refusal"); // empty: accepted
        QTest::newRow("the ends") << "10"
                                  << "60" << QString();
        QTest::newRow("zeros") << "0"
                               << "0" << QString();
        QTest::newRow("retry 11") << "11"
                                  << "2"
                                  << "The retry count must be from 0 to 10.";
        QTest::newRow("retry 99999") << "99999"
                                     << "2"
                                     << "The retry count must be from 0 to 10.";
        QTest::newRow("retry -1") << "-1"
                                  << "2"
                                  << "The retry count must be from 0 to 10.";
        QTest::newRow("time-out 61") << "3"
                                     << "61"
                                     << "The time-out must be from 0 to 60 seconds.";
    }

    void rangesAreChecked() {
        QFETCH(QString, retry);
        QFETCH(QString, timeOut);
        QFETCH(QString, refusal);
        AppFixture f;
        QVERIFY(f.Start(QStringLiteral("English")));
        const QByteArray before = SettingsFile(f);
        Dialog dlg(f.ctx);
        dlg.Type(dlg.retry, retry);
        dlg.Type(dlg.timeOut, timeOut);
        dlg.Click("CmdOK");
        QCOMPARE(dlg.d.isVisible(), !refusal.isEmpty());
        if (refusal.isEmpty()) {
            QCOMPARE(f.ctx.comm.Retry, retry.toInt());
            QCOMPARE(f.ctx.comm.TimeOut, timeOut.toInt());
            return;
        }
        QCOMPARE(f.ui.messages.size(), 1);
        QCOMPARE(f.ui.messages[0].text, refusal);
        QCOMPARE(f.ctx.comm.Retry, 3);
        QCOMPARE(SettingsFile(f), before);
    }

    void aFileThatCannotBeWrittenIsReported() {
        AppFixture f;
        QVERIFY(f.Start(QStringLiteral("English")));
        // The settings file's place is taken by a folder: it cannot be replaced.
        QVERIFY(QFile::remove(f.Path(QStringLiteral("KORVA.set"))));
        QVERIFY(QDir(f.dir.path()).mkdir(QStringLiteral("KORVA.set")));
        Dialog dlg(f.ctx);
        dlg.Type(dlg.retry, QStringLiteral("5"));
        dlg.Click("CmdOK");
        QCOMPARE(f.ui.messages.size(), 1);
        QVERIFY(f.ui.messages[0].text.startsWith(
            QStringLiteral("The settings file could not be written!\r\n")));
        QVERIFY(f.ui.messages[0].text.contains(f.Path(QStringLiteral("KORVA.set"))));
        QCOMPARE(int(f.ui.messages[0].style), int(vbOKOnly | vbCritical));
        QCOMPARE(f.ctx.comm.Retry, 5); // in use for this run
    }
};

QTEST_MAIN(tst_frmToolsOptions)
#include "tst_frmToolsOptions.moc"
