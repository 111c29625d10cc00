#include "editing/EditZoneListForm.h"

#include "base/MsgDefault.h"
#include "base/VBUtil.h"
#include "db/ADOUtil.h"
#include "editing/EditContext.h"
#include "editing/EditTransaction.h"
#include "editing/PhoneBook.h"
#include "editing/ValidUtil.h"
#include "ml/MLText.h"
#include "store/KORVAMain.h"
#include "store/MessageRule.h"
#include "store/ProjBasic.h"
#include "store/ProjectSchema.h"

namespace {
using ADOUtil::FieldText;
const QString kNone = QStringLiteral("NONE");
const QString kAll = QStringLiteral("ALL");
} // namespace

bool EditZoneListForm::LoadFormObj(EditContext& ctx) {
    RowSet* rs = ctx.project.Zones.get();
    if (!rs || !rs->IsOpen() || rs->Eof() || rs->Bof()) return false;
    focusControl.clear();
    lblZoneNo = QString::number(VBUtil::ToWhole16(FieldText(rs, ProjectSchema::kZoneNo)));
    txtZoneName = FieldText(rs, ProjectSchema::kZoneName);
    txtZoneDsc = FieldText(rs, ProjectSchema::kZoneDsc);
    txtAlarmSMS = FieldText(rs, ProjectSchema::kAlarmSMS);
    txtResetSMS = FieldText(rs, ProjectSchema::kResetSMS);
    const QVariant flag = rs->Field(ProjectSchema::kIsDisable);
    chkIsDisable = flag.isValid() && !flag.isNull() && flag.toBool();
    mkcmbGroupName(ctx, FieldText(rs, ProjectSchema::kGroupName));
    loadedName = txtZoneName;
    loadedDsc = txtZoneDsc;
    loadedAlarm = txtAlarmSMS;
    loadedReset = txtResetSMS;
    isUnicode = PhoneBook::ReadIsUnicode(ctx.project, false);
    return true;
}

void EditZoneListForm::mkcmbGroupName(EditContext& ctx, const QString& target) {
    const MLText T{ctx.ml, QStringLiteral("EditZoneList")};
    ComboList& list = cmbGroupName;
    list.Clear();
    RowSet* groups = ctx.project.UserGroups.get();
    if (ADOUtil::GetRecordCount(groups) > 0) {
        auto copy = groups->Clone();
        for (copy->MoveFirst(); !copy->Eof(); copy->MoveNext()) {
            const QString name = FieldText(copy.get(), ProjectSchema::kGroupName);
            if (!name.isEmpty()) list.Add(name, name);
        }
        list.Add(kAll, AllGroupsCaption(ctx.ml));
    } else {
        list.Add(kNone, kNone);
    }
    list.index = target.isEmpty() ? 0 : int(list.names.indexOf(target));
    if (list.index < 0) {
        list.Add(target, target == kAll ? T(QStringLiteral("所有連絡人群組"), 1, 325) : target);
        list.index = int(list.names.size()) - 1;
    }
}

QString EditZoneListForm::AllGroupsCaption(const MLState& ml) {
    const MLText T{ml, QStringLiteral("EditZoneList")};
    return T(QStringLiteral("所有連絡人群組"), 1, 315);
}

bool EditZoneListForm::MessageFits(const QString& text, bool isUnicode) {
    return MessageRule::Fits(text, isUnicode);
}

EditZoneListForm::MessageState EditZoneListForm::Measure(const MLState& ml, const QString& text,
                                                         bool isUnicode) {
    const MLText T{ml, QStringLiteral("EditZoneList")};
    MessageState m;
    if (isUnicode) {
        m.used = int(text.size());
        m.limit = kMaxUnicodeUnits;
        m.counter = T(QStringLiteral("%1 / %2 個字"), 1, 7321).arg(m.used).arg(m.limit);
    } else {
        m.used = int(PhoneBook::AnsiBytes(text).size());
        m.limit = kMaxAnsiBytes;
        m.counter = T(QStringLiteral("%1 / %2 個位元組"), 2, 7321).arg(m.used).arg(m.limit);
        const QStringList gaps = PhoneBook::CharsWithoutAnsi(text);
        if (!gaps.isEmpty())
            m.warning = T(QStringLiteral("裝置無法傳送這些字元，將以「?」送出: %1"), 1, 7322)
                            .arg(gaps.join(u' '));
        // The way to keep them, when the message would fit a Unicode project.
        if (!gaps.isEmpty() && MessageRule::Fits(text, true))
            m.warning += u'\n' + T(QStringLiteral("將專案改為Unicode即可保留它們 (儲存時會詢問)。"),
                                   1, 20221);
    }
    m.over = m.used > m.limit;
    return m;
}

