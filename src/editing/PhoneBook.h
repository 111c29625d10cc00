#pragma once
// The project as the device stores it: the group list, the phonebook (one entry per contact
// and group membership) and the short messages (an alarm and a reset entry per zone), with
// the bytes they occupy. Built before every download; the pre-download check reads its counts.
#include "store/MessageRule.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>
#include <memory>

struct OpenProject;

struct PhoneBookEntry {
    QString PhoneNumber; // the contact's number, blanks around it removed
    bool IsDisable = false;
    int groupNo = 0; // 1-based position in the group list; 0: no group of that name
    int length = 0;  // characters of PhoneNumber
};

struct ShortMessageEntry {
    bool IsDisable = false;
    int groupNo = 0; // 0: all groups; a group's position; kNoTargetGroup: nobody
    QString text;
    int code = 0;     // ZoneNo + 1 (alarm) or ZoneNo + 65 (reset)
    QByteArray bytes; // the text in the project's encoding
};

struct ProjectImage {
    QStringList groups; // named groups in table order
    QVector<PhoneBookEntry> phoneBook;
    QVector<ShortMessageEntry> shortMessages;
    bool isUnicode = false;
    int projectSize = 0; // bytes of device memory the project takes
};

namespace PhoneBook {
// The group number of a zone whose target names no group of the list (an empty target
// included): no group has it, so the device notifies nobody. (0 would mean all groups.)
constexpr int kNoTargetGroup = 0xFF;
constexpr int kAlarmCodeOffset = 1;
constexpr int kResetCodeOffset = 65;
// The device's zones are 0 to 63 (one per coil of its alarm map): their alarm codes 1..64 and
// reset codes 65..128 fit the one-byte message code without meeting.
constexpr int kZoneCount = 64;
constexpr int kEntryOverhead = 4; // bytes of device memory per phonebook or message entry

// Text in the local code page of non-Unicode messages (Big5): a double-byte character takes
// two bytes; a character the code page lacks becomes "?".
QByteArray AnsiBytes(const QString& text);
// The characters of text that the local code page lacks, each once, in order of appearance
// (a character beyond the 16-bit range counts as one).
QStringList CharsWithoutAnsi(const QString& text);
// text with every character the local code page lacks written as "?", as it is sent.
QString WithoutAnsiGaps(const QString& text, MessageRule::AnsiEncoder* ansi = nullptr);
// A short message's bytes: UTF-16 high byte first with Unicode, else the local code page.
QByteArray MessageBytes(const QString& text, bool isUnicode,
                        MessageRule::AnsiEncoder* ansi = nullptr);
// A telephone number's bytes, one per character ("?" for any character beyond ASCII).
QByteArray PhoneBytes(const QString& phone);

// Basic.IsUnicode of the first Basic row; previous when the table has no row.
bool ReadIsUnicode(const OpenProject& project, bool previous);
// Builds the whole image from the open row sets (their current rows do not move).
ProjectImage BuildImages(const OpenProject& project, bool previousIsUnicode);

// The image from rows handed over in table order, for a reader that walks the tables itself:
// every group first, then the contacts and zones.
class ImageBuilder {
public:
    explicit ImageBuilder(bool isUnicode);
    ~ImageBuilder();
    void AddGroup(const QString& name); // an empty name is no group
    // groupList: the contact's GroupName split into its elements (KORVAUtil::SplitGroupList).
    void AddContact(const QString& phone, bool disabled, const QStringList& groupList);
    void AddZone(int zoneNo, bool disabled, const QString& target, const QString& alarm,
                 const QString& reset);
    ProjectImage Finish();

private:
    class GroupNumbers;
    const GroupNumbers& Numbers();
    ProjectImage m_image;
    std::unique_ptr<GroupNumbers> m_numbers; // made at the first contact or zone
    MessageRule::AnsiEncoder m_ansi;
};
} // namespace PhoneBook
