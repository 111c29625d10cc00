#include "store/OpenProject.h"

#include "db/ADOUtil.h"
#include "store/ProjectSchema.h"

namespace ADOUtil {

bool OpenProjectDB(OpenProject& p, Ui& ui, const QString& workingPath, bool checked,
                   bool holdLock) {
    p.conn = OpenMDBConn(ui, workingPath, QString(), QString(), checked);
    if (p.conn) p.conn->HoldLock(true);
    p.Basic = OpenRecordset(p.conn.get(), ProjectSchema::kBasic);
    p.UserGroups = OpenRecordset(p.conn.get(), ProjectSchema::kUserGroups);
    p.Users = OpenRecordset(p.conn.get(), ProjectSchema::kUsers);
    p.Zones = OpenRecordset(p.conn.get(), ProjectSchema::kZones);
    if (p.conn && !(holdLock && p.RowSetsOpen())) p.conn->HoldLock(false);
    return p.RowSetsOpen();
}

void CloseProjectDB(OpenProject& p) {
    for (auto* rs : {&p.Basic, &p.UserGroups, &p.Users, &p.Zones}) {
        if (*rs) (*rs)->Close();
        rs->reset();
    }
    if (p.conn) p.conn->Close();
    p.conn.reset();
}

} // namespace ADOUtil
