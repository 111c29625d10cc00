// Every dialog the main window opens starts with the focus in its first field, and its tab
// order follows the order the eye reads it: top to bottom, left to right within a row.
#include "app/frmToolsOptions.h"
#include "device/DeviceWindows.h"
#include "editing/EditEnv.h"
#include "editing/EditWindows.h"
#include "mainwindow/MainWindows.h"
#include "mainwindow/frmMain.h"
#include "ml/QtDialogFocus.h"
#include "store/StoreWindows.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QSettings>
#include <QTimer>

namespace {
struct Case {
    Window window;
    const char* first; // the field the focus starts in
};
const Case kCases[] = {
    {Windows::frmProjBasic, "txtPorjName"},      {Windows::frmEditTelList, "txtTelNo"},
    {Windows::frmEditGroupList, "txtGroupDsc"},  {Windows::frmEditZoneList, "txtZoneName"},
    {Windows::frmAddUser, "txtAddUserName"},     {Windows::frmAddUserGroup, "cmbUserGroups"},
    {Windows::frmMoveUsers, "cmbMoveGroup"},     {Windows::frmAddOtherUser, "cmbAddUser"},
    {Windows::frmAllUserGroups, "lvUserGroups"}, {Windows::frmCsvImport, "lvRows"},
    {Windows::frmComPort, "cmbComPort"},         {Windows::frmToolsOptions, "txtRetry"},
    {Windows::frmDiagnostic, "lvBasicInfo"},
};

// The widgets Tab reaches in turn, from the dialog on.
QList<QWidget*> TabChain(QDialog* d) {
    QList<QWidget*> chain;
    for (QWidget* w = d->nextInFocusChain(); w && w != d; w = w->nextInFocusChain())
        if (d->isAncestorOf(w) && (w->focusPolicy() & Qt::TabFocus) && w->isVisibleTo(d) &&
            !w->focusProxy() && (QtDialogFocus::IsField(w) || qobject_cast<QAbstractButton*>(w)))
            chain << w;
    return chain;
}

// b comes after a when read: in a lower row, or in the same row further right.
bool ReadAfter(const QRect& a, const QRect& b) {
    const bool sameRow = b.top() < a.bottom() && a.top() < b.bottom();
    return sameRow ? b.left() > a.left() : b.top() >= a.bottom();
}

struct Seen {
    QString focus;
    QString misordered; // "a > b" for the first pair out of reading order
};
} // namespace

class TestFrmDialogFocus : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void dialogsOpenInTheirFirstField_data() {
        QTest::addColumn<int>("at");
        for (size_t i = 0; i < std::size(kCases); ++i)
            QTest::newRow(kCases[i].window.name.data()) << int(i);
    }
    void dialogsOpenInTheirFirstField() {
        QFETCH(int, at);
        const Case& c = kCases[at];
        EditEnv env;
        QVERIFY(env.OpenWith(GroupsSql({"A", "B"}) + UserSql("Tom", "1", "A")));
        QSettings store(env.tmp.filePath(QStringLiteral("placement.ini")), QSettings::IniFormat);
        frmMain w(env.c(), &store);
        frmToolsOptions::Register(w, env.c());
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));

        Seen seen;
        bool opened = false;
        QTimer::singleShot(0, [&] {
            auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!d) return;
            opened = true;
            seen.focus = d->focusWidget() ? d->focusWidget()->objectName() : QString();
            const QList<QWidget*> chain = TabChain(d);
            for (qsizetype i = 0; i + 1 < chain.size() && seen.misordered.isEmpty(); ++i) {
                const QRect a(chain[i]->mapTo(d, QPoint()), chain[i]->size());
                const QRect b(chain[i + 1]->mapTo(d, QPoint()), chain[i + 1]->size());
                if (!ReadAfter(a, b))
                    seen.misordered = chain[i]->objectName() + " > " + chain[i + 1]->objectName();
            }
            d->reject();
        });
        w.ShowModal(c.window);
        QVERIFY(opened);
        QCOMPARE(seen.focus, QLatin1String(c.first));
        QCOMPARE(seen.misordered, QString());
    }
};

QTEST_MAIN(TestFrmDialogFocus)
#include "tst_frmDialogFocus.moc"
