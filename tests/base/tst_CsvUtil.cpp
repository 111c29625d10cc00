// Comma-separated text: quoting on write, reading back, the quoting faults, and which bytes
// are taken as UTF-8 or Big5.
#include "base/CsvUtil.h"

#include <QStringEncoder>
#include <QTest>
#include <cctype>

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
        QTest::newRow("lone CR") << Records{{"a\rb", "c"}} << "\"a\rb\",c\r\n";
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
        QTest::newRow("quoted part of an unquoted field") << "ab\"c\",x" << Records{} << 1;
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
        QTest::addColumn<int>("fault"); // CsvUtil::DecodeFault
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("encoding");
        using F = CsvUtil::DecodeFault;
        const QString chinese = QStringLiteral("連絡人,電話");
        const QString csv = QStringLiteral("Contact name,Description\r\nTom,門\r\n");
        QStringEncoder big5("Big5");
        QStringEncoder le(QStringEncoder::Utf16LE), be(QStringEncoder::Utf16BE);
        QTest::newRow("UTF-8 with mark")
            << CsvUtil::FileBytes(chinese) << int(F::None) << chinese << "UTF-8";
        QTest::newRow("UTF-8 without") << chinese.toUtf8() << int(F::None) << chinese << "UTF-8";
        QTest::newRow("UTF-8 with a NUL") << QByteArray("a,b\0c\r\n", 7) << int(F::None)
                                          << QString::fromUtf8("a,b\0c\r\n", 7) << "UTF-8";
        QTest::newRow("Big5") << QByteArray(big5.encode(chinese)) << int(F::None) << chinese
                              << "Big5";
        QTest::newRow("Big5 of common names")
            << QByteArray(big5.encode(QStringLiteral("張偉,王小明,陳大文"))) << int(F::None)
            << QStringLiteral("張偉,王小明,陳大文") << "Big5";
        QTest::newRow("UTF-16LE with mark") << QByteArray("\xFF\xFE") + QByteArray(le.encode(csv))
                                            << int(F::None) << csv << "UTF-16";
        QTest::newRow("UTF-16BE with mark") << QByteArray("\xFE\xFF") + QByteArray(be.encode(csv))
                                            << int(F::None) << csv << "UTF-16";
        QTest::newRow("UTF-16 without mark")
            << QByteArray(le.encode(csv)) << int(F::Utf16WithoutMark) << ""
            << "";
        // 张伟,王小明 in GBK: valid Big5 bytes, but rare Big5 characters.
        QTest::newRow("GBK") << QByteArray("\xD5\xC5\xCE\xB0,\xCD\xF5\xD0\xA1\xC3\xF7")
                             << int(F::LooksGb) << ""
                             << "";
        QTest::newRow("neither") << QByteArray("\xA1\x30\xA1\x30", 4) << int(F::NotText) << ""
                                 << "";
    }
    void decode() {
        QFETCH(QByteArray, bytes);
        QFETCH(int, fault);
        QFETCH(QString, text);
        QFETCH(QString, encoding);
        QString got;
        QString enc;
        CsvUtil::DecodeFault why = CsvUtil::DecodeFault::NotText;
        QCOMPARE(CsvUtil::Decode(bytes, got, &enc, &why), fault == 0);
        QCOMPARE(int(why), fault);
        QCOMPARE(got, text);
        if (fault == 0) QCOMPARE(enc, encoding);
    }

    void guard_data() {
        QTest::addColumn<QString>("cell");
        QTest::addColumn<bool>("asText");
        QTest::addColumn<QString>("guarded");
        QTest::newRow("plain") << "Tom" << false << "Tom";
        QTest::newRow("empty") << "" << true << "";
        for (const char* f : {"=HYPERLINK(\"x\")", "+1", "-1", "@SUM(A1)", "\tx", "\rx"})
            QTest::newRow(f) << QString::fromLatin1(f) << false << u'\'' + QString::fromLatin1(f);
        QTest::newRow("own quote") << "'x" << false << "''x";
        QTest::newRow("own quote before formula") << "'=x" << false << "''=x";
        QTest::newRow("number as text") << "0911" << true << "'0911";
        QTest::newRow("plus number") << "+886" << true << "'+886";
        QTest::newRow("inner sign") << "a=b" << false << "a=b";
    }
    void guard() {
        QFETCH(QString, cell);
        QFETCH(bool, asText);
        QFETCH(QString, guarded);
        QCOMPARE(CsvUtil::Guard(cell, asText), guarded);
        QCOMPARE(CsvUtil::Unguard(guarded, asText), cell);
    }
    // A cell a person wrote with a quote of its own keeps it.
    void unguardKeepsAPersonsQuote() {
        QCOMPARE(CsvUtil::Unguard(QStringLiteral("'abc")), QStringLiteral("'abc"));
        QCOMPARE(CsvUtil::Unguard(QStringLiteral("'")), QStringLiteral("'"));
        QCOMPARE(CsvUtil::Unguard(QStringLiteral("0911"), true), QStringLiteral("0911"));
    }

    void splitList_data() {
        QTest::addColumn<QString>("cell");
        QTest::addColumn<QStringList>("names"); // {"<error>"}: a quoting error
        QTest::newRow("plain") << "A; B ;C" << QStringList{"A", "B", "C"};
        QTest::newRow("empty parts") << ";A;;" << QStringList{"A"};
        QTest::newRow("quoted") << "\"Sales;North\"; G" << QStringList{"Sales;North", "G"};
        QTest::newRow("doubled quote") << "\"say \"\"hi\"\"\"" << QStringList{"say \"hi\""};
        QTest::newRow("blanks kept in quotes") << "\" a \"" << QStringList{" a "};
        QTest::newRow("left open") << "\"a;b" << QStringList{"<error>"};
        QTest::newRow("text after quote") << "\"a\"b;c" << QStringList{"<error>"};
        QTest::newRow("quote inside") << "a\"b" << QStringList{"<error>"};
    }
    void splitList() {
        QFETCH(QString, cell);
        QFETCH(QStringList, names);
        const auto got = CsvUtil::SplitList(cell);
        QCOMPARE(got.value_or(QStringList{QStringLiteral("<error>")}), names);
    }
    // Every list of names, with every printable ASCII punctuation mark in every place, comes
    // back as it went.
    void joinListRoundTrip() {
        QString marks;
        for (char c = 0x21; c < 0x7F; ++c)
            if (!std::isalnum(uchar(c))) marks += QLatin1Char(c);
        for (const QChar m : marks) {
            const QStringList names{QString(m), QStringLiteral("a") + m + QStringLiteral("b"),
                                    QString(m) + QStringLiteral("x ") + m, QStringLiteral(" s")};
            const QString cell = CsvUtil::JoinList(names);
            QCOMPARE(CsvUtil::SplitList(cell).value_or(QStringList{}), names);
            // and through a file's quoting
            const CsvUtil::ParseResult back = CsvUtil::Parse(CsvUtil::Write({{cell}}));
            QCOMPARE(back.records.value(0).value(0), cell);
        }
    }
};

QTEST_GUILESS_MAIN(tst_CsvUtil)
#include "tst_CsvUtil.moc"
