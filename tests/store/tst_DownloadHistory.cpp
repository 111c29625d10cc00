// The download history file: rows as written and read back, filters, newest first, the
// started row of an attempt that never ended, files that cannot be used, writers at once.
#include "store/DownloadHistory.h"
#include "support/TestEnv.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <thread>

namespace {
DownloadAttempt Attempt(const QString& serial, const QString& project) {
    DownloadAttempt a;
    a.started = QDateTime::currentDateTime();
    a.serialNo = serial;
    a.modelName = QStringLiteral("VX700-RV27MS");
    a.typeCode = QStringLiteral("RV27MS");
    a.port = QStringLiteral("/dev/ttyUSB0");
    a.projectPath = project;
    a.projectName = QStringLiteral("Site");
    a.image = QByteArray::fromHex("f750430108000104013039313200");
    a.imageSha256 = DownloadHistory::ImageHash(a.image);
    a.phoneBookTotal = 1;
    a.content = "{}";
    return a;
}

// Begin and Finish with the given outcome; the id of the row.
qint64 Record(const QString& path, DownloadAttempt a, const QString& outcome) {
    if (!DownloadHistory::Begin(path, a, nullptr)) return 0;
    a.outcome = outcome;
    a.ended = QDateTime::currentDateTime();
    return DownloadHistory::Finish(path, a, nullptr) ? a.id : 0;
}

int Count(const QString& path) {
    QVector<DownloadAttempt> rows;
    return DownloadHistory::Query(path, {}, rows, nullptr) ? int(rows.size()) : -1;
}
} // namespace

class tst_DownloadHistory : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString Path(const QString& name) const { return m_dir.filePath(name); }

