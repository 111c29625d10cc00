#pragma once
// A combo box of the add and move dialogs as the core sees it: the texts shown, the name each
// one stands for, the entry shown, and the placeholder that stands in for an empty list.
// The name is kept beside the text, so a name that itself contains "(" is never cut.
#include <QString>
#include <QStringList>
#include <functional>

struct OpenProject;

struct ComboList {
    QStringList items; // texts shown: name, or name(description)
    QStringList names; // the group or contact each item names
    int index = -1;    // the entry shown; -1 none
    bool enabled = true;
    bool placeholder = false; // the list shows only its placeholder

    void Clear() {
        items.clear();
        names.clear();
        index = -1;
        enabled = true;
        placeholder = false;
    }
    void Add(const QString& name, const QString& text) {
        items << text;
        names << name;
    }
    // One disabled entry saying that there is nothing to choose.
    void SetPlaceholder(const QString& text) {
        Clear();
        items << text;
        names << QString();
        index = 0;
        enabled = false;
        placeholder = true;
    }
    // Every named group in table order, as name(description), except those skip refuses;
    // the first one shown.
    void FillGroups(const OpenProject& project, const std::function<bool(const QString&)>& skip);
    // The name of the entry shown; empty for the placeholder or no entry.
    QString SelectedName() const {
        return placeholder || index < 0 || index >= names.size() ? QString() : names[index];
    }
};
