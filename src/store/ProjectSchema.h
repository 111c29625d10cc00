#pragma once
// Table and field names of the project file.
#include <QString>

namespace ProjectSchema {
// Tables.
inline const QString kBasic = QStringLiteral("Basic");
inline const QString kUserGroups = QStringLiteral("UserGroups");
inline const QString kUsers = QStringLiteral("Users");
inline const QString kZones = QStringLiteral("Zones");

// Basic: the one row of project information.
inline const QString kCreatedBy = QStringLiteral("CreatedBy");
inline const QString kProjectDsc = QStringLiteral("ProjectDsc");
inline const QString kIsUnicode = QStringLiteral("IsUnicode");
inline const QString kCreatedDate = QStringLiteral("CreatedDate");
inline const QString kModifiedDate = QStringLiteral("ModifiedDate");
inline const QString kDeviceModelName = QStringLiteral("DeviceModelName");

// UserGroups, Users and Zones. GroupName is a group's name in UserGroups, a contact's
// group list (lines) in Users and a zone's target in Zones; IsDisable is in both of the last.
inline const QString kGroupName = QStringLiteral("GroupName");
inline const QString kGroupDsc = QStringLiteral("GroupDsc");
inline const QString kUserName = QStringLiteral("UserName");
inline const QString kPhoneNumber = QStringLiteral("PhoneNumber");
inline const QString kIsDisable = QStringLiteral("IsDisable");
inline const QString kUserDsc = QStringLiteral("UserDsc");
inline const QString kZoneNo = QStringLiteral("ZoneNo");
inline const QString kZoneName = QStringLiteral("ZoneName");
inline const QString kZoneDsc = QStringLiteral("ZoneDsc");
inline const QString kAlarmSMS = QStringLiteral("AlarmSMS");
inline const QString kResetSMS = QStringLiteral("ResetSMS");
} // namespace ProjectSchema
