#include "app/QtUi.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

MsgResult QtUi::MsgBox(const QString& prompt, MsgStyle style, const QString& title) {
    QMessageBox box(m_parent);
    box.setWindowTitle(title);
    box.setText(QString(prompt).replace(QLatin1String("\r\n"), QLatin1String("\n")));
    switch (MsgIcon(style)) {
    case vbCritical: box.setIcon(QMessageBox::Critical); break;
    case vbQuestion: box.setIcon(QMessageBox::Question); break;
    case vbExclamation: box.setIcon(QMessageBox::Warning); break;
    case vbInformation: box.setIcon(QMessageBox::Information); break;
    default: box.setIcon(QMessageBox::NoIcon);
    }
    switch (MsgButtons(style)) {
    case vbOKCancel: box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel); break;
    case vbYesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        break;
    case vbYesNo: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
    default: box.setStandardButtons(QMessageBox::Ok);
    }
    switch (box.exec()) {
    case QMessageBox::Yes: return vbYes;
    case QMessageBox::No: return vbNo;
    case QMessageBox::Cancel: return vbCancel;
    default: return MsgButtons(style) == vbOKOnly || MsgButtons(style) == vbOKCancel
                        ? (box.clickedButton() ? vbOK : vbCancel)
                        : vbCancel;
    }
}

QString QtUi::KeyInString(const QString& title, const QString& prompt, const QString& defaultText,
                          const QString& passwordChar) {
    bool ok = false;
    const QString text = QInputDialog::getText(
        m_parent, title, prompt, passwordChar.isEmpty() ? QLineEdit::Normal : QLineEdit::Password,
        defaultText, &ok);
    return ok ? text.trimmed() : QStringLiteral("連絡人按下取消鍵");
}

QString QtUi::QtFilter(const QString& classic) {
    const QStringList parts = classic.split(u'|');
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(u';', u' ');
        filters << parts[i] + QStringLiteral(" (") + patterns + u')';
    }
    return filters.join(QLatin1String(";;"));
}

std::optional<QString> QtUi::FileDialog(FileDialogKind kind, const FileDialogSetup& setup) {
    const QString programDir = QDir::currentPath();
    QString dir = setup.initialDir.isEmpty() ? m_lastDir : setup.initialDir;
    if (!setup.defaultName.isEmpty()) dir = QDir(dir).filePath(setup.defaultName);
    QString chosen;
    if (kind == FileDialogKind::Open) {
        chosen = QFileDialog::getOpenFileName(m_parent, setup.title, dir, QtFilter(setup.filter));
    } else {
        chosen = QFileDialog::getSaveFileName(
            m_parent, setup.title, dir, QtFilter(setup.filter), nullptr,
            setup.overwritePrompt ? QFileDialog::Options() : QFileDialog::DontConfirmOverwrite);
    }
    QDir::setCurrent(programDir);
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

void QtUi::DoEvents() { QApplication::processEvents(QEventLoop::AllEvents, 50); }

void QtUi::ShowProgress(const QString& title, const QString& text) {
    if (progressShow) progressShow(title, text);
}

void QtUi::CloseProgress() {
    if (progressClose) progressClose();
}

bool QtUi::ShowModal(Window which) { return modalSink ? modalSink(which) : false; }
