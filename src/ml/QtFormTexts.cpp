#include "ml/QtFormTexts.h"

#include "ml/FormTexts.h"
#include "ml/MLText.h"
#include "ml/MLUtil.h"

#include <QAbstractButton>
#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTextEdit>
#include <QWidget>

namespace QtFormTexts {

static QString ObjectNameOf(const QString& part) {
    // "mnuFileMRU(1)" -> "mnuFileMRU_1"; "Panels(1)" -> "Panels_1"
    static const QRegularExpression indexed(QStringLiteral("^(.*)\\((\\d+)\\)$"));
    const auto m = indexed.match(part);
    return m.hasMatch() ? m.captured(1) + u'_' + m.captured(2) : part;
}

QObject* Resolve(QWidget* window, const QString& objectPath) {
    if (!window) return nullptr;
    if (objectPath.isEmpty()) return window;
    QObject* at = window;
    const QStringList parts = objectPath.split(u'.');
    for (const QString& part : parts) {
        const QString name = ObjectNameOf(part);
        QObject* next = nullptr;
        // A status panel lives in the status bar under the name "<bar>_Panels_<n>".
        if (name.startsWith(QLatin1String("Panels_")) && at != window)
            next = window->findChild<QObject*>(at->objectName() + u'_' + name);
        if (!next) next = at->findChild<QObject*>(name);
        if (!next) return nullptr;
        at = next;
    }
    return at;
}

bool SetText(QObject* target, const QString& propertyName, const QString& text) {
    if (!target) return false;
    static const QRegularExpression tab(QStringLiteral("^TabCaption\\((\\d+)\\)$"));
    const auto m = tab.match(propertyName);
    if (m.hasMatch()) {
        auto* tw = qobject_cast<QTabWidget*>(target);
        const int i = m.captured(1).toInt();
        if (!tw || i >= tw->count()) return false;
        tw->setTabText(i, text);
        return true;
    }
    if (auto* a = qobject_cast<QAction*>(target)) {
        a->setText(text);
        return true;
    }
    if (auto* menu = qobject_cast<QMenu*>(target)) {
        menu->setTitle(text);
        return true;
    }
    if (auto* b = qobject_cast<QAbstractButton*>(target)) {
        b->setText(text);
        return true;
    }
    if (auto* l = qobject_cast<QLabel*>(target)) {
        l->setText(text);
        return true;
    }
    if (auto* g = qobject_cast<QGroupBox*>(target)) {
        g->setTitle(text);
        return true;
    }
    if (auto* e = qobject_cast<QLineEdit*>(target)) {
        e->setText(text);
        return true;
    }
    if (auto* e = qobject_cast<QPlainTextEdit*>(target)) {
        e->setPlainText(text);
        return true;
    }
    if (auto* e = qobject_cast<QTextEdit*>(target)) {
        e->setPlainText(text);
        return true;
    }
    if (auto* tw = qobject_cast<QTabWidget*>(target)) {
        if (tw->count() == 0) return false;
        tw->setTabText(tw->currentIndex(), text);
        return true;
    }
    if (auto* w = qobject_cast<QWidget*>(target); w && w->isWindow()) {
        w->setWindowTitle(text);
        return true;
    }
    return false;
}

QStringList Apply(QWidget* window, const MLState& ml, const QString& formName) {
    QStringList missing;
    for (const FormTextItem& item : FormTexts::ItemsOf(formName)) {
        QObject* target = Resolve(window, item.objectPath);
        const QString text = GetFormText(ml, formName, item.objectPath, item.propertyName);
        if (item.objectPath.isEmpty() && item.propertyName == QLatin1String("Caption")) {
            window->setWindowTitle(text);
            continue;
        }
        if (!SetText(target, item.propertyName, text)) missing << item.objectPath;
    }
    return missing;
}

void LimitEntry(QLineEdit* box, int maxLength, const MLState& ml) {
    const MLText T{ml, QStringLiteral("EntryLimit")};
    if (maxLength <= 0) {
        box->setMaxLength(32767);
        box->setToolTip(QString());
        return;
    }
    box->setMaxLength(maxLength);
    box->setToolTip(T(QStringLiteral("最多"), 1, 1) + QString::number(maxLength) +
                    T(QStringLiteral("個字元"), 2, 1));
}

} // namespace QtFormTexts
