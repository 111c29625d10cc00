#pragma once
// The state of the editing dialogs. Each is created once with the context and reused; the
// core loads one, asks the Ui to show its window, and reads the result from here.
#include "editing/AddOtherUserForm.h"
#include "editing/AddUserForm.h"
#include "editing/AddUserGroupForm.h"
#include "editing/AllUserGroupsForm.h"
#include "editing/CsvExchange.h"
#include "editing/EditGroupListForm.h"
#include "editing/EditTelListForm.h"
#include "editing/EditZoneListForm.h"
#include "editing/MoveUsersForm.h"
#include "editing/PickGroupForm.h"

struct EditForms {
    EditGroupListForm editGroupList;
    EditTelListForm editTelList;
    AllUserGroupsForm allUserGroups;
    EditZoneListForm editZoneList;
    AddUserForm addUser;
    AddUserGroupForm addUserGroup;
    MoveUsersForm moveUsers;
    AddOtherUserForm addOtherUser;
    CsvImportForm csvImport;
    PickGroupForm pickGroup;
};
