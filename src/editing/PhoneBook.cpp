#include "editing/PhoneBook.h"

#include "db/ADOUtil.h"
#include "editing/KORVAUtil.h"
#include "store/MessageRule.h"
#include "store/OpenProject.h"
#include "store/ProjectColumns.h"
#include "store/ProjectSchema.h"

#include <QHash>
#include <QStringEncoder>
#include <optional>

namespace PhoneBook {
namespace {
using ADOUtil::FieldText;

bool Flag(const RowSet* rs, const QString& field) {
    return ADOUtil::FieldFlag(rs, rs->FieldIndex(field));
}
} // namespace

QByteArray AnsiBytes(const QString& text) {
    return MessageRule::AnsiBytes(text);
}

namespace {
// One character (a surrogate pair whole) at a time: true when the code page has it. One
// per text: making an encoder loads the code page, so one is kept until it meets a character
// it lacks (its error stays set).
class AnsiCheck {
public:
    bool Has(const QString& ch) {
        if (ch == QLatin1String("?")) return true;
        if (!m_big5 || m_big5->hasError()) m_big5.emplace("Big5");
        const QByteArray bytes = m_big5->encode(ch);
        return !m_big5->hasError() && bytes != "?";
    }

private:
    std::optional<QStringEncoder> m_big5;
};

// True when the code page has every character of text, told by one encoding of the whole:
// no error, and no "?" but the text's own (none is inside a Big5 double-byte character).
bool AllInAnsi(const QString& text, MessageRule::AnsiEncoder* ansi) {
    MessageRule::AnsiEncoder own;
    bool complete = false;
    const QByteArray bytes = (ansi ? ansi : &own)->Bytes(text, &complete);
    return complete && bytes.count('?') == text.count(u'?');
}

// Calls f with each character of text, a surrogate pair as one.
template <typename F> void EachChar(const QString& text, F f) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype n =
            text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate() ? 2
                                                                                             : 1;
        f(text.mid(i, n));
        i += n - 1;
    }
}
} // namespace

QStringList CharsWithoutAnsi(const QString& text) {
    QStringList out;
    if (AllInAnsi(text, nullptr)) return out;
    AnsiCheck ansi;
    EachChar(text, [&](const QString& ch) {
        if (!out.contains(ch) && !ansi.Has(ch)) out << ch;
    });
    return out;
}

QString WithoutAnsiGaps(const QString& text, MessageRule::AnsiEncoder* ansi) {
    if (AllInAnsi(text, ansi)) return text;
    QString out;
    out.reserve(text.size());
    AnsiCheck each;
    EachChar(text, [&](const QString& ch) { out += each.Has(ch) ? ch : QStringLiteral("?"); });
    return out;
}

QByteArray MessageBytes(const QString& text, bool isUnicode, MessageRule::AnsiEncoder* ansi) {
    if (!isUnicode) return ansi ? ansi->Bytes(text) : AnsiBytes(text);
    QByteArray out;
    out.reserve(text.size() * 2);
    for (const QChar c : text) {
        out.append(char(c.unicode() >> 8));
        out.append(char(c.unicode() & 0xFF));
    }
    return out;
}

QByteArray PhoneBytes(const QString& phone) {
    QByteArray out;
    out.reserve(phone.size());
    for (const QChar c : phone)
        out.append(c.unicode() < 0x80 ? char(c.unicode()) : '?');
    return out;
}

bool ReadIsUnicode(const OpenProject& project, bool previous) {
    if (!project.Basic) return previous;
    auto basic = project.Basic->Clone();
    if (!basic) return previous;
    basic->MoveFirst();
    if (basic->Eof()) return previous;
    return Flag(basic.get(), ProjectSchema::kIsUnicode);
}

