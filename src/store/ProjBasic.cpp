#include "store/ProjBasic.h"

#include "base/VBUtil.h"
#include "db/ADOUtil.h"
#include "store/KORVAMain.h"
#include "store/MessageRule.h"
#include "store/ProjectSchema.h"
#include "store/StoreContext.h"

#include <QDate>
#include <QLocale>

namespace ProjBasic {

QString ShortDate(const QVariant& value) {
    if (!value.isValid() || value.isNull()) return {};
    if (value.typeId() == QMetaType::QDate) {
        const QDate d = value.toDate();
        return d.isValid() ? QLocale::system().toString(d, QLocale::ShortFormat) : QString();
    }
    return ADOUtil::NullToStr(value);
}

ProjBasicFields LoadFormObj(StoreContext& ctx) {
    ProjBasicFields f;
    RowSet* rs = ctx.project.Basic.get();
    if (ADOUtil::GetRecordCount(rs) < 1) return f;
    rs->MoveFirst();
    f.createdDate = ShortDate(rs->Field(ProjectSchema::kCreatedDate));
    f.modifiedDate = ShortDate(rs->Field(ProjectSchema::kModifiedDate));
    f.createdBy = ADOUtil::NullToStr(rs->Field(ProjectSchema::kCreatedBy));
    f.projectDsc = ADOUtil::NullToStr(rs->Field(ProjectSchema::kProjectDsc));
    f.isUnicode = ADOUtil::NullToStr(rs->Field(ProjectSchema::kIsUnicode)) == QLatin1String("True");
    return f;
}

QStringList ZonesNotFitting(StoreContext& ctx, bool isUnicode) {
    QStringList lines;
    RowSet* zones = ctx.project.Zones.get();
    if (ADOUtil::GetRecordCount(zones) <= 0) return lines;
    const MLState& ml = ctx.ml;
    auto copy = zones->Clone();
    for (copy->MoveFirst(); !copy->Eof(); copy->MoveNext()) {
        QStringList which;
        if (!MessageRule::Fits(ADOUtil::NullToStr(copy->Field(QStringLiteral("AlarmSMS"))),
                               isUnicode))
            which << GetMLText(ml, QStringLiteral("警報發起訊息"), 2, 770,
                               QStringLiteral("KORVAMain"));
        if (!MessageRule::Fits(ADOUtil::NullToStr(copy->Field(QStringLiteral("ResetSMS"))),
                               isUnicode))
            which << GetMLText(ml, QStringLiteral("警報復歸訊息"), 3, 770,
                               QStringLiteral("KORVAMain"));
        if (which.isEmpty()) continue;
        lines << GetMLText(ml, QStringLiteral("警報點"), 1, 770, QStringLiteral("KORVAMain")) +
                     ADOUtil::NullToStr(copy->Field(QStringLiteral("ZoneNo"))) +
                     QStringLiteral(": ") +
                     which.join(
                         GetMLText(ml, QStringLiteral("、"), 4, 770, QStringLiteral("KORVAMain")));
    }
    return lines;
}

bool CheckFormObj(StoreContext& ctx, ProjBasicFields& fields) {
    const bool stored = LoadFormObj(ctx).isUnicode;
    if (fields.isUnicode == stored) return true;
    const QStringList lines = ZonesNotFitting(ctx, fields.isUnicode);
    if (lines.isEmpty()) return true;
    const MLState& ml = ctx.ml;
    const QString head =
        fields.isUnicode ? GetMLText(ml, QStringLiteral("改用Unicode後，下列訊息超過70個字:"), 1,
                                     780, QStringLiteral("KORVAMain"))
                         : GetMLText(ml, QStringLiteral("取消Unicode後，下列訊息超過160個位元組:"),
                                     2, 780, QStringLiteral("KORVAMain"));
    const MsgResult answer = ctx.ui.MsgBox(
        head + VBUtil::kCrLf + lines.join(VBUtil::kCrLf) + VBUtil::kCrLf + VBUtil::kCrLf +
            GetMLText(ml, QStringLiteral("這些訊息須修改後才能下載。仍要變更嗎？(否: 恢復原設定)"),
                      3, 780, QStringLiteral("KORVAMain")),
        vbYesNo | vbExclamation,
        GetMLText(ml, QStringLiteral("專案基本資料"), 4, 780, QStringLiteral("KORVAMain")));
    if (answer == vbYes) return true;
    fields.isUnicode = stored;
    return false;
}

bool SaveFormObj(StoreContext& ctx, const ProjBasicFields& f) {
    RowSet* rs = ctx.project.Basic.get();
    bool ok = ADOUtil::GetRecordCount(rs) > 0;
    if (ok) {
        rs->MoveFirst();
        if (!f.createdBy.isEmpty()) ok = rs->SetField(ProjectSchema::kCreatedBy, f.createdBy);
        ok = ok && rs->SetField(ProjectSchema::kIsUnicode, f.isUnicode);
        ok = ok && rs->SetField(ProjectSchema::kProjectDsc, f.projectDsc);
        ok = ok && rs->SetField(ProjectSchema::kModifiedDate, QDate::currentDate());
        ok = ok && rs->Update();
        if (!ok) rs->CancelUpdate();
    }
    if (!ok) {
        ctx.ui.MsgBox(
            GetMLText(ctx.ml, QStringLiteral("專案基本資料無法儲存。"), 1, 760,
                      QStringLiteral("KORVAMain")),
            vbOKOnly | vbCritical,
            GetMLText(ctx.ml, QStringLiteral("專案基本資料"), 2, 760, QStringLiteral("KORVAMain")));
        return false;
    }
    KORVAMain::SetModified(ctx, true);
    return true;
}

} // namespace ProjBasic
