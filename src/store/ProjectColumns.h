#pragma once
// Where a project table's fields sit in a row set's rows, looked up once for a loop over many
// rows (read with RowSet::FieldAt or ADOUtil::FieldText by column; -1: no such field).
#include "db/RowSet.h"
#include "store/ProjectSchema.h"

namespace ProjectSchema {
struct ContactColumns {
    explicit ContactColumns(const RowSet& rs)
        : name(rs.FieldIndex(kUserName)), phone(rs.FieldIndex(kPhoneNumber)),
          groups(rs.FieldIndex(kGroupName)), dsc(rs.FieldIndex(kUserDsc)),
          disabled(rs.FieldIndex(kIsDisable)) {}
    int name, phone, groups, dsc, disabled;
};

struct ZoneColumns {
    explicit ZoneColumns(const RowSet& rs)
        : no(rs.FieldIndex(kZoneNo)), name(rs.FieldIndex(kZoneName)), dsc(rs.FieldIndex(kZoneDsc)),
          target(rs.FieldIndex(kGroupName)), alarm(rs.FieldIndex(kAlarmSMS)),
          reset(rs.FieldIndex(kResetSMS)), disabled(rs.FieldIndex(kIsDisable)) {}
    int no, name, dsc, target, alarm, reset, disabled;
};
} // namespace ProjectSchema
