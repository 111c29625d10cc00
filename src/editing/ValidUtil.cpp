#include "editing/ValidUtil.h"

#include "base/VBUtil.h"
#include "db/ADOUtil.h"
#include "editing/EditContext.h"
#include "editing/EditTelListForm.h"
#include "editing/EditZoneListForm.h"
#include "editing/KORVAUtil.h"
#include "editing/PhoneBook.h"
#include "ml/MLText.h"
#include "store/MessageRule.h"
#include "store/ProjectSchema.h"

#include <QSet>

namespace ValidUtil {

QString StoredTelNo(const QString& text) {
    QString t;
    t.reserve(text.size());
    for (const QChar c : text)
        if (!c.isSpace() && c != u'-' && c != u'.' && c != u'(' && c != u')') t += c;
    return t;
}
namespace {
using VBUtil::kCrLf;

void Critical(EditContext& ctx, const QString& text, const QString& title) {
    ctx.ui.MsgBox(text, vbOKOnly | vbCritical, title);
}

// Besides the words a zone's target stores, the zone editor's all-groups entry (built in and
// in the applied language): a group of that name would show twice in the target list.
bool IsReserved(const MLState& ml, const QString& name) {
    if (name == QStringLiteral("所有群組") || name == QStringLiteral("所有連絡人群組")) return true;
    for (const char* r : {"ALL GROUP", "ALL USER GROUP", "ALL", "NONE"})
        if (name.compare(QLatin1String(r), Qt::CaseInsensitive) == 0) return true;
    return name.compare(EditZoneListForm::AllGroupsCaption(ml), Qt::CaseInsensitive) == 0;
}

// The first character a name may not hold, as "U+000A": control characters and line or
// paragraph separators (a contact's groups are stored joined by line breaks). Empty: none.
QString ForbiddenChar(const QString& name) {
    for (const QChar c : name) {
        const QChar::Category cat = c.category();
        if (cat == QChar::Other_Control || cat == QChar::Separator_Line ||
            cat == QChar::Separator_Paragraph)
            return QStringLiteral("U+") +
                   QStringLiteral("%1").arg(c.unicode(), 4, 16, QLatin1Char('0')).toUpper();
    }
    return {};
}

// A name with a forbidden character or longer than kMaxNameLength: one message of the
// reserved-name family, naming the character or the length. False when refused.
bool FormOk(EditContext& ctx, const QString& name, bool group) {
    const MLText T{ctx.ml, QStringLiteral("ValidUtil")};
    const QString bad = ForbiddenChar(name);
    if (bad.isEmpty() && name.size() <= kMaxNameLength) return true;
    const QString head = T(QStringLiteral("不合法的使用者群組名稱！"), 1, 3001) + kCrLf +
                         (group ? T(QStringLiteral("本使用者群組名稱"), 2, 3001)
                                : T(QStringLiteral("本使用者名稱"), 3, 3001));
    const QString reason = !bad.isEmpty()
                               ? T(QStringLiteral("不得含有控制字元["), 4, 3001) + bad +
                                     T(QStringLiteral("]（如換行、定位字元）。"), 5, 3001)
                               : T(QStringLiteral("有"), 6, 3001) + QString::number(name.size()) +
                                     T(QStringLiteral("個字元，不得超過50個字元。"), 7, 3001);
    Critical(ctx, head + reason,
             group ? T(QStringLiteral("不合法的使用者群組名稱"), 8, 3001)
                   : T(QStringLiteral("不合法的使用者名稱"), 9, 3001));
    return false;
}

// Whether a row of the table has the name in the field, letter case ignored. Scans a copy,
// so the table's current row stays.
bool NameTaken(const RowSet* rs, const QString& field, const QString& name) {
    auto copy = rs->Clone();
    if (!copy) return false;
    for (copy->MoveFirst(); !copy->Eof(); copy->MoveNext())
        if (ADOUtil::NullToStr(copy->Field(field)).compare(name, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

// "下載取消！" CR LF + the reason, titled "下載取消".
void Cancelled(EditContext& ctx, const QString& head, const QString& reason, const QString& title) {
    Critical(ctx, head + kCrLf + reason, title);
}
// The zones, in one pass. A zone message over the device's length rule in the project's
// current mode (the mode may have changed since the zone was saved; older files may hold
// anything) stops the download; the first such zone is named. Failing that, every zone that
// gives the device a message needs a number of the device's zones, and only one zone may have
// it: the message code (zone + 1, zone + 65) is one byte, so any other number lands on another
// zone's message; the first zone against that is named.
bool ZonesFit(EditContext& ctx, bool isUnicode) {
    const MLText T{ctx.ml, QStringLiteral("ValidUtil")};
    RowSet* zoneRs = ctx.project.Zones.get();
    if (!zoneRs || !zoneRs->IsOpen()) return true;
    auto copy = zoneRs->Clone();
    const int no = copy->FieldIndex(ProjectSchema::kZoneNo);
    const int alarmAt = copy->FieldIndex(ProjectSchema::kAlarmSMS);
    const int resetAt = copy->FieldIndex(ProjectSchema::kResetSMS);
    MessageRule::AnsiEncoder ansi;
    QSet<int> taken;
    QString badNumber; // the message for the first zone whose number does not do
    for (copy->MoveFirst(); !copy->Eof(); copy->MoveNext()) {
        const QString zone = ADOUtil::FieldText(copy.get(), no);
        const QString alarm = ADOUtil::FieldText(copy.get(), alarmAt);
        const QString reset = ADOUtil::FieldText(copy.get(), resetAt);
        const bool alarmFits = MessageRule::Fits(alarm, isUnicode, &ansi);
        if (!alarmFits || !MessageRule::Fits(reset, isUnicode, &ansi)) {
            const QString which = alarmFits
                                      ? T(QStringLiteral("]的警報復歸訊息["), 4, 2003) + reset
                                      : T(QStringLiteral("]的警報發起訊息["), 3, 2003) + alarm;
            const QString rule = isUnicode ? T(QStringLiteral("]長度超過70個字。"), 5, 2003)
                                           : T(QStringLiteral("]長度超過160個位元組。"), 6, 2003);
            Cancelled(ctx, T(QStringLiteral("下載取消！"), 1, 2003),
                      T(QStringLiteral("警報點["), 2, 2003) + zone + which + rule,
                      T(QStringLiteral("下載取消"), 7, 2003));
            return false;
        }
        if (!badNumber.isEmpty() || (alarm.isEmpty() && reset.isEmpty()))
            continue; // no record, or a zone already named
        bool number = false;
        const int n = zone.toInt(&number);
        QString reason;
        if (!number || n < 0 || n >= PhoneBook::kZoneCount)
            reason = T(QStringLiteral("]不是此機型的警報點 (0 至 63)。"), 3, 20102);
        else if (taken.contains(n))
            reason = T(QStringLiteral("]重複出現，兩個警報點的簡訊會互相覆蓋。"), 4, 20102);
        if (reason.isEmpty())
            taken.insert(n);
        else
            badNumber = T(QStringLiteral("警報點["), 2, 20102) + zone + reason;
    }
    if (badNumber.isEmpty()) return true;
    Cancelled(ctx, T(QStringLiteral("下載取消！"), 1, 20102), badNumber,
              T(QStringLiteral("下載取消"), 5, 20102));
    return false;
}

// A number longer than the contact editor takes (a file edited elsewhere) would not fit the
// dialer's number field; far longer, its record's length byte would wrap.
bool NumberFits(EditContext& ctx, const QString& userName, const QString& phone) {
    const MLText T{ctx.ml, QStringLiteral("ValidUtil")};
    const qsizetype length = phone.trimmed().size();
    if (length <= EditTelListForm::kMaxTelDigits) return true;
    Cancelled(ctx, T(QStringLiteral("下載取消！"), 1, 20101),
              T(QStringLiteral("連絡人["), 2, 20101) + userName +
                  T(QStringLiteral("]的電話號碼有"), 3, 20101) + QString::number(length) +
                  T(QStringLiteral("個字元，不得超過20個字元。"), 4, 20101),
              T(QStringLiteral("下載取消"), 5, 20101));
    return false;
}

} // namespace

bool ValidText(EditContext& ctx, const QString& text, const QString& kept, const QString& label,
               int maxLength) {
    const MLText T{ctx.ml, QStringLiteral("ValidUtil")};
    if (text == kept) return true;
    const QString bad = ForbiddenChar(text);
    if (bad.isEmpty() && (maxLength <= 0 || text.size() <= maxLength)) return true;
    const QString reason =
        !bad.isEmpty() ? T(QStringLiteral("]不得含有控制字元["), 1, 21001) + bad +
                             T(QStringLiteral("]（如換行、定位字元）。"), 2, 21001)
                       : T(QStringLiteral("]有"), 3, 21001) + QString::number(text.size()) +
                             T(QStringLiteral("個字元，不得超過"), 4, 21001) +
                             QString::number(maxLength) + T(QStringLiteral("個字元。"), 5, 21001);
    Critical(ctx, u'[' + label + reason, T(QStringLiteral("不合法的文字"), 6, 21001));
    return false;
}

bool ValidUserGroupName(EditContext& ctx, const QString& name) {
    const MLText T{ctx.ml, QStringLiteral("ValidUtil")};
    const MLState& ml = ctx.ml;
    if (name.isEmpty()) {
        Critical(ctx, T(QStringLiteral("本使用者群組名稱不得為空白。"), 1, 10),
                 T(QStringLiteral("本使用者群組名稱不得為空白"), 2, 10));
        return false;
    }
    if (IsReserved(ml, name)) {
        Critical(ctx,
                 T(QStringLiteral("不合法的使用者群組名稱！"), 1, 15) + kCrLf +
                     T(QStringLiteral("本使用者群組名稱["), 2, 15) + name +
                     T(QStringLiteral("]不得和以下名稱相同:"), 3, 15) + kCrLf +
                     T(QStringLiteral("[所有群組]、[ALL GROUP]、[ALL USER GROUP]、[ALL]、[NONE]"),
                       4, 15),
                 T(QStringLiteral("不合法的使用者群組名稱"), 5, 15));
        return false;
    }
    if (!FormOk(ctx, name, true)) return false;
    RowSet* groups = ctx.project.UserGroups.get();
    if (ADOUtil::GetRecordCount(groups) <= 0) return true;
    if (NameTaken(groups, ProjectSchema::kGroupName, name)) {
        Critical(ctx,
                 T(QStringLiteral("本使用者群組名稱["), 1, 26) + name +
                     T(QStringLiteral("]已經存在。"), 2, 26),
                 T(QStringLiteral("本使用者群組名稱已經存在"), 3, 26));
        return false;
    }
    return true;
}

bool ValidUserName(EditContext& ctx, const QString& name, bool checkTaken) {
    const MLText T{ctx.ml, QStringLiteral("ValidUtil")};
    const MLState& ml = ctx.ml;
    if (name.isEmpty()) {
        Critical(ctx, T(QStringLiteral("本使用者名稱不得為空白。"), 1, 44),
                 T(QStringLiteral("本使用者名稱不得為空白"), 2, 44));
        return false;
    }
    if (IsReserved(ml, name)) {
        Critical(ctx,
                 T(QStringLiteral("不合法的使用者群組名稱！"), 1, 49) + kCrLf +
                     T(QStringLiteral("本使用者名稱["), 2, 49) + name +
                     T(QStringLiteral("]不得和以下名稱相同:"), 3, 49) + kCrLf +
                     T(QStringLiteral("[所有群組]、[ALL GROUP]、[ALL USER GROUP]、[ALL]、[NONE]"),
                       4, 49),
                 T(QStringLiteral("不合法的使用者群組名稱"), 5, 49));
        return false;
    }
    if (!FormOk(ctx, name, false)) return false;
    RowSet* users = ctx.project.Users.get();
    if (!checkTaken || ADOUtil::GetRecordCount(users) <= 0) return true;
    if (NameTaken(users, ProjectSchema::kUserName, name)) {
        Critical(ctx,
                 T(QStringLiteral("本電話使用者名稱["), 1, 60) + name +
                     T(QStringLiteral("]已經存在。"), 2, 60),
                 T(QStringLiteral("本電話使用者名稱已經存在"), 3, 60));
        return false;
    }
    return true;
}

bool CheckBeforeDownload(EditContext& ctx, const ProjectImage& image) {
    const MLText T{ctx.ml, QStringLiteral("ValidUtil")};
    OpenProject& p = ctx.project;
    RowSet* groupRs = p.UserGroups.get();
    RowSet* userRs = p.Users.get();

    if (ADOUtil::GetRecordCount(groupRs) <= 0) {
        Cancelled(ctx, T(QStringLiteral("下載取消！"), 1, 102),
                  T(QStringLiteral("未設定使用者群組及使用者。"), 2, 102),
                  T(QStringLiteral("下載取消"), 3, 102));
        return false;
    }
    QStringList groups;
    {
        auto copy = groupRs->Clone();
        for (copy->MoveFirst(); !copy->Eof(); copy->MoveNext()) {
            const QString name = ADOUtil::NullToStr(copy->Field(ProjectSchema::kGroupName));
            if (name.isEmpty()) {
                Cancelled(ctx, T(QStringLiteral("下載取消！"), 1, 92),
                          T(QStringLiteral("未設定使用者群組及使用者。"), 2, 92),
                          T(QStringLiteral("下載取消"), 3, 92));
                return false;
            }
            groups << name;
        }
    }
    if (ADOUtil::GetRecordCount(userRs) <= 0) {
        Cancelled(ctx, T(QStringLiteral("下載取消！"), 1, 136),
                  QString::number(groups.size()) +
                      T(QStringLiteral("筆使用者群組未設定使用者。"), 2, 136),
                  T(QStringLiteral("下載取消"), 3, 136));
        return false;
    }
    {
        auto copy = userRs->Clone();
        for (copy->MoveFirst(); !copy->Eof(); copy->MoveNext()) {
            const QString list = ADOUtil::NullToStr(copy->Field(ProjectSchema::kGroupName));
            const QString userName = ADOUtil::NullToStr(copy->Field(ProjectSchema::kUserName));
            const QString phone = ADOUtil::NullToStr(copy->Field(ProjectSchema::kPhoneNumber));
            // Only a stored "no" counts as enabled here; an unknown state is not held against
            // the contact.
            const QVariant flag = copy->Field(ProjectSchema::kIsDisable);
            const bool enabled = flag.isValid() && !flag.isNull() && !flag.toBool();
            // Every membership gives the device a phonebook record, so every contact with one
            // is examined; the message names the first group of its list.
            QString group;
            for (const QString& element : KORVAUtil::SplitGroupList(list)) {
                group = element.trimmed();
                if (!group.isEmpty()) break;
            }
            if (!group.isEmpty()) {
                if (userName.isEmpty() && enabled) {
                    Cancelled(ctx, T(QStringLiteral("下載取消！"), 1, 117),
                              T(QStringLiteral("此使用者群組名稱["), 2, 117) + group +
                                  T(QStringLiteral("]未設定使用者。"), 3, 117),
                              T(QStringLiteral("下載取消"), 4, 117));
                    return false;
                }
                // The number as it is sent: blanks around it are not a number.
                if (phone.trimmed().isEmpty() && enabled) {
                    Cancelled(ctx, T(QStringLiteral("下載取消！"), 1, 122),
                              T(QStringLiteral("此使用者群組名稱["), 2, 122) + group +
                                  T(QStringLiteral("]下的使用者["), 3, 122) + userName +
                                  T(QStringLiteral("]未設定電話號碼。"), 4, 122),
                              T(QStringLiteral("下載取消"), 5, 122));
                    return false;
                }
                if (!NumberFits(ctx, userName, phone)) return false;
            }
        }
    }
    if (image.groups.size() > kMaxDownloadGroups) {
        Cancelled(ctx, T(QStringLiteral("下載取消！"), 1, 2001),
                  T(QStringLiteral("專案的群組不得超過128筆。"), 2, 2001),
                  T(QStringLiteral("下載取消"), 3, 2001));
        return false;
    }
    if (image.phoneBook.size() > kMaxDownloadTargets) {
        Cancelled(ctx, T(QStringLiteral("下載取消！"), 1, 2002),
                  T(QStringLiteral("專案的通知對象[群組/連絡人]不得超過128筆。"), 2, 2002),
                  T(QStringLiteral("下載取消"), 3, 2002));
        return false;
    }
    return ZonesFit(ctx, image.isUnicode);
}
} // namespace ValidUtil
