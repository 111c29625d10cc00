#pragma once
// Applies a window's texts from the text database to its Qt widgets by object path.
#include <QString>

class QLineEdit;
class QWidget;
class QObject;
struct MLState;

namespace QtFormTexts {
// Finds the object an object path names inside a window: "" is the window, "A.B" is B inside
// container A, "name(n)" is element n of an array (object name "name_n"),
// "sbStatusBar.Panels(n)" is status panel n.
QObject* Resolve(QWidget* window, const QString& objectPath);
// Sets one property: "Caption", "Text" or "TabCaption(n)". False when the object cannot take it.
bool SetText(QObject* target, const QString& propertyName, const QString& text);
// Sets every listed text of the window (even to empty text). Returns the paths that did not
// resolve, for tests.
QStringList Apply(QWidget* window, const MLState& ml, const QString& formName);
// An entry box of at most maxLength characters (0: the box's default), the limit in its
// tooltip.
void LimitEntry(QLineEdit* box, int maxLength, const MLState& ml);
} // namespace QtFormTexts
