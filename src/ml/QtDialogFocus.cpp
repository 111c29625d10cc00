#include "ml/QtDialogFocus.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTextEdit>

namespace QtDialogFocus {

bool IsField(const QWidget* w) {
    return qobject_cast<const QLineEdit*>(w) || qobject_cast<const QAbstractSpinBox*>(w) ||
           qobject_cast<const QComboBox*>(w) || qobject_cast<const QTextEdit*>(w) ||
           qobject_cast<const QPlainTextEdit*>(w) || qobject_cast<const QAbstractItemView*>(w) ||
           qobject_cast<const QCheckBox*>(w) || qobject_cast<const QRadioButton*>(w) ||
           qobject_cast<const QAbstractSlider*>(w);
}

QWidget* FirstField(QWidget* dialog) {
    for (QWidget* w = dialog->nextInFocusChain(); w && w != dialog; w = w->nextInFocusChain()) {
        if (!dialog->isAncestorOf(w) || !IsField(w)) continue;
        if ((w->focusPolicy() & Qt::TabFocus) && w->isEnabled() && w->isVisibleTo(dialog)) return w;
    }
    return nullptr;
}

void FocusFirstField(QWidget* dialog) {
    const QWidget* now = dialog->focusWidget();
    if (now && IsField(now) && now->isEnabled() && now->isVisibleTo(dialog)) return;
    if (QWidget* first = FirstField(dialog)) first->setFocus(Qt::TabFocusReason);
}

} // namespace QtDialogFocus
