// Comma-separated text: quoting on write, reading back, the quoting faults, and which bytes
// are taken as UTF-8 or Big5.
#include "base/CsvUtil.h"

#include <QStringEncoder>
#include <QTest>

using CsvUtil::Records;
Q_DECLARE_METATYPE(Records)

class tst_CsvUtil : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void writeQuotesOnlyWhatMustBe_data() {
        QTest::addColumn<Records>("records");
        QTest::addColumn<QString>("text");
        QTest::newRow("plain") << Records{{"a", "b c", " d "}} << "a,b c, d \r\n";
        QTest::newRow("empty fields") << Records{{"", "", ""}, {"x"}} << ",,\r\nx\r\n";
        QTest::newRow("comma") << Records{{"a,b"}} << "\"a,b\"\r\n";
        QTest::newRow("quote") << Records{{"say \"hi\""}} << "\"say \"\"hi\"\"\"\r\n";
        QTest::newRow("line breaks") << Records{{"1\r\n2", "3\n4"}} << "\"1\r\n2\",\"3\n4\"\r\n";
        QTest::newRow("chinese") << Records{{"王小明", "+886 912"}} << "王小明,+886 912\r\n";
    }
    void writeQuotesOnlyWhatMustBe() {
        QFETCH(Records, records);
        QFETCH(QString, text);
        QCOMPARE(CsvUtil::Write(records), text);
        const CsvUtil::ParseResult back = CsvUtil::Parse(text);
        QCOMPARE(back.errorLine, 0);
        QCOMPARE(back.records, records);
    }

    void parse_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<Records>("records");
        QTest::addColumn<int>("errorLine");
        QTest::newRow("LF and no last break") << "a,b\nc,d" << Records{{"a", "b"}, {"c", "d"}} << 0;
        QTest::newRow("CR alone") << "a\rb\r" << Records{{"a"}, {"b"}} << 0;
        QTest::newRow("blank lines skipped") << "a\r\n\r\n\nb\r\n" << Records{{"a"}, {"b"}} << 0;
        QTest::newRow("trailing comma") << "a,\r\n" << Records{{"a", ""}} << 0;
        QTest::newRow("quoted empty") << "\"\"\r\n" << Records{{""}} << 0;
        QTest::newRow("quote inside unquoted") << "ok\r\na\"b\r\n" << Records{} << 2;
        QTest::newRow("text after closing quote") << "\"a\"b" << Records{} << 1;
        QTest::newRow("quote left open") << "x\n\"a\nb,c" << Records{} << 2;
        QTest::newRow("break inside quotes counts") << "\"a\nb\"\n\"c" << Records{} << 3;
    }
    void parse() {
        QFETCH(QString, text);
        QFETCH(Records, records);
        QFETCH(int, errorLine);
        const CsvUtil::ParseResult r = CsvUtil::Parse(text);
        QCOMPARE(r.errorLine, errorLine);
        if (errorLine == 0) QCOMPARE(r.records, records);
    }

    void decode_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("encoding");
        const QString chinese = QStringLiteral("連絡人,電話");
        QStringEncoder big5("Big5");
        QTest::newRow("UTF-8 with mark")
            << CsvUtil::FileBytes(chinese) << true << chinese << "UTF-8";
        QTest::newRow("UTF-8 without") << chinese.toUtf8() << true << chinese << "UTF-8";
        QTest::newRow("Big5") << QByteArray(big5.encode(chinese)) << true << chinese << "Big5";
        QTest::newRow("neither") << QByteArray("\xFF\xFE\xFF\x80", 4) << false << ""
                                 << "";
    }
    void decode() {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, ok);
        QFETCH(QString, text);
        QFETCH(QString, encoding);
        QString got;
        QString enc;
        QCOMPARE(CsvUtil::Decode(bytes, got, &enc), ok);
        if (!ok) return;
        QCOMPARE(got, text);
        QCOMPARE(enc, encoding);
    }
};

QTEST_GUILESS_MAIN(tst_CsvUtil)
#include "tst_CsvUtil.moc"
