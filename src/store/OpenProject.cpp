#include "store/OpenProject.h"

#include "db/ADOUtil.h"

namespace ADOUtil {

bool OpenProjectDB(OpenProject& p, Ui& ui, const QString& workingPath) {
    p.conn = OpenMDBConn(ui, workingPath, QString(), QString());
    p.Basic = OpenRecordset(p.conn.get(), QStringLiteral("Basic"));
    p.UserGroups = OpenRecordset(p.conn.get(), QStringLiteral("UserGroups"));
    p.Users = OpenRecordset(p.conn.get(), QStringLiteral("Users"));
    p.Zones = OpenRecordset(p.conn.get(), QStringLiteral("Zones"));
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
