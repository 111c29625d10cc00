#pragma once
// The contact editor (frmEditTelList): name (through a rename prompt), telephone number,
// description, disabled flag and the groups of one contact. Group changes are counted and
// reach the database only on OK.
#include "editing/AllUserGroupsForm.h"

#include <QString>
#include <QStringList>
#include <QVector>

struct EditContext;

struct EditTelListForm {
    QString lblTelUser; // the name shown, the new one after a rename
    QString txtTelNo;
    QString txtTelDsc;
    bool chkIsDisable = false;
    QVector<GroupEntry> lvGroupName;
    int selected = -1;
    bool cmdDeleteEnabled = false;
    QString focusControl; // the control a failed check hands the focus to

    QString oldName;      // at load
    QString oldGroupName; // the stored group list at load
    QString loadedDsc;    // the stored description at load
    int workingCount = 0; // notification targets with the editor's changes
    int addedCount = 0;
    int removedCount = 0;

    // Loads the current Users row; false when there is none.
    bool LoadFormObj(EditContext& ctx);
    // The contact's groups in the table order of the groups (letter case ignored).
    void mklvGroupName(EditContext& ctx);
    // Opens the group picker (unless the model's limit is reached) and adds its choice.
    void cmdAdd_Click(EditContext& ctx);
    void cmdDelete_Click();
    void cmdTelUserRename_Click(EditContext& ctx);
    // The telephone-number rule, then the description's text rule; on failure focusControl
    // names the box.
    bool CheckFormObj(EditContext& ctx);
    // True when the dialog closes (checked and stored).
    bool cmdOK_Click(EditContext& ctx);
    QStringList GroupNames() const;

    // The telephone-number rule on the text with blanks around it removed, in this order:
    // empty (and stop); not a number; longer than 20 characters. Each failure its message.
    static bool CheckTelNo(EditContext& ctx, const QString& text);
    // A number the device can dial: digits, after at most one leading "+".
    static bool IsTelNumber(const QString& trimmed);
    // The longest number the editor takes, in characters.
    static constexpr int kMaxTelDigits = 20;
};
