// Text lookup: language resolution, loading and fallbacks.
#include "ScriptedUi.h"
#include "TestEnv.h"
#include "ml/MLUtil.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace MLUtil;

class TestMLUtil : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString m_set, m_db;

    void WriteSettings(const QByteArray& applied, const QByteArray& alternate = "") {
        QVERIFY(TestEnv::WriteFile(m_set, "[ML]\r\nAppliedLangName=" + applied +
                                              "\r\nAlternateLangName=" + alternate +
                                              "\r\nOriginalLangName =ChineseBig5\r\n"));
    }

private Q_SLOTS:
    void init() {
        m_set = m_dir.filePath(QStringLiteral("KORVA.set"));
        m_db = m_dir.filePath(QStringLiteral("KORVA.ml"));
        QFile::remove(m_db);
        QVERIFY(TestEnv::ExecSql(
            m_db,
            QStringLiteral(
                "CREATE TABLE Text (ModuleName TEXT, ID SMALLINT, Seq SMALLINT, IsDisable BOOLEAN, "
                "  ChineseBig5 TEXT, ChineseGB TEXT, English TEXT, French TEXT);"
                "CREATE TABLE Form (FormName TEXT, Objectpath TEXT, PropertyName TEXT, ChineseBig5 "
                "TEXT, "
                "  ChineseGB TEXT, English TEXT, French TEXT);"
                "INSERT INTO Text VALUES ('KORVAMain',1,1,0,'開啟','开启','Open',NULL),"
                "  ('KORVAMain',1,2,1,'關閉','关闭','Close',NULL)," // switched off
                "  ('KORVAMain',2,1,0,'空白',NULL,'',NULL),"        // no applied text
                "  (' Main ',5,1,0,'主','主','Main window',NULL),"
                "  ('O''Brien',7,1,0,'引號','引号','Quote',NULL),"
                "  ('KORVAMain',3,1,0,'是','是','Yes',NULL),"
                "  ('KORVAMain',3,1,1,'對','对','yes',NULL);"
                "INSERT INTO Form VALUES ('frmA','','Caption','選項','选项','Options','Choix'),"
                "  ('frmA','Label1','Caption','標籤',NULL,NULL,'Etiquette'),"
                "  ('frmA','Label2','Caption','只有中文',NULL,NULL,NULL),"
                "  ('frm''Q','x','Text','引號',NULL,'Quoted',NULL);")));
    }

    void localeResolution() {
        QCOMPARE(LocaleIdOf(QLocale(QLocale::Chinese, QLocale::Taiwan)), kLcidTraditional);
        QCOMPARE(LocaleIdOf(QLocale(QLocale::Chinese, QLocale::HongKong)), kLcidTraditional);
        QCOMPARE(LocaleIdOf(QLocale(QLocale::Chinese, QLocale::China)), kLcidSimplified);
        QCOMPARE(LocaleIdOf(QLocale(QLocale::English, QLocale::UnitedStates)), kLcidEnglish);
        QCOMPARE(LocaleIdOf(QLocale(QLocale::German, QLocale::Germany)), kLcidEnglish);
        QCOMPARE(ResolveLanguage(QStringLiteral("auto"), 1028), QStringLiteral("ChineseBig5"));
        QCOMPARE(ResolveLanguage(QStringLiteral("AuTo"), 2052), QStringLiteral("ChineseGB"));
        QCOMPARE(ResolveLanguage(QString(), 1033), QStringLiteral("English"));
        QCOMPARE(ResolveLanguage(QStringLiteral("French"), 1028), QStringLiteral("French"));
    }

    void messagesInAppliedLanguage() {
        WriteSettings("English");
        ScriptedUi ui;
        MLState ml;
        QVERIFY(MLInit(ml, ui, m_set, m_db, kLcidTraditional));
        QCOMPARE(ml.AppliedLangName, QStringLiteral("English"));
        QCOMPARE(GetMLText(ml, QStringLiteral("開啟"), 1, 1, QStringLiteral("KORVAMain")),
                 QStringLiteral("Open"));
        // A switched-off row never replaces its message; an empty applied text neither.
        QCOMPARE(GetMLText(ml, QStringLiteral("關閉"), 2, 1, QStringLiteral("KORVAMain")),
                 QStringLiteral("關閉"));
        QCOMPARE(GetMLText(ml, QStringLiteral("空白"), 1, 2, QStringLiteral("KORVAMain")),
                 QStringLiteral("空白"));
        // A module name stored with spaces is looked up trimmed and so finds no rows.
        QCOMPARE(GetMLText(ml, QStringLiteral("主"), 1, 5, QStringLiteral("Main")),
                 QStringLiteral("主"));
        QCOMPARE(GetMLText(ml, QStringLiteral("主"), 1, 5, QStringLiteral(" Main ")),
                 QStringLiteral("主"));
        // Module keys match exactly.
        QCOMPARE(GetMLText(ml, QStringLiteral("開啟"), 1, 1, QStringLiteral("korvamain")),
                 QStringLiteral("開啟"));
        // A quote in a module or window name neither fails nor changes the query.
        QCOMPARE(GetMLText(ml, QStringLiteral("引號"), 1, 7, QStringLiteral("O'Brien")),
                 QStringLiteral("Quote"));
        QCOMPARE(
            GetFormText(ml, QStringLiteral("frm'Q"), QStringLiteral("x"), QStringLiteral("Text")),
            QStringLiteral("Quoted"));
        QVERIFY(ui.messages.isEmpty());
    }

    void formTextFallbacks() {
        WriteSettings("English", "French");
        ScriptedUi ui;
        MLState ml;
        QVERIFY(MLInit(ml, ui, m_set, m_db, kLcidEnglish));
        const QString f = QStringLiteral("frmA"), cap = QStringLiteral("Caption");
        QCOMPARE(GetFormText(ml, f, QString(), cap), QStringLiteral("Options"));
        QCOMPARE(GetFormText(ml, f, QStringLiteral("Label1"), cap),
                 QStringLiteral("Etiquette")); // alternate
        QCOMPARE(GetFormText(ml, f, QStringLiteral("Label2"), cap),
                 QStringLiteral("只有中文"));                                   // original
        QCOMPARE(GetFormText(ml, f, QStringLiteral("Label9"), cap), QString()); // missing
        QCOMPARE(GetFormText(ml, QStringLiteral("frmNone"), QString(), cap), QString());
    }

    void sameLanguageKeepsBuiltInMessages() {
        WriteSettings("AUTO");
        ScriptedUi ui;
        MLState ml;
        QVERIFY(MLInit(ml, ui, m_set, m_db, kLcidTraditional));
        QCOMPARE(ml.AppliedLang, QStringLiteral("ChineseBig5"));
        QCOMPARE(ml.AppliedLangName, QStringLiteral("AUTO"));
        QVERIFY(ml.modules.isEmpty());
        QCOMPARE(GetMLText(ml, QStringLiteral("程式內文字"), 1, 1, QStringLiteral("KORVAMain")),
                 QStringLiteral("程式內文字"));
        // Window texts still come from the table, in the original column.
        QCOMPARE(GetFormText(ml, QStringLiteral("frmA"), QString(), QStringLiteral("Caption")),
                 QStringLiteral("選項"));
    }

    // Every row of a text, switched off or not, in the table's order, each text once.
    void textsInEveryLanguage_data() {
        QTest::addColumn<QString>("module");
        QTest::addColumn<int>("id");
        QTest::addColumn<QStringList>("texts");
        QTest::newRow("one row") << "KORVAMain" << 1 << QStringList{"開啟", "开启", "Open"};
        QTest::newRow("two rows") << "KORVAMain" << 3
                                  << QStringList{"是", "Yes", "對", "对", "yes"};
        QTest::newRow("module in another case") << "korvamain" << 3 << QStringList{};
        QTest::newRow("no such text") << "KORVAMain" << 9 << QStringList{};
    }
    void textsInEveryLanguage() {
        QFETCH(QString, module);
        QFETCH(int, id);
        QFETCH(QStringList, texts);
        WriteSettings("English");
        ScriptedUi ui;
        MLState ml;
        QVERIFY(MLInit(ml, ui, m_set, m_db, kLcidEnglish));
        QCOMPARE(TextsInEveryLanguage(ml, 1, id, module), texts);
        QCOMPARE(TextsInEveryLanguage(ml, 1, id, module), texts); // from what was read
        MLClose(ml);
        QVERIFY(TextsInEveryLanguage(ml, 1, id, module).isEmpty());
    }

    void missingFiles() {
        ScriptedUi ui;
        MLState ml;
        const QString noSet = m_dir.filePath(QStringLiteral("none.set"));
        QVERIFY(!MLInit(ml, ui, noSet, m_db, kLcidEnglish));
        QCOMPARE(ui.messages.size(), 1);
        QCOMPARE(ui.messages[0].text, QStringLiteral("ML system failed!\r\nFile [") + noSet +
                                          QStringLiteral("] not exist."));
        QCOMPARE(ui.messages[0].title, QStringLiteral("ML system failed"));

        WriteSettings("English");
        const QString noDb = m_dir.filePath(QStringLiteral("none.ml"));
        QVERIFY(!MLInit(ml, ui, m_set, noDb, kLcidEnglish));
        QCOMPARE(ui.messages.size(), 2);
        QCOMPARE(ui.messages[1].text, QStringLiteral("ML System Error! \r\nFile [") + noDb +
                                          QStringLiteral("] not found."));
        QCOMPARE(ui.messages[1].title, QStringLiteral("ML System Error"));
        QCOMPARE(int(ui.messages[1].style), int(vbOKOnly | vbCritical));
    }

    void textDatabaseThatIsNotOne() {
        WriteSettings("English");
        QVERIFY(TestEnv::WriteFile(m_db, "not a database"));
        ScriptedUi ui;
        MLState ml;
        MLInit(ml, ui, m_set, m_db, kLcidEnglish); // the engine's failure boxes, then no texts
        QCOMPARE(GetMLText(ml, QStringLiteral("預設"), 1, 1, QStringLiteral("KORVAMain")),
                 QStringLiteral("預設"));
        QVERIFY(ml.forms.isEmpty());
        MLClose(ml);
        QVERIFY(!ml.conn);
    }
};

QTEST_GUILESS_MAIN(TestMLUtil)
#include "tst_MLUtil.moc"