// The 1-based position of the first group whose name equals a name, compared upper-cased;
// each group is upper-cased once.
class ImageBuilder::GroupNumbers {
public:
    explicit GroupNumbers(const QStringList& groups) {
        m_numbers.reserve(groups.size());
        for (int i = 0; i < groups.size(); ++i) {
            const QString upper = groups[i].toUpper();
            if (!m_numbers.contains(upper)) m_numbers.insert(upper, i + 1);
        }
    }
    int Of(const QString& name) const { return m_numbers.value(name.toUpper(), 0); }

private:
    QHash<QString, int> m_numbers;
};

ImageBuilder::ImageBuilder(bool isUnicode) {
    m_image.isUnicode = isUnicode;
}

ImageBuilder::~ImageBuilder() = default;

const ImageBuilder::GroupNumbers& ImageBuilder::Numbers() {
    if (!m_numbers) m_numbers = std::make_unique<GroupNumbers>(m_image.groups);
    return *m_numbers;
}

void ImageBuilder::AddGroup(const QString& name) {
    if (!name.isEmpty()) m_image.groups << name;
}

void ImageBuilder::AddContact(const QString& phone, bool disabled, const QStringList& groupList) {
    // The device dials what it is given: the number as checked, without blanks.
    const QString number = phone.trimmed();
    for (const QString& element : groupList) {
        const QString group = element.trimmed();
        if (group.isEmpty()) continue;
        m_image.phoneBook.append({number, disabled, Numbers().Of(group), int(number.size())});
    }
}

void ImageBuilder::AddZone(int zoneNo, bool disabled, const QString& target, const QString& alarm,
                           const QString& reset) {
    int groupNo = 0;
    if (target.toUpper() != QLatin1String("ALL")) {
        groupNo = Numbers().Of(target);
        if (groupNo == 0) groupNo = kNoTargetGroup;
    }
    if (!alarm.isEmpty())
        m_image.shortMessages.append({disabled, groupNo, alarm, zoneNo + kAlarmCodeOffset,
                                      MessageBytes(alarm, m_image.isUnicode, &m_ansi)});
    if (!reset.isEmpty())
        m_image.shortMessages.append({disabled, groupNo, reset, zoneNo + kResetCodeOffset,
                                      MessageBytes(reset, m_image.isUnicode, &m_ansi)});
}

ProjectImage ImageBuilder::Finish() {
    int size = 0;
    for (const PhoneBookEntry& e : m_image.phoneBook)
        size += e.length + kEntryOverhead;
    for (const ShortMessageEntry& e : m_image.shortMessages)
        size += int(e.bytes.size()) + kEntryOverhead;
    m_image.projectSize = size;
    return std::move(m_image);
}

ProjectImage BuildImages(const OpenProject& project, bool previousIsUnicode) {
    ImageBuilder image(ReadIsUnicode(project, previousIsUnicode));
    using ADOUtil::FieldFlag;
    if (project.UserGroups && project.UserGroups->IsOpen()) {
        auto rs = project.UserGroups->Clone();
        const int name = rs->FieldIndex(ProjectSchema::kGroupName);
        for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext())
            image.AddGroup(FieldText(rs.get(), name));
    }
    if (project.Users && project.Users->IsOpen()) {
        auto rs = project.Users->Clone();
        const ProjectSchema::ContactColumns col(*rs);
        for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext())
            image.AddContact(FieldText(rs.get(), col.phone), FieldFlag(rs.get(), col.disabled),
                             KORVAUtil::SplitGroupList(FieldText(rs.get(), col.groups)));
    }
    if (project.Zones && project.Zones->IsOpen()) {
        auto rs = project.Zones->Clone();
        const ProjectSchema::ZoneColumns col(*rs);
        for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext())
            image.AddZone(rs->FieldAt(col.no).toInt(), FieldFlag(rs.get(), col.disabled),
                          FieldText(rs.get(), col.target), FieldText(rs.get(), col.alarm),
                          FieldText(rs.get(), col.reset));
    }
    return image.Finish();
}
} // namespace PhoneBook
