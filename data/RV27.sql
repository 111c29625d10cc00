-- The empty project template: one Basic row, the device's 64 zones, no groups, no contacts.
-- Yes/no fields are INTEGER 0/1 declared BOOLEAN; dates are YYYY-MM-DD text declared DATE.
CREATE TABLE Basic (
    CreatedBy       TEXT,
    ProjectDsc      TEXT,
    IsUnicode       BOOLEAN NOT NULL DEFAULT 0,
    CreatedDate     DATE,
    ModifiedDate    DATE,
    DeviceModelName TEXT
);
CREATE TABLE UserGroups (
    GroupName TEXT,
    GroupDsc  TEXT
);
CREATE TABLE Users (
    UserName    TEXT,
    PhoneNumber TEXT,
    IsDisable   BOOLEAN NOT NULL DEFAULT 0,
    UserDsc     TEXT,
    GroupName   TEXT
);
CREATE TABLE Zones (
    ZoneNo    SMALLINT,
    ZoneName  TEXT,
    ZoneDsc   TEXT,
    GroupName TEXT,
    AlarmSMS  TEXT,
    ResetSMS  TEXT,
    IsDisable BOOLEAN NOT NULL DEFAULT 0
);

INSERT INTO Basic (CreatedBy, ProjectDsc, IsUnicode, CreatedDate, ModifiedDate, DeviceModelName)
VALUES ('', '', 0, NULL, NULL, 'VX700-RV27MS');

-- One zone per coil of the device's alarm map: 0..63.
WITH RECURSIVE n(no) AS (SELECT 0 UNION ALL SELECT no + 1 FROM n WHERE no < 63)
INSERT INTO Zones (ZoneNo, ZoneName, ZoneDsc, GroupName, AlarmSMS, ResetSMS, IsDisable)
SELECT no, '', '', '', '', '', 0 FROM n;
