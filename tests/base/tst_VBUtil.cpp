// The key for hashing names compared with letter case ignored.
#include "base/VBUtil.h"

#include <QtTest>

class tst_VBUtil : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Two texts share a key exactly when the case-insensitive comparison finds them equal.
    void caseKeyFollowsTheComparison_data() {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::newRow("ascii") << "Group1"
                               << "gROUP1";
        QTest::newRow("differs") << "Group1"
                                 << "Group2";
        QTest::newRow("chinese") << "群組a"
                                 << "群組A";
        QTest::newRow("greek") << "ΣΊΣΥΦΟΣ"
                               << "σίσυφος";
        QTest::newRow("final sigma") << "ς"
                                     << "σ";
        QTest::newRow("sharp s") << "straße"
                                 << "STRASSE";
        QTest::newRow("dotless i") << "ı"
                                   << "I";
        QTest::newRow("beyond 16 bits") << QString::fromUtf8("\xF0\x90\x90\x80")
                                        << QString::fromUtf8("\xF0\x90\x90\xA8"); // Deseret
        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("length") << "ab"
                                << "a";
    }
    void caseKeyFollowsTheComparison() {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QCOMPARE(VBUtil::CaseKey(a) == VBUtil::CaseKey(b), a.compare(b, Qt::CaseInsensitive) == 0);
    }
};

QTEST_MAIN(tst_VBUtil)
#include "tst_VBUtil.moc"
