#pragma once
// The group picker (frmAllUserGroups) of the contact editor: every group, those the contact
// already has in grey; it gives back one group the contact does not have yet.
#include <QString>
#include <QVector>

struct EditContext;

// An entry of the group lists: name, description, drawn grey.
struct GroupEntry {
    QString name;
    QString dsc;
    bool grey = false;
};

struct AllUserGroupsForm {
    QVector<GroupEntry> lvUserGroups;
    int selected = -1;
    QString resultName; // empty until an entry is accepted
    QString resultDsc;

    void LoadFormObj(EditContext& ctx);
    // Every group in table order; the editor's groups grey; the first other one selected.
    void mklvUserGroupsContent(EditContext& ctx);
    // The user picks an entry: selected; a group the contact already has is refused.
    void lvUserGroups_ItemClick(EditContext& ctx, int row);
    // Double click: accepts the entry unless the contact has it; true when the picker closes.
    bool lvUserGroups_DblClick(EditContext& ctx, int row);
    // True when the picker closes with the selected entry.
    bool cmbOK_Click();
    void cmbCancel_Click();
    // A new group, added to the project and to the list, selected.
    void cmdAddGroup_Click(EditContext& ctx);

private:
    bool EditorHolds(const EditContext& ctx, const QString& name) const;
    // "群組不可重覆挑選!": on a double click (173) or a selection (161).
    void Warn(EditContext& ctx, bool onAccept);
};
