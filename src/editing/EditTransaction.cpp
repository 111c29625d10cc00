#include "editing/EditTransaction.h"

#include "base/VBUtil.h"
#include "db/ADOUtil.h"
#include "editing/EditContext.h"
#include "ml/MLText.h"
#include "store/ProjectSchema.h"

namespace EditTransaction {
void ReopenRowSets(OpenProject& p) {
    struct Slot {
        const QString& table;
        std::unique_ptr<RowSet>* rs;
    };
    using namespace ProjectSchema;
    for (const Slot& s : {Slot{kBasic, &p.Basic}, Slot{kUserGroups, &p.UserGroups},
                          Slot{kUsers, &p.Users}, Slot{kZones, &p.Zones}}) {
        if (*s.rs) (*s.rs)->CancelUpdate();
        if (auto fresh = ADOUtil::OpenRecordset(p.conn.get(), s.table)) *s.rs = std::move(fresh);
    }
}

namespace {

void Report(EditContext& ctx, const QString& failTitle, const QString& why) {
    const MLText T{ctx.ml, QStringLiteral("KORVAUtil")};
    ctx.ui.MsgBox(
        T(QStringLiteral("無法寫入專案資料庫，本次變更已全部復原，專案內容維持不變。"), 1, 9100) +
            VBUtil::kCrLf + T(QStringLiteral("原因: ["), 2, 9100) + why + u']',
        vbOKOnly | vbCritical, failTitle);
}
} // namespace

bool Run(EditContext& ctx, const QString& failTitle, const Steps& steps) {
    OpenProject& p = ctx.project;
    if (!p.conn || !p.conn->IsOpen()) {
        Report(ctx, failTitle, QStringLiteral("The project database is not open"));
        return false;
    }
    if (!p.conn->BeginTransaction()) {
        Report(ctx, failTitle, p.conn->ErrorDescription());
        return false;
    }
    QString why;
    bool ok = steps(why);
    if (ok && !p.conn->Commit()) {
        ok = false;
        why = p.conn->ErrorDescription();
    }
    if (ok) return true;
    // Some engine failures end the transaction themselves; the rollback may then find none.
    p.conn->Rollback();
    ReopenRowSets(p);
    Report(ctx, failTitle, why);
    return false;
}

bool AddNew(RowSet* rs, QString& why) {
    if (rs->AddNew()) return true;
    why = rs->LastError();
    return false;
}

bool SaveRow(RowSet* rs, QString& why) {
    if (rs->Update()) return true;
    why = rs->LastError();
    return false;
}

bool SetField(RowSet* rs, const QString& field, const QVariant& value, QString& why) {
    if (rs->SetField(field, value)) return true;
    why = rs->LastError();
    return false;
}
} // namespace EditTransaction