private Q_SLOTS:
    void hashAndRecords() {
        // The standard SHA-256 test vector.
        QCOMPARE(
            DownloadHistory::ImageHash("abc"),
            QStringLiteral("ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"));
        const QByteArray one = QByteArray::fromHex("f75043010600010201 3132");
        const QByteArray two = QByteArray::fromHex("f75053410540020100 41");
        QCOMPARE(DownloadHistory::SplitRecords(one + two), (QVector<QByteArray>{one, two}));
        QVERIFY(DownloadHistory::SplitRecords(one.left(5)).isEmpty());
    }

    // A started row stays when the program is gone before the end (nothing finishes it);
    // the end replaces it whole.
    void startedThenFinished() {
        const QString path = Path(QStringLiteral("rows/history.sqlite")); // folder made
        DownloadAttempt a =
            Attempt(QStringLiteral("12-09-2143-785634-12"), QStringLiteral("/p/Site.cmb"));
        QString why;
        QVERIFY2(DownloadHistory::Begin(path, a, &why), qPrintable(why));
        QVERIFY(a.id > 0);
        QVector<DownloadAttempt> rows;
        QVERIFY(DownloadHistory::Query(path, {}, rows, nullptr));
        QCOMPARE(rows.size(), 1);
        QCOMPARE(rows[0].outcome, DownloadHistory::kStarted);
        QVERIFY(!rows[0].ended.isValid());

        a.outcome = DownloadHistory::kIncomplete;
        a.clearsDone = 2;
        a.phoneBookSent = 1;
        a.ended = a.started.addSecs(3);
        QVERIFY(DownloadHistory::Finish(path, a, &why));
        QVERIFY(DownloadHistory::Query(path, {}, rows, nullptr));
        QCOMPARE(rows.size(), 1);
        const DownloadAttempt& r = rows[0];
        QCOMPARE(r.outcome, DownloadHistory::kIncomplete);
        QCOMPARE(r.clearsDone, 2);
        QCOMPARE(r.phoneBookSent, 1);
        QCOMPARE(r.ended.toSecsSinceEpoch() - r.started.toSecsSinceEpoch(), 3);
        QCOMPARE(r.image, a.image);
        QCOMPARE(r.imageSha256, a.imageSha256);
        QCOMPARE(r.serialNo, a.serialNo);
        QCOMPARE(r.modelName, a.modelName);
        QCOMPARE(r.typeCode, a.typeCode);
        QCOMPARE(r.port, a.port);
        QCOMPARE(r.projectPath, a.projectPath);
        QVERIFY(r.HalfProgrammed());
    }

    // One writer for an attempt: its started row is seen by another program while the file
    // is still held (nothing waits for a close or a checkpoint), its end replaces that row,
    // and a file that could not be opened at the start is opened again for the end.
    void writerHoldsTheFile() {
        const QString path = Path(QStringLiteral("held/history.sqlite"));
        QVERIFY(TestEnv::WriteFile(Path(QStringLiteral("held")), "a file in the way"));
        DownloadHistory::Writer writer(path);
        DownloadAttempt a = Attempt(QStringLiteral("SN-H"), QStringLiteral("/h.cmb"));
        QString why;
        QVERIFY(!writer.Begin(a, &why));
        QVERIFY(QFile::remove(Path(QStringLiteral("held"))));
        QVERIFY2(writer.Begin(a, &why), qPrintable(why));
        QProcess reader;
        reader.start(QStringLiteral("/usr/bin/python3"),
                     {QStringLiteral("-c"),
                      QStringLiteral("import sqlite3,sys\n"
                                     "c=sqlite3.connect('file:'+sys.argv[1]+'?mode=ro',uri=True)\n"
                                     "print(c.execute('SELECT SerialNo,Outcome FROM Attempts')"
                                     ".fetchall())\n"),
                      path});
        QVERIFY(reader.waitForFinished(10000));
        QCOMPARE(reader.readAllStandardOutput().trimmed(), QByteArray("[('SN-H', 'started')]"));
        a.outcome = DownloadHistory::kFailed;
        QVERIFY2(writer.Finish(a, &why), qPrintable(why));
        QVector<DownloadAttempt> rows;
        QVERIFY(DownloadHistory::Query(path, {}, rows, nullptr));
        QCOMPARE(rows.size(), 1);
        QCOMPARE(rows[0].outcome, DownloadHistory::kFailed);
    }

    // Newest first, narrowed by dialer and project; the last attempt that changed a dialer.
    void filtersAndLast() {
        const QString path = Path(QStringLiteral("filters.sqlite"));
        const QString sn1 = QStringLiteral("SN-1"), sn2 = QStringLiteral("SN-2");
        const qint64 first = Record(path, Attempt(sn1, "/a.cmb"), DownloadHistory::kSucceeded);
        const qint64 second = Record(path, Attempt(sn1, "/b.cmb"), DownloadHistory::kIncomplete);
        Record(path, Attempt(sn1, "/a.cmb"), DownloadHistory::kFailed);
        Record(path, Attempt(sn2, "/a.cmb"), DownloadHistory::kSucceeded);
        QVERIFY(first > 0 && second > first);
        QVector<DownloadAttempt> rows;
        DownloadHistory::Filter f;
        f.serialNo = sn1;
        QVERIFY(DownloadHistory::Query(path, f, rows, nullptr));
        QCOMPARE(rows.size(), 3);
        QVERIFY(rows[0].id > rows[1].id && rows[1].id > rows[2].id);
        f.projectPath = QStringLiteral("/a.cmb");
        QVERIFY(DownloadHistory::Query(path, f, rows, nullptr));
        QCOMPARE(rows.size(), 2);
        // A failure before the clear changed nothing: the incomplete one is the last.
        const auto last = DownloadHistory::LastReached(path, sn1);
        QVERIFY(last);
        QCOMPARE(last->id, second);
        QVERIFY(!DownloadHistory::LastReached(path, QStringLiteral("SN-3")));
        QVERIFY(!DownloadHistory::LastReached(path, QString()));
    }

    void unusable_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content"); // of the file at name; null: none
        QTest::addColumn<bool>("readable");      // an empty history, not an error
        QTest::newRow("folder under a plain file") << "plain/h.sqlite" << QByteArray() << true;
        QTest::newRow("not a database") << "text.sqlite" << QByteArray(4096, 'x') << false;
    }
    void unusable() {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        QFETCH(bool, readable);
        QVERIFY(TestEnv::WriteFile(Path(QStringLiteral("plain")), "a file"));
        if (!content.isNull()) QVERIFY(TestEnv::WriteFile(Path(name), content));
        DownloadAttempt a = Attempt(QStringLiteral("SN"), QStringLiteral("/a.cmb"));
        QString why;
        QVERIFY(!DownloadHistory::Begin(Path(name), a, &why));
        QVERIFY(!why.isEmpty());
        why.clear();
        QVERIFY(!DownloadHistory::Finish(Path(name), a, &why));
        QVERIFY(!why.isEmpty());
        QVector<DownloadAttempt> rows;
        QCOMPARE(DownloadHistory::Query(Path(name), {}, rows, nullptr), readable);
        QVERIFY(rows.isEmpty());
    }

    // Two writers of this process and another program holding the write lock for a while:
    // each waits its turn, no row is lost.
    void writersAtOnce() {
        const QString path = Path(QStringLiteral("busy.sqlite"));
        QVERIFY(Record(path, Attempt("SN-0", "/x.cmb"), DownloadHistory::kSucceeded) > 0);
        QProcess holder;
        holder.start(
            QStringLiteral("/usr/bin/python3"),
            {QStringLiteral("-c"),
             QStringLiteral("import sqlite3,sys,time\n"
                            "c=sqlite3.connect(sys.argv[1],isolation_level=None)\n"
                            "c.execute('BEGIN IMMEDIATE')\n"
                            "c.execute(\"INSERT INTO Attempts(Outcome) VALUES('other')\")\n"
                            "print('held',flush=True)\n"
                            "time.sleep(1.5)\n"
                            "c.execute('COMMIT')\n"),
             path});
        QByteArray said;
        while (!said.endsWith('\n') && holder.waitForReadyRead(10000))
            said += holder.readAllStandardOutput();
        QCOMPARE(said, QByteArray("held\n"));
        constexpr int kEach = 25;
        int written[2] = {0, 0};
        auto writer = [&](int w) {
            for (int i = 0; i < kEach; ++i)
                if (Record(path, Attempt(QStringLiteral("SN-%1").arg(w), "/x.cmb"),
                           DownloadHistory::kSucceeded) > 0)
                    ++written[w];
        };
        std::thread a(writer, 0), b(writer, 1);
        a.join();
        b.join();
        QVERIFY(holder.waitForFinished(10000));
        QCOMPARE(holder.exitCode(), 0);
        QCOMPARE(written[0], kEach);
        QCOMPARE(written[1], kEach);
        QCOMPARE(Count(path), 1 + 2 * kEach + 1);
    }
};

QTEST_GUILESS_MAIN(tst_DownloadHistory)
#include "tst_DownloadHistory.moc"