bool EditZoneListForm::CheckFormObj(EditContext& ctx) {
    const MLText T{ctx.ml, QStringLiteral("EditZoneList")};
    focusControl.clear();
    const bool unicode =
        knownUnicode ? *knownUnicode : PhoneBook::ReadIsUnicode(ctx.project, false);
    if (!MessageFits(txtAlarmSMS, unicode)) {
        if (unicode)
            ctx.ui.MsgBox(T(QStringLiteral("警報發起訊息長度不得超過70個字!"), 1, 255),
                          vbOKOnly | vbCritical,
                          T(QStringLiteral("警報發起訊息長度超過限制"), 2, 255));
        else
            ctx.ui.MsgBox(T(QStringLiteral("警報發起訊息長度不得超過160個位元組!"), 1, 268),
                          vbOKOnly | vbCritical,
                          T(QStringLiteral("警報發起訊息長度超過限制"), 2, 268));
        focusControl = QStringLiteral("txtAlarmSMS");
        return false;
    }
    if (!MessageFits(txtResetSMS, unicode)) {
        if (unicode)
            ctx.ui.MsgBox(T(QStringLiteral("警報復歸訊息長度不得超過70個字!"), 1, 261),
                          vbOKOnly | vbCritical,
                          T(QStringLiteral("警報復歸訊息長度超過限制"), 2, 261));
        else
            ctx.ui.MsgBox(T(QStringLiteral("警報復歸訊息長度不得超過160個位元組!"), 1, 274),
                          vbOKOnly | vbCritical,
                          T(QStringLiteral("警報復歸訊息長度超過限制"), 2, 274));
        focusControl = QStringLiteral("txtResetSMS");
        return false;
    }
    // The texts' own rule: no control characters, names and descriptions of limited length.
    const struct {
        const QString& text;
        const QString& kept;
        QString label;
        const char* box;
        int maxLength;
    } texts[] = {
        {txtZoneName, loadedName, T(QStringLiteral("警報點名稱"), 1, 21010), "txtZoneName",
         ValidUtil::kMaxDescriptionLength},
        {txtZoneDsc, loadedDsc, T(QStringLiteral("警報點說明"), 2, 21010), "txtZoneDsc",
         ValidUtil::kMaxDescriptionLength},
        {txtAlarmSMS, loadedAlarm, T(QStringLiteral("警報發起訊息"), 3, 21010), "txtAlarmSMS", 0},
        {txtResetSMS, loadedReset, T(QStringLiteral("警報復歸訊息"), 4, 21010), "txtResetSMS", 0},
    };
    for (const auto& t : texts) {
        if (ValidUtil::ValidText(ctx, t.text, t.kept, t.label, t.maxLength)) continue;
        focusControl = QLatin1String(t.box);
        return false;
    }
    return true;
}

bool EditZoneListForm::SaveFormObj(EditContext& ctx) {
    const MLText T{ctx.ml, QStringLiteral("EditZoneList")};
    OpenProject& p = ctx.project;
    RowSet* rs = p.Zones.get();
    const QString failTitle = T(QStringLiteral("儲存警報點失敗"), 1, 9116);
    // The dialog works on the current row; should anything have moved it, find the zone again.
    if (!rs || rs->Eof() || rs->Bof() ||
        QString::number(VBUtil::ToWhole16(FieldText(rs, ProjectSchema::kZoneNo))) != lblZoneNo) {
        if (!ADOUtil::LocateRecord(rs, ProjectSchema::kZoneNo, lblZoneNo)) {
            ctx.ui.MsgBox(T(QStringLiteral("找不到這個警報點["), 1, 9117) + lblZoneNo +
                              T(QStringLiteral("]，請按 F5 重新整理後再試一次。"), 2, 9117),
                          vbOKOnly | vbCritical, failTitle);
            return false;
        }
    }
    const QString target = cmbGroupName.SelectedName();
    const bool writeTarget = target != kNone; // no groups to choose from: the stored target stays

    const bool switchToUnicode = isUnicode && !PhoneBook::ReadIsUnicode(p, false);
    const bool saved = EditTransaction::Run(ctx, failTitle, [&](QString& why) {
        RowSet* z = p.Zones.get();
        RowSet* basic = p.Basic.get();
        using EditTransaction::SetField;
        // The person agreed to a Unicode project to keep the messages: written with them.
        if (switchToUnicode) {
            if (!basic) return false;
            basic->MoveFirst();
            if (!SetField(basic, ProjectSchema::kIsUnicode, true, why) ||
                !EditTransaction::SaveRow(basic, why))
                return false;
        }
        return SetField(z, ProjectSchema::kZoneNo, lblZoneNo.toInt(), why) &&
               SetField(z, ProjectSchema::kZoneName, txtZoneName, why) &&
               SetField(z, ProjectSchema::kZoneDsc, txtZoneDsc, why) &&
               (!writeTarget || SetField(z, ProjectSchema::kGroupName, target, why)) &&
               SetField(z, ProjectSchema::kAlarmSMS, txtAlarmSMS, why) &&
               SetField(z, ProjectSchema::kResetSMS, txtResetSMS, why) &&
               SetField(z, ProjectSchema::kIsDisable, chkIsDisable, why) &&
               EditTransaction::SaveRow(z, why);
    });
    if (!saved) return false;

    const QString tag = QStringLiteral("Zones,") + lblZoneNo;
    if (txtZoneName != loadedName) {
        // The same caption as the tree gives a zone: "#n" alone while it has no name.
        Q_EMIT ctx.editEvents.leafRenamed(
            tag, txtZoneName.isEmpty() ? u'#' + lblZoneNo : u'#' + lblZoneNo + u'-' + txtZoneName,
            tag);
        Q_EMIT ctx.editEvents.leafSelected(tag);
    }
    Q_EMIT ctx.editEvents.leafGreyed(tag, chkIsDisable);
    Q_EMIT ctx.editEvents.contentChanged();
    KORVAMain::SetModified(ctx, true);
    return true;
}

