// An installed program folder: the person's own copy of its data, taken once, renewed when
// the package brings a newer text database, template or system database, while the
// person's settings and recent files stay theirs.
#include "ProjectEnv.h"
#include "app/UserFolder.h"

#include <QtTest>

namespace {
QString Sql3(const QString& db, const QString& sql) {
    return ProjectEnv::Sql3(db, sql);
}
} // namespace

class TestUserFolder : public QObject {
    Q_OBJECT
    QTemporaryDir m_tmp;
    QString m_installed;
    QString m_user;

    QString In(const QString& folder, const char* name) const {
        return QDir(folder).filePath(QLatin1String(name));
    }

private Q_SLOTS:
    void init() {
        m_installed = m_tmp.filePath(QStringLiteral("opt/bin"));
        m_user = m_tmp.filePath(QStringLiteral("home/KORVA/bin"));
        QDir(m_tmp.filePath(QStringLiteral("home"))).removeRecursively();
        QDir().mkpath(m_installed);
        QVERIFY(TestEnv::CopyProgramFolder(m_installed));
        QVERIFY(TestEnv::WriteFile(In(m_installed, "korva-installed"), "installed\n"));
    }

    void renewsWhatThePackageChanged_data() {
        QTest::addColumn<QString>("changed");
        QTest::addColumn<QString>("sql"); // the package's change; empty: a line of text
        QTest::newRow("nothing") << QString() << QString();
        QTest::newRow("text database") << "KORVA.ml"
                                       << "CREATE TABLE Newer(x)";
        QTest::newRow("template") << "RV27.mdb"
                                  << "CREATE TABLE Newer(x)";
        QTest::newRow("system database") << "KORVA.sdb"
                                         << "CREATE TABLE Newer(x)";
        QTest::newRow("settings file") << "KORVA.set" << QString();
    }
    void renewsWhatThePackageChanged() {
        QFETCH(QString, changed);
        QFETCH(QString, sql);
        QString why;
        QVERIFY2(UserFolder::Prepare(m_installed, m_user, &why), qPrintable(why));
        for (const QString& name : UserFolder::DataFiles())
            QCOMPARE(TestEnv::ReadFile(QDir(m_user).filePath(name)),
                     TestEnv::ReadFile(QDir(m_installed).filePath(name)));
        QVERIFY(QFileInfo(m_tmp.filePath(QStringLiteral("home/KORVA/Project"))).isDir());

        // The person works: settings and recent files of their own.
        QFile set(In(m_user, "KORVA.set"));
        QVERIFY(set.open(QIODevice::Append));
        set.write("; mine\r\n");
        set.close();
        QVERIFY(TestEnv::ExecSql(In(m_user, "KORVA.sdb"),
                                 "INSERT INTO MRUList (FilePath) VALUES ('/p/Site.cmb')"));
        const QByteArray mySettings = TestEnv::ReadFile(In(m_user, "KORVA.set"));

        // A newer package, then the next start.
        const QString packaged = QDir(m_installed).filePath(changed);
        if (!sql.isEmpty())
            QVERIFY(TestEnv::ExecSql(packaged, sql));
        else if (!changed.isEmpty())
            QVERIFY(TestEnv::WriteFile(packaged, TestEnv::ReadFile(packaged) + "; newer\r\n"));
        QVERIFY2(UserFolder::Prepare(m_installed, m_user, &why), qPrintable(why));

        QCOMPARE(TestEnv::ReadFile(In(m_user, "KORVA.set")), mySettings);
        QCOMPARE(Sql3(In(m_user, "KORVA.sdb"), "SELECT group_concat(FilePath) FROM MRUList"),
                 QStringLiteral("/p/Site.cmb"));
        for (const char* name : {"KORVA.ml", "RV27.mdb", "KORVA.sdb"})
            QCOMPARE(
                Sql3(In(m_user, name), "SELECT count(*) FROM sqlite_master WHERE name='Newer'"),
                QString::fromLatin1(changed == QLatin1String(name) ? "1" : "0"));
        QVERIFY(!QFileInfo::exists(In(m_user, "KORVA.sdb.new")));
    }

    void choosesTheFolderToRunFrom() {
        ScriptedUi ui;
        MLState ml;
        const QString cwd = QDir::currentPath();
        // Portable: the folder itself, nothing copied.
        const QString portable = m_tmp.filePath(QStringLiteral("portable"));
        QDir().mkpath(portable);
        QVERIFY(!UserFolder::IsInstalled(portable));
        QCOMPARE(UserFolder::ChooseProgramFolder(ui, ml, portable, m_user), portable);
        QVERIFY(!QFileInfo::exists(m_user));
        // Installed: the person's copy, which becomes the current directory.
        QVERIFY(UserFolder::IsInstalled(m_installed));
        QCOMPARE(UserFolder::ChooseProgramFolder(ui, ml, m_installed, m_user),
                 QDir(m_user).absolutePath());
        QCOMPARE(QDir::currentPath(), QDir(m_user).absolutePath());
        QDir::setCurrent(cwd);
        QVERIFY(ui.messages.isEmpty());
        // A folder that cannot be made: one message naming it, and no folder to run from.
        const QString blocked = m_tmp.filePath(QStringLiteral("file/KORVA/bin"));
        QVERIFY(TestEnv::WriteFile(m_tmp.filePath(QStringLiteral("file")), "x"));
        QVERIFY(UserFolder::ChooseProgramFolder(ui, ml, m_installed, blocked).isEmpty());
        QCOMPARE(ui.messages.size(), 1);
        QVERIFY(ui.messages[0].text.contains(QDir::toNativeSeparators(blocked)));
        QCOMPARE(QDir::currentPath(), cwd);
    }
};

QTEST_GUILESS_MAIN(TestUserFolder)
#include "tst_UserFolder.moc"
