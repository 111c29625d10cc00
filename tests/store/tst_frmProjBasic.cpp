// The project basic-information dialog on a real project: what it shows, what OK writes,
// what Cancel leaves, and its texts in both languages.
#include "ProjectEnv.h"
#include "db/ADOUtil.h"
#include "ml/QtFormTexts.h"
#include "store/frmProjBasic.h"

#include <QCheckBox>
#include <QDate>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QTabWidget>
#include <QtTest>

namespace {
const QString kSetup =
    QStringLiteral("UPDATE Basic SET CreatedBy='Mary', ProjectDsc='first floor', IsUnicode=1, "
                   "CreatedDate='2020-01-02', ModifiedDate=NULL");

QString Stored(ProjectEnv& e, const char* field) {
    return ProjectEnv::Sql3(e.ctx->project.MirPath,
                            QStringLiteral("SELECT %1 FROM Basic").arg(QLatin1String(field)));
}

template <typename T> T* Child(QWidget& w, const char* name) {
    T* c = w.findChild<T*>(QLatin1String(name));
    if (!c) qFatal("no control %s", name);
    return c;
}
} // namespace

class TestFrmProjBasic : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void showsTheBasicRow() {
        ProjectEnv e;
        QVERIFY(e.Open(e.MakeProject(QStringLiteral("P.cmb"), kSetup)));
        frmProjBasic dlg(*e.ctx);
        dlg.LoadFormObj();
        QCOMPARE(Child<QLineEdit>(dlg, "txtPorjName")->text(), QStringLiteral("Mary"));
        QCOMPARE(Child<QLineEdit>(dlg, "txtProjDsc")->text(), QStringLiteral("first floor"));
        QVERIFY(Child<QCheckBox>(dlg, "chkIsUnicode")->isChecked());
        const QString shown = Child<QLabel>(dlg, "lblCreatedDate")->text();
        QCOMPARE(shown, QLocale::system().toString(QDate(2020, 1, 2), QLocale::ShortFormat));
        QVERIFY(shown.contains(QLatin1String("20")));
        QCOMPARE(Child<QLabel>(dlg, "lblModifiedDate")->text(), QString()); // no date
        QCOMPARE(dlg.windowTitle(), QStringLiteral("專案基本資料"));
        QCOMPARE(Child<QLabel>(dlg, "Label1")->text(), QStringLiteral("專案建立者:"));
    }

    void okWithEmptyCreatorKeepsItAndStoresEmptyDescription() {
        ProjectEnv e;
        QVERIFY(e.Open(e.MakeProject(QStringLiteral("P.cmb"), kSetup)));
        frmProjBasic dlg(*e.ctx);
        dlg.LoadFormObj();
        Child<QLineEdit>(dlg, "txtPorjName")->clear();
        Child<QLineEdit>(dlg, "txtProjDsc")->clear();
        Child<QCheckBox>(dlg, "chkIsUnicode")->setChecked(false);
        Child<QPushButton>(dlg, "CmdOK")->click();
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QCOMPARE(Stored(e, "CreatedBy"), QStringLiteral("Mary"));
        QCOMPARE(Stored(e, "ProjectDsc IS NOT NULL AND ProjectDsc=''"), QStringLiteral("1"));
        QCOMPARE(Stored(e, "IsUnicode"), QStringLiteral("0"));
        QVERIFY(e.ctx->project.IsModified);

        // A new creator is written.
        dlg.LoadFormObj();
        QCOMPARE(Child<QLineEdit>(dlg, "txtPorjName")->text(), QStringLiteral("Mary"));
        Child<QLineEdit>(dlg, "txtPorjName")->setText(QStringLiteral("Lee"));
        Child<QPushButton>(dlg, "CmdOK")->click();
        QCOMPARE(Stored(e, "CreatedBy"), QStringLiteral("Lee"));
    }

    void okWithoutChangesStampsTodayAndMarksModified() {
        ProjectEnv e;
        QVERIFY(e.Open(e.MakeProject(QStringLiteral("P.cmb"), kSetup)));
        QVERIFY(!e.ctx->project.IsModified);
        frmProjBasic dlg(*e.ctx);
        dlg.LoadFormObj();
        Child<QPushButton>(dlg, "CmdOK")->click();
        QCOMPARE(Stored(e, "ModifiedDate"), QDate::currentDate().toString(Qt::ISODate));
        QCOMPARE(Stored(e, "CreatedBy || ProjectDsc || IsUnicode || CreatedDate"),
                 QStringLiteral("Maryfirst floor12020-01-02"));
        QVERIFY(e.ctx->project.IsModified);
        dlg.LoadFormObj();
        QCOMPARE(Child<QLabel>(dlg, "lblModifiedDate")->text(),
                 QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat));
    }

    void cancelAfterEditingChangesNothing() {
        ProjectEnv e;
        QVERIFY(e.Open(e.MakeProject(QStringLiteral("P.cmb"), kSetup)));
        const QString before =
            Stored(e, "quote(CreatedBy)||quote(ProjectDsc)||IsUnicode||quote(ModifiedDate)");
        frmProjBasic dlg(*e.ctx);
        dlg.LoadFormObj();
        Child<QLineEdit>(dlg, "txtPorjName")->setText(QStringLiteral("Someone"));
        Child<QLineEdit>(dlg, "txtProjDsc")->setText(QStringLiteral("else"));
        Child<QCheckBox>(dlg, "chkIsUnicode")->setChecked(false);
        Child<QPushButton>(dlg, "CmdCancel")->click();
        QCOMPARE(dlg.result(), int(QDialog::Rejected));
        QCOMPARE(Stored(e, "quote(CreatedBy)||quote(ProjectDsc)||IsUnicode||quote(ModifiedDate)"),
                 before);
        QVERIFY(!e.ctx->project.IsModified);
        // Opened again, it shows the row, not the cancelled edit.
        dlg.LoadFormObj();
        QCOMPARE(Child<QLineEdit>(dlg, "txtPorjName")->text(), QStringLiteral("Mary"));
        QVERIFY(Child<QCheckBox>(dlg, "chkIsUnicode")->isChecked());
    }

    // Changing the Unicode flag checks every zone against the new rule; one message lists the
    // zones that no longer fit, Yes keeps the change, No puts the box back.
    void unicodeSwitchListsZonesThatNoLongerFit_data() {
        QTest::addColumn<int>("stored");
        QTest::addColumn<bool>("ticked");
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("listed"); // empty: no message
        QTest::addColumn<int>("result");     // the flag stored afterwards, -1: dialog stays open
        const QString both = QStringLiteral("警報點3: 警報發起訊息\r\n警報點5: 警報復歸訊息");
        QTest::newRow("on, kept") << 0 << true << int(vbYes) << both << 1;
        QTest::newRow("on, reverted") << 0 << true << int(vbNo) << both << -1;
        QTest::newRow("off, too long either way")
            << 1 << false << int(vbYes) << QStringLiteral("警報點4: 警報發起訊息、警報復歸訊息")
            << 0;
        QTest::newRow("unchanged") << 1 << true << int(vbYes) << QString() << 1;
    }

    void unicodeSwitchListsZonesThatNoLongerFit() {
        QFETCH(int, stored);
        QFETCH(bool, ticked);
        QFETCH(int, answer);
        QFETCH(QString, listed);
        QFETCH(int, result);
        ProjectEnv e;
        const QString c80(80, u'簡'), x200(200, u'x');
        QVERIFY(e.Open(e.MakeProject(
            QStringLiteral("P.cmb"),
            QStringLiteral("UPDATE Basic SET IsUnicode=%1;"
                           "UPDATE Zones SET AlarmSMS='%2' WHERE ZoneNo=3;"
                           "UPDATE Zones SET ResetSMS='%2' WHERE ZoneNo=5;"
                           "UPDATE Zones SET AlarmSMS='%3', ResetSMS='%3' WHERE ZoneNo=4;")
                .arg(stored)
                .arg(stored ? QString() : c80, stored ? x200 : QString()))));
        e.ui.answers.enqueue(MsgResult(answer));
        frmProjBasic dlg(*e.ctx);
        dlg.LoadFormObj();
        dlg.show();
        Child<QCheckBox>(dlg, "chkIsUnicode")->setChecked(ticked);
        QTest::mouseClick(Child<QPushButton>(dlg, "CmdOK"), Qt::LeftButton);
        if (listed.isEmpty()) {
            QVERIFY(e.ui.messages.isEmpty());
        } else {
            QCOMPARE(e.ui.messages.size(), 1);
            QVERIFY2(e.ui.messages[0].text.contains(QStringLiteral(":\r\n") + listed +
                                                    QStringLiteral("\r\n\r\n")),
                     qPrintable(e.ui.messages[0].text));
            QCOMPARE(e.ui.messages[0].style, vbYesNo | vbExclamation);
        }
        QCOMPARE(dlg.isVisible(), result < 0);
        if (result < 0) {
            QCOMPARE(Child<QCheckBox>(dlg, "chkIsUnicode")->isChecked(), bool(stored));
            QCOMPARE(Stored(e, "IsUnicode"), QString::number(stored));
        } else {
            QCOMPARE(Stored(e, "IsUnicode"), QString::number(result));
        }
    }

    void textsResolveInEnglish() {
        ProjectEnv e(1033);
        QVERIFY(e.Open(e.MakeProject(QStringLiteral("P.cmb"), kSetup)));
        frmProjBasic dlg(*e.ctx);
        QCOMPARE(QtFormTexts::Apply(&dlg, e.ctx->ml, QStringLiteral("frmProjBasic")),
                 QStringList());
        QCOMPARE(dlg.windowTitle(), QStringLiteral("Project Information"));
        QCOMPARE(Child<QLabel>(dlg, "Label1")->text(), QStringLiteral("Created by:"));
        QCOMPARE(Child<QLabel>(dlg, "Label3")->text(), QStringLiteral("Modified on:"));
        QCOMPARE(Child<QCheckBox>(dlg, "chkIsUnicode")->text(),
                 QStringLiteral("All messages in Unicode"));
        QCOMPARE(Child<QTabWidget>(dlg, "SSTab1")->tabText(0), QStringLiteral("General"));
        QCOMPARE(Child<QPushButton>(dlg, "CmdCancel")->text(), QStringLiteral("Cancel"));
        dlg.LoadFormObj();
        QCOMPARE(Child<QLineEdit>(dlg, "txtPorjName")->text(), QStringLiteral("Mary"));
    }
};

QTEST_MAIN(TestFrmProjBasic)
#include "tst_frmProjBasic.moc"
