#include "store/ProjBasic.h"

#include "db/ADOUtil.h"
#include "store/KORVAMain.h"
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

bool CheckFormObj(const ProjBasicFields&) {
    return true;
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
