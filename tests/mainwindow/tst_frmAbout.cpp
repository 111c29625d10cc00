// The About window on the real widget: its texts with the version, and the mouse gesture over
// the icon that opens the register diagnostic window.
#include "Version.h"
#include "app/AppFixture.h"
#include "device/DeviceWindows.h"
#include "mainwindow/frmAbout.h"

#include <QLabel>
#include <QTest>

class tst_frmAbout : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QVERIFY(f.Start(QStringLiteral("English"))); }
    void texts();
    void iconGesture_data();
    void iconGesture();

private:
    AppFixture f;
};

void tst_frmAbout::texts() {
    frmAbout w(f.ctx);
    QCOMPARE(w.windowTitle(), QStringLiteral("About KORVA"));
    QCOMPARE(w.findChild<QLabel*>(QStringLiteral("lblVersion"))->text(),
             QStringLiteral("Version ") + QStringLiteral(KORVA_VERSION_TEXT));
    QVERIFY(!w.findChild<QLabel*>(QStringLiteral("lblTitle"))->text().isEmpty());
}

void tst_frmAbout::iconGesture_data() {
    QTest::addColumn<int>("button");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<bool>("opens");
    const int ctrl = Qt::ControlModifier, alt = Qt::AltModifier, shift = Qt::ShiftModifier;
    QTest::newRow("right, Ctrl+Alt") << int(Qt::RightButton) << (ctrl | alt) << true;
    QTest::newRow("right, Ctrl+Alt+Meta")
        << int(Qt::RightButton) << (ctrl | alt | int(Qt::MetaModifier)) << true;
    QTest::newRow("right, Ctrl") << int(Qt::RightButton) << ctrl << false;
    QTest::newRow("right, Alt") << int(Qt::RightButton) << alt << false;
    QTest::newRow("right, Ctrl+Alt+Shift") << int(Qt::RightButton) << (ctrl | alt | shift) << false;
    QTest::newRow("right, none") << int(Qt::RightButton) << 0 << false;
    QTest::newRow("left, Ctrl+Alt") << int(Qt::LeftButton) << (ctrl | alt) << false;
    QTest::newRow("middle, Ctrl+Alt") << int(Qt::MiddleButton) << (ctrl | alt) << false;
}

void tst_frmAbout::iconGesture() {
    QFETCH(int, button);
    QFETCH(int, modifiers);
    QFETCH(bool, opens);
    frmAbout w(f.ctx);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    f.ui.modalsShown.clear();
    auto* icon = w.findChild<QLabel*>(QStringLiteral("picIcon"));
    QTest::mousePress(icon, Qt::MouseButton(button), Qt::KeyboardModifiers(modifiers));
    QTest::mouseRelease(icon, Qt::MouseButton(button), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(f.ui.modalsShown, opens ? QList<Window>{Windows::frmDiagnostic} : QList<Window>{});
}

QTEST_MAIN(tst_frmAbout)
#include "tst_frmAbout.moc"
