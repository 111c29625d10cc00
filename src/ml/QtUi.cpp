#include "ml/QtUi.h"

#include "base/AppInfo.h"
#include "base/MsgDefault.h"
#include "ml/MLUtil.h"
#include "ml/frmKeyInString.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QMessageBox>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTextBoundaryFinder>
#include <climits>

QtUi::QtUi() = default;
QtUi::~QtUi() {
    delete m_keyIn.data();
}

QWidget* QtUi::DialogParent() const {
    if (QWidget* modal = QApplication::activeModalWidget()) return modal;
    return m_parent;
}

namespace {
// A run of this many characters without a place to break a line may break anywhere: a path or
// a long number would otherwise set the box's width.
constexpr int kLongRun = 40;
const QChar kBreak(0x200B); // zero-width space: a line may break here, nothing shows

QMessageBox::StandardButton QtButton(MsgResult r) {
    switch (r) {
    case vbYes:
        return QMessageBox::Yes;
    case vbNo:
        return QMessageBox::No;
    case vbCancel:
        return QMessageBox::Cancel;
    default:
        return QMessageBox::Ok;
    }
}
} // namespace

QString QtUi::Wrappable(const QString& text) {
    QString out;
    out.reserve(text.size() * 2);
    QTextBoundaryFinder lines(QTextBoundaryFinder::Line, text);
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = lines.toNextBoundary();
        if (end <= start) end = text.size();
        // Between two places where a line may break: a long piece gets such places of its own.
        const bool longRun = end - start > kLongRun;
        for (qsizetype i = start; i < end; ++i) {
            out += text[i];
            if (longRun && i + 1 < end && !text[i].isHighSurrogate()) out += kBreak;
        }
        start = end;
    }
    return out;
}

MsgResult QtUi::MsgBox(const QString& prompt, MsgStyle style, const QString& title) {
    QMessageBox box(DialogParent());
    box.setWindowTitle(title.isEmpty() ? AppTitle() : title);
    QString text = prompt;
    text.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(u'\r', u'\n');
    box.setText(Wrappable(text));
    box.setTextFormat(Qt::PlainText);
    switch (MsgIcon(style)) {
    case vbCritical:
        box.setIcon(QMessageBox::Critical);
        break;
    case vbQuestion:
        box.setIcon(QMessageBox::Question);
        break;
    case vbExclamation:
        box.setIcon(QMessageBox::Warning);
        break;
    case vbInformation:
        box.setIcon(QMessageBox::Information);
        break;
    default:
        box.setIcon(QMessageBox::NoIcon);
    }
    QMessageBox::StandardButtons buttons;
    for (MsgResult r : MsgButtonList(style))
        buttons |= QtButton(r);
    box.setStandardButtons(buttons);
    box.setDefaultButton(QtButton(MsgDefaultAnswer(style)));
    FitToScreen(box);
    box.exec();
    switch (box.standardButton(box.clickedButton())) {
    case QMessageBox::Yes:
        return vbYes;
    case QMessageBox::No:
        return vbNo;
    case QMessageBox::Ok:
        return vbOK;
    case QMessageBox::Cancel:
        return vbCancel;
    default:
        // Closed without a button: the box's escape answer.
        switch (MsgButtons(style)) {
        case vbOKOnly:
            return vbOK;
        case vbYesNo:
            return vbNo;
        default:
            return vbCancel;
        }
    }
}

// A text taller than most of the screen scrolls inside the box, so that the box and its
// buttons stay on the screen.
void QtUi::FitToScreen(QMessageBox& box) {
    auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    const QScreen* screen = box.screen() ? box.screen() : QGuiApplication::primaryScreen();
    if (!label || !grid || !screen) return;
    const QRect avail = screen->availableGeometry();
    // QMessageBox's own width for wrapped text; the box keeps it.
    const int width = qMin(avail.width() / 2, 500);
    const int textHeight =
        label->fontMetrics()
            .boundingRect(QRect(0, 0, width, INT_MAX), Qt::TextWordWrap, label->text())
            .height();
    const int room = avail.height() * 6 / 10;
    if (textHeight <= room) return;
    auto* scroll = new QScrollArea;
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    delete grid->replaceWidget(label, scroll);
    scroll->setWidget(label);
    label->setWordWrap(true);
    // Wider than QMessageBox's limit for unwrapped text, so that it keeps the label wrapped.
    scroll->setFixedSize(width + 1 + scroll->verticalScrollBar()->sizeHint().width(), room);
}

