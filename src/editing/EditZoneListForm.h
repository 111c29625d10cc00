#pragma once
// The zone editor (frmEditZoneList): name, description, the alarm and reset messages, the
// disabled flag and the one notification target of a zone.
#include "editing/ComboList.h"

#include <QString>
#include <optional>

struct MLState;

struct EditContext;
struct MLState;

struct EditZoneListForm {
    QString lblZoneNo;
    QString txtZoneName;
    QString txtZoneDsc;
    QString txtAlarmSMS;
    QString txtResetSMS;
    ComboList cmbGroupName; // names: a group, "ALL" for the all-groups entry, "NONE"
    bool chkIsDisable = false;
    QString loadedName;                          // ZoneName at load
    QString loadedDsc, loadedAlarm, loadedReset; // the other texts at load
    QString focusControl;   // the message box a failed check hands the focus to
    bool isUnicode = false; // the project's text mode at load: the rule the counters show
    // The project's text mode when the caller has read it (an import checks many rows);
    // otherwise the check reads it.
    std::optional<bool> knownUnicode;

    // Loads the current Zones row; false when there is none.
    bool LoadFormObj(EditContext& ctx);
    // The targets: every named group, then the all-groups entry; only "NONE" without groups.
    // Shows the zone's target: "ALL" the all-groups entry, empty the first entry; a stored
    // target the list does not offer is added as it is, so that OK keeps it.
    void mkcmbGroupName(EditContext& ctx, const QString& target);
    // The message-length rule, alarm message first; then the texts' rule (no control
    // characters; name and description at most 255 characters).
    bool CheckFormObj(EditContext& ctx);
    bool SaveFormObj(EditContext& ctx);
    // In a non-Unicode project, messages holding characters the device cannot send are
    // saved with "?" for them only when the person agrees. False: keep the dialog open.
    bool ConfirmUnsendable(EditContext& ctx);
    // True when the dialog closes (checked, agreed and stored).
    bool cmdOK_Click(EditContext& ctx);

    // What the line under a message box says while it is typed.
    struct MessageState {
        int used = 0; // characters (Unicode) or bytes (otherwise)
        int limit = 0;
        bool over = false;
        QString counter; // "23 / 70 characters" or "45 / 160 bytes"
        QString warning; // names the characters the device cannot send; empty when none
    };
    static MessageState Measure(const MLState& ml, const QString& text, bool isUnicode);

    static constexpr int kMaxUnicodeUnits = 70; // UTF-16 units in Unicode mode
    static constexpr int kMaxAnsiBytes = 160;   // Big5 bytes otherwise
    // Whether a message fits the device in the project's mode.
    static bool MessageFits(const QString& text, bool isUnicode);
    // The target list's entry for all groups, in the applied language.
    static QString AllGroupsCaption(const MLState& ml);
};
