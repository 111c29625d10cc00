#include "store/ProjBasic.h"

#include "base/VBUtil.h"
#include "db/ADOUtil.h"
#include "ml/MLText.h"
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

QStringList ZonesNotFitting(StoreContext& ctx, bool isUnicode, const QString& skipZoneNo) {
    const MLText T{ctx.ml, QStringLiteral("KORVAMain")};
    QStringList lines;
    RowSet* zones = ctx.project.Zones.get();
    if (ADOUtil::GetRecordCount(zones) <= 0) return lines;
    auto copy = zones->Clone();
    for (copy->MoveFirst(); !copy->Eof(); copy->MoveNext()) {
        if (!skipZoneNo.isEmpty() &&
            ADOUtil::NullToStr(copy->Field(QStringLiteral("ZoneNo"))) == skipZoneNo)
            continue;
        QStringList which;
        if (!MessageRule::Fits(ADOUtil::NullToStr(copy->Field(QStringLiteral("AlarmSMS"))),
                               isUnicode))
            which << T(QStringLiteral("警報發起訊息"), 2, 770);
        if (!MessageRule::Fits(ADOUtil::NullToStr(copy->Field(QStringLiteral("ResetSMS"))),
                               isUnicode))
            which << T(QStringLiteral("警報復歸訊息"), 3, 770);
        if (which.isEmpty()) continue;
        lines << T(QStringLiteral("警報點"), 1, 770) +
                     ADOUtil::NullToStr(copy->Field(QStringLiteral("ZoneNo"))) +
                     QStringLiteral(": ") + which.join(T(QStringLiteral("、"), 4, 770));
    }
    return lines;
}

bool CheckFormObj(StoreContext& ctx, ProjBasicFields& fields) {
    const MLText T{ctx.ml, QStringLiteral("KORVAMain")};
    const bool stored = LoadFormObj(ctx).isUnicode;
    if (fields.isUnicode == stored) return true;
    const QStringList lines = ZonesNotFitting(ctx, fields.isUnicode);
    if (lines.isEmpty()) return true;
    const QString head = fields.isUnicode
                             ? T(QStringLiteral("改用Unicode後，下列訊息超過70個字:"), 1, 780)
                             : T(QStringLiteral("取消Unicode後，下列訊息超過160個位元組:"), 2, 780);
    const MsgResult answer = ctx.ui.MsgBox(
        head + VBUtil::kCrLf + lines.join(VBUtil::kCrLf) + VBUtil::kCrLf + VBUtil::kCrLf +
            T(QStringLiteral("這些訊息須修改後才能下載。仍要變更嗎？(否: 恢復原設定)"), 3, 780),
        vbYesNo | vbExclamation, T(QStringLiteral("專案基本資料"), 4, 780));
    if (answer == vbYes) return true;
    fields.isUnicode = stored;
    return false;
}

bool SaveFormObj(StoreContext& ctx, const ProjBasicFields& f) {
    const MLText T{ctx.ml, QStringLiteral("KORVAMain")};
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
        ctx.ui.MsgBox(T(QStringLiteral("專案基本資料無法儲存。"), 1, 760), vbOKOnly | vbCritical,
                      T(QStringLiteral("專案基本資料"), 2, 760));
        return false;
    }
    KORVAMain::SetModified(ctx, true);
    return true;
}

} // namespace ProjBasic
