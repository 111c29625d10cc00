// Opening every file of a fixed corpus of damaged, foreign and hostile project files: each
// opens correctly or is refused with one clear message, quickly, and no file is changed,
// added or left behind.
#include "ProjectEnv.h"
#include "db/ADOUtil.h"

#include <QDirIterator>
#include <QElapsedTimer>
#include <QtTest>

namespace {
// Every file of a folder with its bytes.
QMap<QString, QByteArray> Snapshot(const QString& dir) {
    QMap<QString, QByteArray> files;
    for (const QString& name : QDir(dir).entryList(QDir::Files | QDir::Hidden))
        files.insert(name, TestEnv::ReadFile(QDir(dir).filePath(name)));
    return files;
}
} // namespace

class TestProjectCorpus : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void everyFileOpensOrIsRefusedCleanly() {
        ProjectEnv e;
        QVERIFY(e.started);
        const QString corpus = e.tmp.filePath(QStringLiteral("corpus"));
        QProcess gen;
        gen.start(QStringLiteral("/usr/bin/python3"),
                  {TestEnv::SourceDir() + QStringLiteral("/tests/store/make_corpus.py"),
                   e.Template(), corpus, QStringLiteral("12")});
        QVERIFY(gen.waitForFinished(120000));
        QVERIFY2(gen.exitCode() == 0, gen.readAllStandardError().constData());
        const QStringList manifest =
            QString::fromUtf8(TestEnv::ReadFile(corpus + QStringLiteral("/manifest.tsv")))
                .split(u'\n', Qt::SkipEmptyParts);
        QVERIFY(manifest.size() >= 190);

        const QString refused = QStringLiteral("開啟專案失敗");
        const QMap<QString, QString> endings = {
            {QStringLiteral("damaged"), QStringLiteral("]已損毀，無法開啟；檔案未被變更。")},
            {QStringLiteral("notproject"), QStringLiteral("]不是本系統的專案檔案，無法開啟。")},
            // a database with code in its schema or an over-long value: a "not a project"
            // file that says why
            {QStringLiteral("unsupported"), QStringLiteral("為安全起見不予開啟；檔案未被變更。")}};
        QMap<QString, int> outcomes;
        for (const QString& line : manifest) {
            const QStringList cols = line.split(u'\t');
            const QString name = cols[0], expect = cols[1];
            const QString path = QDir(corpus).filePath(name);
            const auto before = Snapshot(corpus);
            e.ui.messages.clear();
            QElapsedTimer t;
            t.start();
            const bool opened = KORVAMain::OpenProject(*e.ctx, path);
            const qint64 ms = t.elapsed();
            QVERIFY2(ms < 5000, qPrintable(name + QStringLiteral(": %1 ms").arg(ms)));
            const QString said = e.ui.Texts().join(u'|');
            if (opened) {
                QVERIFY2(expect == QLatin1String("open") || expect == QLatin1String("any"),
                         qPrintable(name + u' ' + said));
                // At most the word about a model the list does not know.
                QVERIFY2(e.ui.messages.isEmpty() ||
                             (e.ui.messages.size() == 1 &&
                              e.ui.messages[0].title == QStringLiteral("未知的設備型號")),
                         qPrintable(name + u' ' + said));
                QVERIFY(e.ctx->project.RowSetsOpen());
                if (cols.value(2).size())
                    QCOMPARE(ADOUtil::GetRecordCount(e.ctx->project.Users.get()), cols[2].toInt());
                QCOMPARE(KORVAMain::CloseProject(*e.ctx), KORVAMain::kSaved);
                ++outcomes[QStringLiteral("open")];
            } else {
                QVERIFY2(expect != QLatin1String("open"), qPrintable(name + u' ' + said));
                QCOMPARE(e.ui.messages.size(), 1);
                QCOMPARE(e.ui.messages[0].title, refused);
                const QString& text = e.ui.messages[0].text;
                const QString kind = text.endsWith(endings[QStringLiteral("damaged")])
                                         ? QStringLiteral("damaged")
                                     : text.endsWith(endings[QStringLiteral("unsupported")])
                                         ? QStringLiteral("unsupported")
                                         : QStringLiteral("notproject");
                QVERIFY2(text.endsWith(endings[kind]), qPrintable(said));
                QVERIFY2(expect == QLatin1String("any") || expect == kind ||
                             (expect == QLatin1String("notproject") &&
                              kind == QLatin1String("unsupported")),
                         qPrintable(name + u' ' + said));
                ++outcomes[kind == QLatin1String("unsupported") ? QStringLiteral("notproject")
                                                                : kind];
            }
            QVERIFY(!e.ctx->project.IsOpen());
            QVERIFY2(Snapshot(corpus) == before, qPrintable(name));
        }
        // The corpus reaches every outcome.
        QCOMPARE(outcomes.keys(),
                 (QStringList{QStringLiteral("damaged"), QStringLiteral("notproject"),
                              QStringLiteral("open")}));
        qInfo() << "outcomes" << outcomes;
    }
};

QTEST_GUILESS_MAIN(TestProjectCorpus)
#include "tst_ProjectCorpus.moc"