namespace {
// How many characters of the text would become "?".
int LostChars(const QString& text) {
    return int(PhoneBook::WithoutAnsiGaps(text).count(u'?') - text.count(u'?'));
}

// Whether the zone's messages and every other zone's would fit a Unicode project.
bool UnicodeKeepsText(EditContext& ctx, const EditZoneListForm& f) {
    return MessageRule::Fits(f.txtAlarmSMS, true) && MessageRule::Fits(f.txtResetSMS, true) &&
           ProjBasic::ZonesNotFitting(ctx, true, f.lblZoneNo).isEmpty();
}
} // namespace

// In a non-Unicode project, characters Big5 lacks: a Unicode project keeps them, when every
// message then fits (agreed, the form's mode becomes Unicode and OK writes it with the zone);
// else losing them takes a deliberate Yes, Enter says No.
bool EditZoneListForm::ConfirmUnsendable(EditContext& ctx) {
    const MLText T{ctx.ml, QStringLiteral("EditZoneList")};
    if (PhoneBook::ReadIsUnicode(ctx.project, false)) return true;
    isUnicode = false;
    const QStringList gaps = PhoneBook::CharsWithoutAnsi(txtAlarmSMS + txtResetSMS);
    if (gaps.isEmpty()) return true;
    const QString title = T(QStringLiteral("警報區"), 3, 7323);
    const QString cannot =
        T(QStringLiteral("簡訊報警機無法傳送訊息中的這些字元: %1"), 1, 7323).arg(gaps.join(u' ')) +
        VBUtil::kCrLf +
        T(QStringLiteral("存成「?」將失去 %1 個字元。"), 1, 20220)
            .arg(LostChars(txtAlarmSMS) + LostChars(txtResetSMS));
    // A Unicode project sends them as they are, when every message then fits.
    if (UnicodeKeepsText(ctx, *this) &&
        ctx.ui.MsgBox(cannot + VBUtil::kCrLf +
                          T(QStringLiteral("要將專案改為Unicode以保留它們嗎? (每則訊息最多70個字)"),
                            2, 20220),
                      vbYesNo | vbQuestion, title) == vbYes) {
        isUnicode = true;
        return true;
    }
    // Enter keeps the text: losing it takes a deliberate Yes.
    const MsgResult answer = ctx.ui.MsgBox(
        cannot + VBUtil::kCrLf + T(QStringLiteral("要將它們改為「?」並儲存嗎?"), 2, 7323),
        vbYesNo | vbQuestion | vbDefaultButton2, title);
    if (answer != vbYes) {
        focusControl = PhoneBook::CharsWithoutAnsi(txtAlarmSMS).isEmpty()
                           ? QStringLiteral("txtResetSMS")
                           : QStringLiteral("txtAlarmSMS");
        return false;
    }
    txtAlarmSMS = PhoneBook::WithoutAnsiGaps(txtAlarmSMS);
    txtResetSMS = PhoneBook::WithoutAnsiGaps(txtResetSMS);
    return true;
}

bool EditZoneListForm::cmdOK_Click(EditContext& ctx) {
    if (!CheckFormObj(ctx)) return false;
    if (!ConfirmUnsendable(ctx)) return false;
    return SaveFormObj(ctx);
}
