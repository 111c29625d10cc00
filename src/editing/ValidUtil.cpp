#include "editing/ValidUtil.h"

#include "base/VBUtil.h"
#include "db/ADOUtil.h"
#include "editing/EditContext.h"
#include "editing/EditZoneListForm.h"
#include "editing/KORVAUtil.h"
#include "editing/PhoneBook.h"
#include "store/ProjectSchema.h"

namespace ValidUtil {
namespace {
using VBUtil::kCrLf;

bool IsReserved(const QString& name) {
    if (name == QStringLiteral("所有群組")) return true;
    for (const char* r : {"ALL GROUP", "ALL USER GROUP", "ALL", "NONE"})
        if (name.compare(QLatin1String(r), Qt::CaseInsensitive) == 0) return true;
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

void Critical(EditContext& ctx, const QString& text, const QString& title) {
    ctx.ui.MsgBox(text, vbOKOnly | vbCritical, title);
}

// "下載取消！" CR LF + the reason, titled "下載取消".
void Cancelled(EditContext& ctx, const QString& head, const QString& reason, const QString& title) {
    Critical(ctx, head + kCrLf + reason, title);
}
// A zone message over the device's length rule in the project's current mode (the mode may
// have changed since the zone was saved; older files may hold anything) stops the download.
bool MessagesFit(EditContext& ctx, bool isUnicode) {
    const MLState& ml = ctx.ml;
    RowSet* zoneRs = ctx.project.Zones.get();
    if (!zoneRs || !zoneRs->IsOpen()) return true;
    auto copy = zoneRs->Clone();
    for (copy->MoveFirst(); !copy->Eof(); copy->MoveNext()) {
        const QString zone = ADOUtil::NullToStr(copy->Field(ProjectSchema::kZoneNo));
        const QString alarm = ADOUtil::NullToStr(copy->Field(ProjectSchema::kAlarmSMS));
        const QString reset = ADOUtil::NullToStr(copy->Field(ProjectSchema::kResetSMS));
        const bool alarmFits = EditZoneListForm::MessageFits(alarm, isUnicode);
        if (alarmFits && EditZoneListForm::MessageFits(reset, isUnicode)) continue;
        const QString which = alarmFits ? GetMLText(ml, QStringLiteral("]的警報復歸訊息["), 4, 2003,
                                                    QStringLiteral("ValidUtil")) +
                                              reset
                                        : GetMLText(ml, QStringLiteral("]的警報發起訊息["), 3, 2003,
                                                    QStringLiteral("ValidUtil")) +
                                              alarm;
        const QString rule = isUnicode ? GetMLText(ml, QStringLiteral("]長度超過70個字。"), 5, 2003,
                                                   QStringLiteral("ValidUtil"))
                                       : GetMLText(ml, QStringLiteral("]長度超過160個位元組。"), 6,
                                                   2003, QStringLiteral("ValidUtil"));
        Cancelled(ctx,
                  GetMLText(ml, QStringLiteral("下載取消！"), 1, 2003, QStringLiteral("ValidUtil")),
                  GetMLText(ml, QStringLiteral("警報點["), 2, 2003, QStringLiteral("ValidUtil")) +
                      zone + which + rule,
                  GetMLText(ml, QStringLiteral("下載取消"), 7, 2003, QStringLiteral("ValidUtil")));
        return false;
    }
    return true;
}
} // namespace

bool ValidUserGroupName(EditContext& ctx, const QString& name) {
    const MLState& ml = ctx.ml;
    if (name.isEmpty()) {
        Critical(ctx,
                 GetMLText(ml, QStringLiteral("本使用者群組名稱不得為空白。"), 1, 10,
                           QStringLiteral("ValidUtil")),
                 GetMLText(ml, QStringLiteral("本使用者群組名稱不得為空白"), 2, 10,
                           QStringLiteral("ValidUtil")));
        return false;
    }
    if (IsReserved(name)) {
        Critical(ctx,
                 GetMLText(ml, QStringLiteral("不合法的使用者群組名稱！"), 1, 15,
                           QStringLiteral("ValidUtil")) +
                     kCrLf +
                     GetMLText(ml, QStringLiteral("本使用者群組名稱["), 2, 15,
                               QStringLiteral("ValidUtil")) +
                     name +
                     GetMLText(ml, QStringLiteral("]不得和以下名稱相同:"), 3, 15,
                               QStringLiteral("ValidUtil")) +
                     kCrLf +
                     GetMLText(
                         ml,
                         QStringLiteral("[所有群組]、[ALL GROUP]、[ALL USER GROUP]、[ALL]、[NONE]"),
                         4, 15, QStringLiteral("ValidUtil")),
                 GetMLText(ml, QStringLiteral("不合法的使用者群組名稱"), 5, 15,
                           QStringLiteral("ValidUtil")));
        return false;
    }
    RowSet* groups = ctx.project.UserGroups.get();
    if (ADOUtil::GetRecordCount(groups) <= 0) return true;
    if (NameTaken(groups, ProjectSchema::kGroupName, name)) {
        Critical(
            ctx,
            GetMLText(ml, QStringLiteral("本使用者群組名稱["), 1, 26, QStringLiteral("ValidUtil")) +
                name +
                GetMLText(ml, QStringLiteral("]已經存在。"), 2, 26, QStringLiteral("ValidUtil")),
            GetMLText(ml, QStringLiteral("本使用者群組名稱已經存在"), 3, 26,
                      QStringLiteral("ValidUtil")));
        return false;
    }
    return true;
}

bool ValidUserName(EditContext& ctx, const QString& name) {
    const MLState& ml = ctx.ml;
    if (name.isEmpty()) {
        Critical(ctx,
                 GetMLText(ml, QStringLiteral("本使用者名稱不得為空白。"), 1, 44,
                           QStringLiteral("ValidUtil")),
                 GetMLText(ml, QStringLiteral("本使用者名稱不得為空白"), 2, 44,
                           QStringLiteral("ValidUtil")));
        return false;
    }
    if (IsReserved(name)) {
        Critical(
            ctx,
            GetMLText(ml, QStringLiteral("不合法的使用者群組名稱！"), 1, 49,
                      QStringLiteral("ValidUtil")) +
                kCrLf +
                GetMLText(ml, QStringLiteral("本使用者名稱["), 2, 49, QStringLiteral("ValidUtil")) +
                name +
                GetMLText(ml, QStringLiteral("]不得和以下名稱相同:"), 3, 49,
                          QStringLiteral("ValidUtil")) +
                kCrLf +
                GetMLText(
                    ml, QStringLiteral("[所有群組]、[ALL GROUP]、[ALL USER GROUP]、[ALL]、[NONE]"),
                    4, 49, QStringLiteral("ValidUtil")),
            GetMLText(ml, QStringLiteral("不合法的使用者群組名稱"), 5, 49,
                      QStringLiteral("ValidUtil")));
        return false;
    }
    RowSet* users = ctx.project.Users.get();
    if (ADOUtil::GetRecordCount(users) <= 0) return true;
    if (NameTaken(users, ProjectSchema::kUserName, name)) {
        Critical(
            ctx,
            GetMLText(ml, QStringLiteral("本電話使用者名稱["), 1, 60, QStringLiteral("ValidUtil")) +
                name +
                GetMLText(ml, QStringLiteral("]已經存在。"), 2, 60, QStringLiteral("ValidUtil")),
            GetMLText(ml, QStringLiteral("本電話使用者名稱已經存在"), 3, 60,
                      QStringLiteral("ValidUtil")));
        return false;
    }
    return true;
}

bool CheckBeforeDownload(EditContext& ctx, const ProjectImage& image) {
    const MLState& ml = ctx.ml;
    OpenProject& p = ctx.project;
    RowSet* groupRs = p.UserGroups.get();
    RowSet* userRs = p.Users.get();

    if (ADOUtil::GetRecordCount(groupRs) <= 0) {
        Cancelled(ctx,
                  GetMLText(ml, QStringLiteral("下載取消！"), 1, 102, QStringLiteral("ValidUtil")),
                  GetMLText(ml, QStringLiteral("未設定使用者群組及使用者。"), 2, 102,
                            QStringLiteral("ValidUtil")),
                  GetMLText(ml, QStringLiteral("下載取消"), 3, 102, QStringLiteral("ValidUtil")));
        return false;
    }
    QStringList groups;
    {
        auto copy = groupRs->Clone();
        for (copy->MoveFirst(); !copy->Eof(); copy->MoveNext()) {
            const QString name = ADOUtil::NullToStr(copy->Field(ProjectSchema::kGroupName));
            if (name.isEmpty()) {
                Cancelled(
                    ctx,
                    GetMLText(ml, QStringLiteral("下載取消！"), 1, 92, QStringLiteral("ValidUtil")),
                    GetMLText(ml, QStringLiteral("未設定使用者群組及使用者。"), 2, 92,
                              QStringLiteral("ValidUtil")),
                    GetMLText(ml, QStringLiteral("下載取消"), 3, 92, QStringLiteral("ValidUtil")));
                return false;
            }
            groups << name;
        }
    }
    if (ADOUtil::GetRecordCount(userRs) <= 0) {
        Cancelled(ctx,
                  GetMLText(ml, QStringLiteral("下載取消！"), 1, 136, QStringLiteral("ValidUtil")),
                  QString::number(groups.size()) +
                      GetMLText(ml, QStringLiteral("筆使用者群組未設定使用者。"), 2, 136,
                                QStringLiteral("ValidUtil")),
                  GetMLText(ml, QStringLiteral("下載取消"), 3, 136, QStringLiteral("ValidUtil")));
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
                    Cancelled(ctx,
                              GetMLText(ml, QStringLiteral("下載取消！"), 1, 117,
                                        QStringLiteral("ValidUtil")),
                              GetMLText(ml, QStringLiteral("此使用者群組名稱["), 2, 117,
                                        QStringLiteral("ValidUtil")) +
                                  group +
                                  GetMLText(ml, QStringLiteral("]未設定使用者。"), 3, 117,
                                            QStringLiteral("ValidUtil")),
                              GetMLText(ml, QStringLiteral("下載取消"), 4, 117,
                                        QStringLiteral("ValidUtil")));
                    return false;
                }
                // The number as it is sent: blanks around it are not a number.
                if (phone.trimmed().isEmpty() && enabled) {
                    Cancelled(ctx,
                              GetMLText(ml, QStringLiteral("下載取消！"), 1, 122,
                                        QStringLiteral("ValidUtil")),
                              GetMLText(ml, QStringLiteral("此使用者群組名稱["), 2, 122,
                                        QStringLiteral("ValidUtil")) +
                                  group +
                                  GetMLText(ml, QStringLiteral("]下的使用者["), 3, 122,
                                            QStringLiteral("ValidUtil")) +
                                  userName +
                                  GetMLText(ml, QStringLiteral("]未設定電話號碼。"), 4, 122,
                                            QStringLiteral("ValidUtil")),
                              GetMLText(ml, QStringLiteral("下載取消"), 5, 122,
                                        QStringLiteral("ValidUtil")));
                    return false;
                }
            }
        }
    }
    if (image.groups.size() > kMaxDownloadGroups) {
        Cancelled(ctx,
                  GetMLText(ml, QStringLiteral("下載取消！"), 1, 2001, QStringLiteral("ValidUtil")),
                  GetMLText(ml, QStringLiteral("專案的群組不得超過128筆。"), 2, 2001,
                            QStringLiteral("ValidUtil")),
                  GetMLText(ml, QStringLiteral("下載取消"), 3, 2001, QStringLiteral("ValidUtil")));
        return false;
    }
    if (image.phoneBook.size() > kMaxDownloadTargets) {
        Cancelled(ctx,
                  GetMLText(ml, QStringLiteral("下載取消！"), 1, 2002, QStringLiteral("ValidUtil")),
                  GetMLText(ml, QStringLiteral("專案的通知對象[群組/連絡人]不得超過128筆。"), 2,
                            2002, QStringLiteral("ValidUtil")),
                  GetMLText(ml, QStringLiteral("下載取消"), 3, 2002, QStringLiteral("ValidUtil")));
        return false;
    }
    return MessagesFit(ctx, image.isUnicode);
}
} // namespace ValidUtil
