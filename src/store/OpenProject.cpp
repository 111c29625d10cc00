#include "store/OpenProject.h"

#include "db/ADOUtil.h"
#include "store/ProjectSchema.h"

namespace ADOUtil {

bool OpenProjectDB(OpenProject& p, Ui& ui, const QString& workingPath, bool checked) {
    p.conn = OpenMDBConn(ui, workingPath, QString(), QString(), checked);
    p.Basic = OpenRecordset(p.conn.get(), ProjectSchema::kBasic);
    p.UserGroups = OpenRecordset(p.conn.get(), ProjectSchema::kUserGroups);
    p.Users = OpenRecordset(p.conn.get(), ProjectSchema::kUsers);
    p.Zones = OpenRecordset(p.conn.get(), ProjectSchema::kZones);
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