QString QtUi::KeyInString(const QString& title, const QString& prompt, const QString& defaultText,
                          const QString& passwordChar, int maxLength) {
    if (!m_keyIn) m_keyIn = new frmKeyInString(m_ml, DialogParent());
    return m_keyIn->Run(title, prompt, defaultText, passwordChar, DialogParent(), maxLength);
}

QString QtUi::QtFilter(const QString& classic) {
    const QStringList parts = classic.split(u'|');
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        const QString desc = parts[i].trimmed();
        const QString raw = parts[i + 1].trimmed();
        QString patterns = raw;
        patterns.replace(u';', u' ');
        // "Project (*.cmb)|*.cmb" already names its patterns; Qt reads them from the last
        // parentheses, so they are not added twice.
        if (desc.endsWith(u'(' + raw + u')') || desc.endsWith(u'(' + patterns + u')'))
            filters << desc;
        else
            filters << desc + QStringLiteral(" (") + patterns + u')';
    }
    return filters.join(QLatin1String(";;"));
}

QString QtUi::DialogFolder(const QString& initialDir) {
    if (!initialDir.isEmpty()) {
        QString dir = initialDir;
#ifndef Q_OS_WIN
        dir.replace(u'\\', u'/');
#endif
        const QString base = m_programFolder.isEmpty() ? QDir::currentPath() : m_programFolder;
        m_lastDir = QDir::cleanPath(QDir(base).absoluteFilePath(dir));
    }
    return m_lastDir;
}

std::optional<QString> QtUi::FileDialog(FileDialogKind kind, const FileDialogSetup& setup) {
    const QString backTo = m_programFolder.isEmpty() ? QDir::currentPath() : m_programFolder;
    QString start = DialogFolder(setup.initialDir);
    if (!setup.defaultName.isEmpty()) start = QDir(start).filePath(setup.defaultName);
    QFileDialog dialog(DialogParent(), setup.title, start, QtFilter(setup.filter));
    dialog.setAcceptMode(kind == FileDialogKind::Open ? QFileDialog::AcceptOpen
                                                      : QFileDialog::AcceptSave);
    // Any name unless the caller wants an existing file: the program's own check then says
    // what is wrong with a missing one, in its words, as it does for a recent-files entry.
    dialog.setFileMode(kind == FileDialogKind::Open && setup.fileMustExist
                           ? QFileDialog::ExistingFile
                           : QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !setup.overwritePrompt);
    // With the suffix, a name typed or proposed without its extension still names the file.
    dialog.setDefaultSuffix(setup.defaultSuffix);
    QString chosen;
    if (dialog.exec() == QDialog::Accepted) chosen = dialog.selectedFiles().value(0);
    QDir::setCurrent(backTo);
    if (chosen.isEmpty()) return std::nullopt;
    m_lastDir = QFileInfo(chosen).absolutePath();
    return QDir::toNativeSeparators(chosen);
}

void QtUi::SetStatusText(const QString& panelKey, const QString& text) {
    if (statusSink) statusSink(panelKey, text);
}

void QtUi::SetBusy(bool busy) {
    if (busy) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        ++m_busyDepth;
    } else if (m_busyDepth > 0) {
        QApplication::restoreOverrideCursor();
        --m_busyDepth;
    }
}

void QtUi::DoEvents() {
    QApplication::processEvents(QEventLoop::AllEvents, 50);
}

void QtUi::ShowProgress(const QString& title, const QString& text) {
    if (progressShow) progressShow(title, text);
}

void QtUi::CloseProgress() {
    if (progressClose) progressClose();
}

void QtUi::SetProgressValue(int done, int total, const QString& line) {
    if (progressValue) progressValue(done, total, line);
}

bool QtUi::ShowModal(Window which) {
    return modalSink ? modalSink(which) : false;
}

void QtUi::ApplyFonts(const QString& appliedLang) {
    // Han characters take the glyph forms of the language shown: Traditional for the
    // original texts (and for English, whose data is Traditional Chinese), Simplified for GB.
    const QString cjk = appliedLang == QLatin1String("ChineseGB")
                            ? QStringLiteral("Noto Sans CJK SC")
                            : QStringLiteral("Noto Sans CJK TC");
    QFont f = QApplication::font();
    QStringList families = f.families();
    if (families.isEmpty()) families << f.family();
    families.removeAll(QStringLiteral("Noto Sans CJK SC"));
    families.removeAll(QStringLiteral("Noto Sans CJK TC"));
    families << cjk;
    f.setFamilies(families);
    QApplication::setFont(f);
}
