#pragma once
// A project's content as the dialer and the person see it (basic information, groups,
// contacts in phonebook order, zones), independent of file bytes, and the differences between
// two of them grouped by kind.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>

class Connection;
struct MLState;
struct OpenProject;

struct ProjectContent {
    struct Group {
        QString name;
        QString description;
    };
    struct Contact {
        QString name;
        QString number; // as sent: blanks around it removed
        bool disabled = false;
        QStringList groups; // memberships in order, blanks around each removed
        QString description;
    };
    struct Zone {
        int no = 0;
        QString name;
        QString target;
        QString alarm; // as sent: in a non-Unicode project the characters Big5 lacks read "?"
        QString reset;
        bool disabled = false;
    };
    QString createdBy;
    QString description;
    QString model;
    bool unicode = false;
    QVector<Group> groups;
    QVector<Contact> contacts; // stored order: the phonebook's k numbers follow it
    QVector<Zone> zones;

    QByteArray ToJson() const;
    // False for bytes that are not a content document.
    static bool FromJson(const QByteArray& json, ProjectContent& out);
};

namespace ProjectDiff {
enum class Section { Basic, Groups, Contacts, Zones };
enum class Change { Added, Removed, Changed };

// One difference. A change names its field ("number", "order", ...) with both values; an
// added or removed entry names only its key.
struct Item {
    Section section = Section::Basic;
    Change change = Change::Changed;
    QString key; // the group, contact or zone ("3" for zone 3); empty for the whole section
    QString field;
    QString before;
    QString after;
};

// The content of a project's tables over a connection.
ProjectContent Read(const Connection& conn);
// The open project (its working copy as it is now).
ProjectContent Read(const OpenProject& project);
// A project file, opened for reading only; false with why when it cannot be read.
bool ReadFile(const QString& path, ProjectContent& out, QString* why);

// Every difference from a to b, grouped by section (basic, groups, contacts, zones); names
// are matched with letter case ignored. Empty when both hold the same content.
QVector<Item> Compare(const ProjectContent& a, const ProjectContent& b);

// The differences as lines in the applied language, a heading before each section.
QStringList Describe(const MLState& ml, const QVector<Item>& items);
// The section, change and field words scripts read (not translated).
QString SectionKey(Section s);
QString ChangeKey(Change c);
QByteArray ToJson(const QVector<Item>& items);
} // namespace ProjectDiff
