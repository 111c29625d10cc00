// The sheet's pages: table rows kept whole across page breaks, and the PDF's text layer
// naming the characters shown rather than the radicals that share their glyphs.
#include "editing/SheetPrint.h"

#include <QAbstractTextDocumentLayout>
#include <QGuiApplication>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextTable>

namespace {
// Rows (after the header) whose cells' text runs across a page break.
int CutRows(QTextDocument& doc) {
    const qreal page = doc.pageSize().height();
    int cut = 0;
    for (QTextFrame* frame : doc.rootFrame()->childFrames()) {
        auto* table = qobject_cast<QTextTable*>(frame);
        if (!table) continue;
        for (int r = table->format().headerRowCount(); r < table->rows(); ++r) {
            qreal top = 1e12, bottom = -1;
            for (int c = 0; c < table->columns(); ++c) {
                const QTextTableCell cell = table->cellAt(r, c);
                for (auto it = cell.begin(); !it.atEnd(); ++it) {
                    const QRectF b = doc.documentLayout()->blockBoundingRect(it.currentBlock());
                    top = qMin(top, b.top());
                    bottom = qMax(bottom, b.bottom());
                }
            }
            if (int(top / page) != int((bottom - 1) / page)) ++cut;
        }
    }
    return cut;
}
} // namespace

class tst_SheetPrint : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void rowsStayWhole_data() {
        QTest::addColumn<int>("pageHeight");
        QTest::addColumn<int>("longEvery"); // every n-th row wraps over several lines
        QTest::newRow("few long rows") << 500 << 7;
        QTest::newRow("many long rows") << 700 << 3;
        QTest::newRow("every row long") << 900 << 1;
    }
    void rowsStayWhole() {
        QFETCH(int, pageHeight);
        QFETCH(int, longEvery);
        QString html = QStringLiteral("<table border=1 cellspacing=0 cellpadding=2>"
                                      "<thead><tr><th>#</th><th>Message</th></tr></thead>");
        for (int i = 0; i < 150; ++i)
            html +=
                QStringLiteral("<tr><td>%1</td><td>%2</td></tr>")
                    .arg(i)
                    .arg(i % longEvery == 0 ? QStringLiteral("倉庫門被打開 door open ").repeated(8)
                                            : QStringLiteral("x"));
        html += QStringLiteral("</table>");
        QTextDocument doc;
        doc.setHtml(html);
        doc.setTextWidth(400);
        doc.setPageSize(QSizeF(400, pageHeight));
        QVERIFY(CutRows(doc) > 0); // laid out as it comes, rows are cut
        const int pages = doc.pageCount();
        SheetPrint::KeepRowsWhole(doc);
        QCOMPARE(CutRows(doc), 0);
        QVERIFY(doc.pageCount() >= pages);
        QVERIFY(doc.pageCount() <= pages * 2);
        // The text itself is unchanged.
        const QString text = doc.toPlainText();
        for (int i = 0; i < 150; ++i)
            QCOMPARE(text.count(QStringLiteral("\n%1\n").arg(i)), 1);
        QVERIFY(text.count(QStringLiteral("Message")) > 1); // the header repeated
    }

    void shownTextLayer_data() {
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QByteArray>("map");
        QTest::addColumn<QByteArray>("expected");
        const QByteArray head = "1 beginbfrange\n";
        const QByteArray tail = "endbfrange\n";
        QTest::newRow("single codes")
            << QStringLiteral("門頁1")
            << head + "<0001> <0001> <2FA8>\n<0002> <0002> <2FB4>\n" + tail
            << head + "<0001> <0001> <9580>\n<0002> <0002> <9801>\n" + tail;
        QTest::newRow("array, digits kept")
            << QStringLiteral("一門2") << head + "<0003> <0005> [<2F00> <0032> <2FA8> ]\n" + tail
            << head + "<0003> <0005> [<4E00> <0032> <9580> ]\n" + tail;
        QTest::newRow("glyph numbers are not codes")
            << QStringLiteral("門") << head + "<2FA8> <2FA8> <2FA8>\n" + tail
            << head + "<2FA8> <2FA8> <9580>\n" + tail;
        QTest::newRow("a radical shown stays")
            << QStringLiteral("門⾨") << head + "<0001> <0001> <2FA8>\n" + tail
            << head + "<0001> <0001> <2FA8>\n" + tail;
        QTest::newRow("an ideograph not shown is not guessed")
            << QStringLiteral("頁") << head + "<0001> <0001> <2FA8>\n" + tail
            << head + "<0001> <0001> <2FA8>\n" + tail;
        QTest::newRow("outside the maps")
            << QStringLiteral("門") << QByteArray("stream <0001> <0001> <2FA8> endstream")
            << QByteArray("stream <0001> <0001> <2FA8> endstream");
    }
    void shownTextLayer() {
        QFETCH(QString, shown);
        QFETCH(QByteArray, map);
        QFETCH(QByteArray, expected);
        const QByteArray pdf = "%PDF-1.4\n" + map + "%%EOF\n";
        const QByteArray out = SheetPrint::ShownTextLayer(pdf, shown);
        QCOMPARE(out, "%PDF-1.4\n" + expected + "%%EOF\n");
        QCOMPARE(out.size(), pdf.size()); // the file's offsets stay valid
    }
};

QTEST_MAIN(tst_SheetPrint)
#include "tst_SheetPrint.moc"
