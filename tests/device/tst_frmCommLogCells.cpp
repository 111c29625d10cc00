// The log window's cells draw what the painter's own text drawing draws: the same pixels for
// texts that fit and texts cut with "…", in ASCII (drawn from the font's glyphs directly) and in
// Chinese (laid out and kept), left and right aligned.
#include "device/CommLogCells.h"

#include <QApplication>
#include <QFontDatabase>
#include <QImage>
#include <QPainter>
#include <QTest>

class tst_frmCommLogCells : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void drawsAsThePainter_data();
    void drawsAsThePainter();
};

void tst_frmCommLogCells::drawsAsThePainter_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("flags");
    QTest::addColumn<bool>("direct");
    const int left = Qt::AlignLeft | Qt::AlignVCenter, right = Qt::AlignRight | Qt::AlignVCenter;
    const QString hex = QStringLiteral("F7 50 43 01 0A 00 01 03 03 31 32 33 C4 1D");
    QTest::newRow("ascii fits") << hex << 400 << left << true;
    QTest::newRow("ascii cut") << hex << 90 << left << true;
    QTest::newRow("ascii right") << QStringLiteral("26") << 60 << right << true;
    QTest::newRow("ascii too narrow for a character") << hex << 4 << left << true;
    QTest::newRow("chinese fits") << QStringLiteral("電話簿記錄 k=12") << 400 << left << false;
    QTest::newRow("chinese cut") << QStringLiteral("電話簿記錄 k=12") << 50 << left << false;
    QTest::newRow("a tab, as the painter draws it")
        << QStringLiteral("a\tb") << 200 << left << false;
}

void tst_frmCommLogCells::drawsAsThePainter() {
    QFETCH(QString, text);
    QFETCH(int, width);
    QFETCH(int, flags);
    QFETCH(bool, direct);
    const QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    CommLogCells cells(font);
    QCOMPARE(cells.DrawsDirect(text), direct);
    const QRect r(3, 2, width, QFontMetrics(font).height() + 4);
    const auto draw = [&](auto how) {
        QImage image(r.right() + 4, r.bottom() + 3, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::white);
        QPainter p(&image);
        p.setFont(font);
        p.setPen(Qt::black);
        how(p);
        return image;
    };
    const QImage painter = draw([&](QPainter& p) {
        p.drawText(r, flags | Qt::TextSingleLine,
                   p.fontMetrics().elidedText(text, Qt::ElideRight, r.width()));
    });
    // Drawn wide first: what was laid out for one width is not what another width shows.
    draw([&](QPainter& p) { cells.DrawText(&p, r.adjusted(0, 0, 400, 0), flags, text); });
    const QImage ours = draw([&](QPainter& p) { cells.DrawText(&p, r, flags, text); });
    if (ours != painter) {
        painter.save(QStringLiteral("/tmp/cells-painter.png"));
        ours.save(QStringLiteral("/tmp/cells-ours.png"));
    }
    QVERIFY(ours == painter);
    // Laid out once and kept: the next drawing is the same.
    QVERIFY(draw([&](QPainter& p) { cells.DrawText(&p, r, flags, text); }) == painter);
}

QTEST_MAIN(tst_frmCommLogCells)
#include "tst_frmCommLogCells.moc"
