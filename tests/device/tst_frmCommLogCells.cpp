// The log window's cells draw what the painter's own text drawing draws: the same pixels for
// texts that fit and texts cut with "…", in ASCII (drawn from the font's glyphs directly) and in
// Chinese (from the glyphs the painter's layout takes), in other scripts (laid out and kept),
// left and right aligned; and the grid the view would draw.
#include "device/CommLogCells.h"

#include <QApplication>
#include <QFontDatabase>
#include <QImage>
#include <QPainter>
#include <QStandardItemModel>
#include <QTableView>
#include <QTest>

class tst_frmCommLogCells : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void drawsAsThePainter_data();
    void drawsAsThePainter();
    void drawsTheViewsGrid();
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
    QTest::newRow("chinese punctuation and full-width forms")
        << QStringLiteral("例外 02: 不合法的資料位址（寫入），已確認。") << 600 << left << false;
    QTest::newRow("another script") << QStringLiteral("Zoë café") << 400 << left << false;
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

// Drawn by the cells, the grid is the view's own, under selected rows and the current cell too.
void tst_frmCommLogCells::drawsTheViewsGrid() {
    QStandardItemModel model(4, 3);
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 3; ++c)
            model.setItem(r, c,
                          new QStandardItem(c == 2 ? QStringLiteral("已確認 %1").arg(r)
                                                   : QStringLiteral("F7 %1").arg(r * c)));
    const auto shown = [&](bool cellsDrawGrid) {
        QTableView view;
        view.setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
        view.setShowGrid(!cellsDrawGrid);
        view.setItemDelegate(new CommLogCells(view.font(), cellsDrawGrid, &view));
        view.setModel(&model);
        view.resize(360, 200);
        view.selectRow(1);
        view.setCurrentIndex(model.index(2, 1));
        view.show();
        QApplication::setActiveWindow(&view);
        view.setFocus();
        if (!QTest::qWaitForWindowActive(&view) || !view.hasFocus()) return QImage();
        return view.viewport()->grab().toImage();
    };
    const QImage cells = shown(true);
    QVERIFY(!cells.isNull());
    QVERIFY(cells == shown(false));
}

QTEST_MAIN(tst_frmCommLogCells)
#include "tst_frmCommLogCells.moc"
