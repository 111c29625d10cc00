#pragma once
// The printable sheet of a project: its basic information, the memory it takes against the
// model's capacity, the groups with their members and numbers, and the zones with their
// targets and messages. Collected from the open row sets and laid out as HTML; painting it
// on pages is the printing side's work.
#include <QDate>
#include <QString>
#include <QVector>

struct MLState;
struct StoreContext;

struct SheetContact {
    QString name;
    QString phone;
    QString description;
    bool disabled = false;
};

struct SheetGroup {
    int number = 0; // the position the device knows the group by
    QString name;
    QString description;
    QVector<SheetContact> members; // in table order
};

struct SheetZone {
    int number = 0;
    QString name;
    QString description;
    QString target; // the stored target: a group name, "ALL" or empty
    QString alarm;
    QString reset;
    bool disabled = false;
};

// A successful download of this project, from the download history.
struct SheetDownload {
    QString serialNo;
    QString model;
    QString when; // local date and time, minutes
};

struct ProjectSheetData {
    QString projectName;
    QString creator;
    QString description;
    QString model;
    QDate created;
    QDate modified;
    bool isUnicode = false;
    int memoryUsed = 0; // bytes of device memory, as the download counts them
    int memoryCapacity = 0;
    int phoneBookEntries = 0;
    int maxTelNo = 0;
    QVector<SheetGroup> groups;
    QVector<SheetContact> ungrouped; // contacts in no group of the project
    QVector<SheetZone> zones;
    QVector<SheetDownload> downloads; // the last successful ones, newest first
};

namespace ProjectSheet {
constexpr int kDownloadsShown = 5;
// Reads the open project (the row sets' current rows do not move).
ProjectSheetData Collect(const StoreContext& ctx);
// The sheet as HTML in the applied language; every project text is escaped.
QString Html(const ProjectSheetData& sheet, const MLState& ml);
// The footer line of a page: the project's name and the page of all pages.
QString Footer(const MLState& ml, const QString& projectName, int page, int pages);
} // namespace ProjectSheet
