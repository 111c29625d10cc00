#include "editing/QtEditDialogs.h"

#include "editing/frmAddOtherUser.h"
#include "editing/frmAddUser.h"
#include "editing/frmAddUserGroup.h"
#include "editing/frmAllUserGroups.h"
#include "editing/frmEditGroupList.h"
#include "editing/frmEditTelList.h"
#include "editing/frmEditZoneList.h"
#include "editing/frmMoveUsers.h"

#include <QApplication>

// The picker is a child of the contact editor, so it is declared after it (and goes first).
struct QtEditDialogs::Windows {
    std::unique_ptr<frmEditGroupList> editGroupList;
    std::unique_ptr<frmEditTelList> editTelList;
    std::unique_ptr<frmAllUserGroups> allUserGroups;
    std::unique_ptr<frmEditZoneList> editZoneList;
    std::unique_ptr<frmAddUser> addUser;
    std::unique_ptr<frmAddUserGroup> addUserGroup;
    std::unique_ptr<frmMoveUsers> moveUsers;
    std::unique_ptr<frmAddOtherUser> addOtherUser;
};

QtEditDialogs::QtEditDialogs(EditContext& ctx, QWidget* parent)
    : m_ctx(ctx), m_parent(parent), m_w(std::make_unique<Windows>()) {}

QtEditDialogs::~QtEditDialogs() = default;

namespace {
template <typename W>
W* Get(std::unique_ptr<W>& slot, EditContext& ctx, QWidget* parent) {
    if (!slot) slot = std::make_unique<W>(ctx, parent);
    return slot.get();
}
} // namespace

std::vector<Window> QtEditDialogs::Shown() {
    return {Window::frmEditGroupList, Window::frmEditTelList, Window::frmAllUserGroups, Window::frmEditZoneList,
            Window::frmAddUser,       Window::frmAddUserGroup, Window::frmMoveUsers,   Window::frmAddOtherUser};
}

QDialog* QtEditDialogs::Dialog(Window which) {
    switch (which) {
    case Window::frmEditGroupList: return Get(m_w->editGroupList, m_ctx, m_parent);
    case Window::frmEditTelList: return Get(m_w->editTelList, m_ctx, m_parent);
    // The picker opens over the contact editor.
    case Window::frmAllUserGroups: return Get(m_w->allUserGroups, m_ctx, Get(m_w->editTelList, m_ctx, m_parent));
    case Window::frmEditZoneList: return Get(m_w->editZoneList, m_ctx, m_parent);
    case Window::frmAddUser: return Get(m_w->addUser, m_ctx, m_parent);
    case Window::frmAddUserGroup: return Get(m_w->addUserGroup, m_ctx, m_parent);
    case Window::frmMoveUsers: return Get(m_w->moveUsers, m_ctx, m_parent);
    case Window::frmAddOtherUser: return Get(m_w->addOtherUser, m_ctx, m_parent);
    default: return nullptr;
    }
}

QDialog* QtEditDialogs::Prepare(Window which) {
    QDialog* d = Dialog(which);
    switch (which) {
    case Window::frmEditGroupList: m_w->editGroupList->LoadFormObj(); break;
    case Window::frmEditTelList: m_w->editTelList->LoadFormObj(); break;
    case Window::frmAllUserGroups: m_w->allUserGroups->LoadFormObj(); break;
    case Window::frmEditZoneList: m_w->editZoneList->LoadFormObj(); break;
    case Window::frmAddUser: m_w->addUser->LoadFormObj(); break;
    case Window::frmAddUserGroup: m_w->addUserGroup->LoadFormObj(); break;
    case Window::frmMoveUsers: m_w->moveUsers->LoadFormObj(); break;
    case Window::frmAddOtherUser: m_w->addOtherUser->LoadFormObj(); break;
    default: break;
    }
    return d;
}

std::optional<bool> QtEditDialogs::ShowModal(Window which) {
    QDialog* d = Prepare(which);
    if (!d) return std::nullopt;
    return d->exec() == QDialog::Accepted;
}
