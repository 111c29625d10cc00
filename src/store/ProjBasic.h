#pragma once
// The project's basic information (the one Basic row) as the basic-information dialog shows
// and edits it.
#include <QString>
#include <QStringList>
#include <QVariant>

struct StoreContext;

struct ProjBasicFields {
    QString createdDate; // the system's short date form; empty for no date
    QString modifiedDate;
    QString createdBy;
    QString projectDsc;
    bool isUnicode = false;
};

namespace ProjBasic {
// A date field's value in the system's short date form; null (or no date) gives empty text.
QString ShortDate(const QVariant& value);
// The fields from the Basic row (null texts as empty; Unicode when the flag reads "True").
ProjBasicFields LoadFormObj(StoreContext& ctx);
// The zones whose alarm or reset message would not fit the device in the given text mode,
// one line each ("警報點3: 警報發起訊息"), in table order; the zone numbered skipZoneNo (one
// being edited) is left out.
QStringList ZonesNotFitting(StoreContext& ctx, bool isUnicode, const QString& skipZoneNo = {});
// When the Unicode flag differs from the stored one and some zone messages no longer fit,
// one message lists them and asks: Yes keeps the change (true), No puts the flag back in
// fields (false: the dialog stays open showing it). Every other input is accepted.
bool CheckFormObj(StoreContext& ctx, ProjBasicFields& fields);
// Writes the fields back: an empty creator keeps the stored one; the description is written
// as it is, empty included; the modification date becomes today; the project is modified.
// False, after its message, when the row could not be written.
bool SaveFormObj(StoreContext& ctx, const ProjBasicFields& fields);
} // namespace ProjBasic
