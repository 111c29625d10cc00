#pragma once
// The checks that keep a project consistent: names of new or renamed groups and contacts, and
// the project as a whole before it is sent to the device. Each shows its own message when it
// refuses and returns false; callers only stop.
#include <QString>

struct EditContext;
struct ProjectImage;

namespace ValidUtil {
// Refused: an empty name, a reserved name ("所有群組" exactly; "ALL GROUP", "ALL USER GROUP",
// "ALL", "NONE" in any letter case; the zone editor's all-groups entry, built in and in the
// applied language), a control character, more than kMaxNameLength characters, a name some
// group already has (letter case ignored).
bool ValidUserGroupName(EditContext& ctx, const QString& name);
// The same rules among the contacts; checkTaken false when the caller has already looked the
// name up among the contacts, letter case ignored (an import's index).
bool ValidUserName(EditContext& ctx, const QString& name, bool checkTaken = true);
// A free text an editor stores (a description, a zone's name, a message): refused with a
// message naming the field (label) and the character when it holds a control character or a
// line or paragraph separator, or naming the count when it has more than maxLength UTF-16
// units (0: no length rule). A text equal to kept (what the project already holds) passes.
bool ValidText(EditContext& ctx, const QString& text, const QString& kept, const QString& label,
               int maxLength);
// True when the project may be downloaded: groups exist and all have names, contacts exist,
// every enabled contact of at least one group has a name and a telephone number, the image
// holds at most 128 groups and 128 notification targets, every number of a contact in a
// group has at most 20 characters, every zone message fits the device in the image's text
// mode, and every zone with a message has a number of the device's zones that no other such
// zone has. Nothing is sent before it passes.
bool CheckBeforeDownload(EditContext& ctx, const ProjectImage& image);

// The form a telephone number is checked and stored in: the text with its blanks, "-", ".",
// "(" and ")" removed, as people write numbers ("(02) 2345-6789", "+886 912.345.678"). The
// contact editor and the CSV import both take it.
QString StoredTelNo(const QString& text);

// The longest name of a group or contact, and of a description, in UTF-16 units.
constexpr int kMaxNameLength = 50;
constexpr int kMaxDescriptionLength = 255;

// The download limits, independent of the model's capacity used while editing.
constexpr int kMaxDownloadGroups = 128;
constexpr int kMaxDownloadTargets = 128;
} // namespace ValidUtil
