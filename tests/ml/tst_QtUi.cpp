// The Qt side of Ui: message boxes, the text input window, file dialogs, filters, the busy
// pointer; and the splash window.
#include "Version.h"
#include "app/AppFixture.h"
#include "app/frmSplash.h"
#include "base/MsgDefault.h"
#include "ml/QtFormTexts.h"
#include "ml/QtUi.h"
#include "ml/frmKeyInString.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {
// Runs f on the modal window that comes up next.
void OnModal(std::function<void(QWidget*)> f) {
    QTimer::singleShot(0, [f] {
        QWidget* w = QApplication::activeModalWidget();
        if (w) f(w);
    });
}
} // namespace

class tst_QtUi : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void messageBoxButtonsAndAnswers_data() {
        QTest::addColumn<int>("style");
        QTest::addColumn<int>("press"); // the QMessageBox button clicked
        QTest::addColumn<int>("answer");
        QTest::addColumn<int>("icon");
        QTest::addColumn<int>("enter"); // the default button
        QTest::newRow("ok") << int(vbOKOnly | vbCritical) << int(QMessageBox::Ok) << int(vbOK)
                            << int(QMessageBox::Critical) << int(QMessageBox::Ok);
        QTest::newRow("ok/cancel")
            << int(vbOKCancel | vbQuestion) << int(QMessageBox::Cancel) << int(vbCancel)
            << int(QMessageBox::Question) << int(QMessageBox::Ok);
        QTest::newRow("yes/no") << int(vbYesNo | vbExclamation) << int(QMessageBox::No) << int(vbNo)
                                << int(QMessageBox::Warning) << int(QMessageBox::Yes);
        QTest::newRow("yes/no, no by default")
            << int(vbYesNo | vbQuestion | vbDefaultButton2) << int(QMessageBox::Yes) << int(vbYes)
            << int(QMessageBox::Question) << int(QMessageBox::No);
        QTest::newRow("yes/no/cancel yes")
            << int(vbYesNoCancel | vbInformation) << int(QMessageBox::Yes) << int(vbYes)
            << int(QMessageBox::Information) << int(QMessageBox::Yes);
        QTest::newRow("yes/no/cancel cancel")
            << int(vbYesNoCancel | vbQuestion | vbDefaultButton3) << int(QMessageBox::Cancel)
            << int(vbCancel) << int(QMessageBox::Question) << int(QMessageBox::Cancel);
    }
    void messageBoxButtonsAndAnswers() {
        QFETCH(int, style);
        QFETCH(int, press);
        QFETCH(int, answer);
        QFETCH(int, icon);
        QFETCH(int, enter);
        QtUi ui;
        QStringList buttons;
        int seenIcon = -1, seenDefault = -1;
        QString seenText, seenTitle;
        OnModal([&](QWidget* w) {
            auto* box = qobject_cast<QMessageBox*>(w);
            QVERIFY(box);
            for (QAbstractButton* b : box->buttons())
                buttons << QString::number(box->standardButton(b));
            seenIcon = box->icon();
            seenDefault = box->standardButton(box->defaultButton());
            seenText = box->text();
            seenTitle = box->windowTitle();
            box->button(QMessageBox::StandardButton(press))->click();
        });
        QCOMPARE(int(ui.MsgBox(QStringLiteral("line 1\r\nline 2"), MsgStyle(style),
                               QStringLiteral("Title"))),
                 answer);
        QCOMPARE(seenIcon, icon);
        QCOMPARE(seenDefault, enter);
        QCOMPARE(seenText, QStringLiteral("line 1\nline 2"));
        QCOMPARE(seenTitle, QStringLiteral("Title"));
        const int expectedButtons[] = {1, 2, 0, 3, 2};
        QCOMPARE(int(buttons.size()), expectedButtons[MsgButtons(MsgStyle(style))]);
    }

    // A long message wraps at the box's own width (a run without spaces included) and a tall
    // one scrolls: the box stays within the screen and shows the whole text.
    void messageBoxFitsTheScreen_data() {
        QTest::addColumn<QString>("text");
        QStringList lines;
        for (int i = 1; i <= 300; ++i)
            lines << QStringLiteral("Zone %1: the alarm message is too long").arg(i);
        QTest::newRow("short") << QStringLiteral("Saved.");
        QTest::newRow("160 letters without a space") << QString(160, u'x');
        QTest::newRow("a long path") << QStringLiteral("File [/home/") + QString(120, u'p') +
                                            QStringLiteral("/A.cmb] cannot be written.");
        QTest::newRow("160 ideographs") << QString(160, u'警');
        QTest::newRow("emoji run") << QStringLiteral("😀").repeated(40);
        QTest::newRow("300 lines") << lines.join(u'\n');
    }
    void messageBoxFitsTheScreen() {
        QFETCH(QString, text);
        QtUi ui;
        QRect box, screen;
        QString shown;
        OnModal([&](QWidget* w) {
            box = w->frameGeometry();
            screen = w->screen()->availableGeometry();
            if (auto* label = w->findChild<QLabel*>(QStringLiteral("qt_msgbox_label")))
                shown = label->text();
            static_cast<QMessageBox*>(w)->button(QMessageBox::Ok)->click();
        });
        ui.MsgBox(text, vbOKOnly, QStringLiteral("T"));
        QVERIFY2(box.width() <= qMax(screen.width() * 6 / 10, 560),
                 qPrintable(QString::number(box.width())));
        QVERIFY2(box.height() <= screen.height(), qPrintable(QString::number(box.height())));
        QCOMPARE(shown.remove(QChar(0x200B)), text);
    }

    void keyInStringTrimsAndMarksCancel() {
        AppFixture f;
        QVERIFY(f.Start(QStringLiteral("English")));
        QtUi ui;
        ui.SetML(&f.ctx.ml);
        // OK: the text typed, without the blanks around it.
        QString prompt, selected;
        OnModal([&](QWidget* w) {
            prompt = w->findChild<QLabel*>(QStringLiteral("lbKeyInString"))->text();
            auto* e = w->findChild<QLineEdit*>(QStringLiteral("txtKeyInString"));
            selected = e->selectedText();
            QTest::keyClicks(e, QStringLiteral("  Team A  "));
            QTest::mouseClick(w->findChild<QPushButton*>(QStringLiteral("cmdOK")), Qt::LeftButton);
        });
        QCOMPARE(ui.KeyInString(QStringLiteral("New group"), QStringLiteral("Name:"),
                                QStringLiteral("Group1"), QString()),
                 QStringLiteral("Team A"));
        QCOMPARE(prompt, QStringLiteral("Name:"));
        QCOMPARE(selected, QStringLiteral("Group1")); // typing replaces the default

        // Cancel, and closing the window, give the marker.
        OnModal([](QWidget* w) {
            QTest::mouseClick(w->findChild<QPushButton*>(QStringLiteral("cmdCancel")),
                              Qt::LeftButton);
        });
        QCOMPARE(ui.KeyInString(QStringLiteral("t"), QStringLiteral("p"), QStringLiteral("x"),
                                QString()),
                 KeyInCancelMarker());
        OnModal([](QWidget* w) { w->close(); });
        QCOMPARE(ui.KeyInString(QStringLiteral("t"), QStringLiteral("p"), QStringLiteral("x"),
                                QString()),
                 KeyInCancelMarker());

        // A password character masks the text; the buttons carry the table's texts.
        int echo = -1;
        QString okText;
        OnModal([&](QWidget* w) {
            echo = w->findChild<QLineEdit*>(QStringLiteral("txtKeyInString"))->echoMode();
            okText = w->findChild<QPushButton*>(QStringLiteral("cmdOK"))->text();
            QTest::mouseClick(w->findChild<QPushButton*>(QStringLiteral("cmdOK")), Qt::LeftButton);
        });
        QCOMPARE(ui.KeyInString(QStringLiteral("t"), QStringLiteral("p"), QStringLiteral(" 1234 "),
                                QStringLiteral("*")),
                 QStringLiteral("1234"));
        QCOMPARE(echo, int(QLineEdit::Password));
        QCOMPARE(okText, QStringLiteral("OK"));
    }

    void inputWindowOutlivedByItsOwnerOrNot() {
        // The input window belongs to the main window; whichever goes first, nothing is freed
        // twice.
        for (bool windowFirst : {true, false}) {
            auto ui = std::make_unique<QtUi>();
            auto main = std::make_unique<QWidget>();
            ui->SetParentWindow(main.get());
            OnModal([](QWidget* w) { w->close(); });
            QCOMPARE(
                ui->KeyInString(QStringLiteral("t"), QStringLiteral("p"), QString(), QString()),
                KeyInCancelMarker());
            if (windowFirst) main.reset();
            ui.reset();
            main.reset();
        }
    }

    void classicFiltersBecomeQtFilters() {
        QCOMPARE(QtUi::QtFilter(QStringLiteral("Project files,(*.cmb)|*.cmb|All files,(*.*)|*.*")),
                 QStringLiteral("Project files,(*.cmb);;All files,(*.*)"));
        QCOMPARE(QtUi::QtFilter(QStringLiteral("Projects|*.cmb;*.mir")),
                 QStringLiteral("Projects (*.cmb *.mir)"));
        QCOMPARE(QtUi::QtFilter(QStringLiteral("Projects (*.cmb)|*.cmb|odd")),
                 QStringLiteral("Projects (*.cmb)"));
    }

    void fileDialogKeepsItsFolderAndReturnsToTheProgramFolder() {
        QTemporaryDir program, other;
        QVERIFY(QDir(program.path()).mkpath(QStringLiteral("../Project")));
        QtUi ui;
        ui.SetProgramFolder(program.path());
        const QString projects = QDir::cleanPath(program.path() + QStringLiteral("/../Project"));
        QCOMPARE(ui.DialogFolder(QStringLiteral("..\\Project")), projects);
        QCOMPARE(ui.DialogFolder(QString()), projects); // kept for the next use

        QVERIFY(TestEnv::WriteFile(QDir(projects).filePath(QStringLiteral("a.cmb")), "x"));
        QVERIFY(QDir::setCurrent(other.path()));
        QString shownDir, shownFilter;
        OnModal([&](QWidget* w) {
            auto* d = qobject_cast<QFileDialog*>(w);
            QVERIFY(d);
            shownDir = d->directory().absolutePath();
            shownFilter = d->selectedNameFilter();
            d->selectFile(QDir(projects).filePath(QStringLiteral("a.cmb")));
            static_cast<QDialog*>(d)->accept();
        });
        FileDialogSetup setup;
        setup.title = QStringLiteral("Open");
        setup.filter = QStringLiteral("Projects|*.cmb");
        const auto chosen = ui.FileDialog(FileDialogKind::Open, setup);
        QVERIFY(chosen.has_value());
        QCOMPARE(QFileInfo(*chosen).fileName(), QStringLiteral("a.cmb"));
        QCOMPARE(QFileInfo(shownDir).canonicalFilePath(), QFileInfo(projects).canonicalFilePath());
        QCOMPARE(shownFilter, QStringLiteral("Projects (*.cmb)"));
        QCOMPARE(QDir::currentPath(), QDir(program.path()).absolutePath());

        // A name typed without an extension gets the default suffix.
        bool saveEnabled = false;
        OnModal([&](QWidget* w) {
            auto* box = w->findChild<QDialogButtonBox*>();
            QPushButton* save = box ? box->button(QDialogButtonBox::Save) : nullptr;
            saveEnabled = save && save->isEnabled();
            if (saveEnabled)
                save->click();
            else
                static_cast<QDialog*>(w)->reject();
        });
        setup.defaultName = QStringLiteral("b");
        setup.defaultSuffix = QStringLiteral("cmb");
        const auto typed = ui.FileDialog(FileDialogKind::Save, setup);
        QVERIFY(saveEnabled);
        QCOMPARE(QFileInfo(typed.value_or(QString())).fileName(), QStringLiteral("b.cmb"));
        setup.defaultName.clear();

        // Cancelled: no file, and back in the program folder all the same.
        QVERIFY(QDir::setCurrent(other.path()));
        OnModal([](QWidget* w) { static_cast<QDialog*>(w)->reject(); });
        QVERIFY(!ui.FileDialog(FileDialogKind::Save, setup).has_value());
        QCOMPARE(QDir::currentPath(), QDir(program.path()).absolutePath());
    }

    // The Open dialog refuses a missing name itself only when the caller asks for an existing
    // file; otherwise the name comes back for the program's own check.
    void openDialogLeavesAMissingNameToTheCaller_data() {
        QTest::addColumn<bool>("mustExist");
        QTest::newRow("any name") << false;
        QTest::newRow("existing file") << true;
    }
    void openDialogLeavesAMissingNameToTheCaller() {
        QFETCH(bool, mustExist);
        QTemporaryDir dir;
        const QString missing = dir.filePath(QStringLiteral("gone.cmb"));
        QtUi ui;
        ui.SetProgramFolder(dir.path());
        bool refused = false;
        QPointer<QFileDialog> d;
        // Qt's own refusal, when it comes, is dismissed and the dialog cancelled.
        QTimer dismiss;
        dismiss.setSingleShot(true);
        connect(&dismiss, &QTimer::timeout, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                refused = true;
                box->done(0);
            }
            if (d && d->isVisible()) d->reject();
        });
        OnModal([&](QWidget* w) {
            d = qobject_cast<QFileDialog*>(w);
            QVERIFY(d);
            d->selectFile(missing);
            dismiss.start(300);
            static_cast<QDialog*>(d.data())->accept();
        });
        FileDialogSetup setup;
        setup.filter = QStringLiteral("Projects|*.cmb");
        setup.fileMustExist = mustExist;
        const auto chosen = ui.FileDialog(FileDialogKind::Open, setup);
        QCOMPARE(refused, mustExist);
        QCOMPARE(chosen.has_value(), !mustExist);
        if (chosen) QCOMPARE(QFileInfo(*chosen).absoluteFilePath(), missing);
    }

    void busyPointerNests() {
        QtUi ui;
        ui.SetBusy(true);
        ui.SetBusy(true);
        QVERIFY(QApplication::overrideCursor());
        ui.SetBusy(false);
        QVERIFY(QApplication::overrideCursor());
        ui.SetBusy(false);
        QVERIFY(!QApplication::overrideCursor());
        ui.SetBusy(false); // one too many does no harm
        QVERIFY(!QApplication::overrideCursor());
    }

    void splashShowsTheVersionAndEndsOnAClick() {
        AppFixture f;
        QVERIFY(f.Start(QStringLiteral("English")));
        frmSplash splash(f.ctx.ml);
        QCOMPARE(QtFormTexts::Apply(&splash, f.ctx.ml, QStringLiteral("frmSplash")), QStringList());
        // Applying the texts again resets the label; the load step sets it after them.
        frmSplash loaded(f.ctx.ml);
        QCOMPARE(loaded.findChild<QLabel*>(QStringLiteral("lblVersion"))->text(),
                 QStringLiteral("Version ") + QStringLiteral(KORVA_VERSION_TEXT));
        QCOMPARE(loaded.findChild<QLabel*>(QStringLiteral("lblProductName"))->text(),
                 QStringLiteral("KORVA SMS Alarm Dialer"));
        loaded.show();
        QVERIFY(!loaded.Clicked());
        QTest::mouseClick(loaded.findChild<QLabel*>(QStringLiteral("Label1")), Qt::LeftButton);
        QVERIFY(loaded.Clicked());
        QVERIFY(!loaded.isVisible());
    }
};

QTEST_MAIN(tst_QtUi)
#include "tst_QtUi.moc"
