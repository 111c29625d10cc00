#pragma once
// The group picker of the commands on several rows (frmPickGroup): a title, a line saying
// what happens, and the groups to choose from.
#include "editing/ComboList.h"

#include <QString>

struct PickGroupForm {
    QString caption;
    QString Label1;
    ComboList cmbGroup;
};
