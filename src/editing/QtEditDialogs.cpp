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

QtEditDialogs::QtEditDialogs(AppContext& ctx, QWidget* parent)
    : m_ctx(ctx), m_parent(parent), m_w(std::make_unique<Windows>()) {}

QtEditDialogs::~QtEditDialogs() = default;

namespace {
template <typename W>
W* Get(std::unique_ptr<W>& slot, AppContext& ctx, QWidget* parent) {
    if (!slot) slot = std::make_unique<W>(ctx, parent);
    return slot.get();
}

template <typename W>
bool Run(W* w) {
    w->LoadFormObj();
    return w->exec() == QDialog::Accepted;
}
} // namespace

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

std::optional<bool> QtEditDialogs::ShowModal(Window which) {
    if (!Dialog(which)) return std::nullopt;
    switch (which) {
    case Window::frmEditGroupList: return Run(m_w->editGroupList.get());
    case Window::frmEditTelList: return Run(m_w->editTelList.get());
    case Window::frmAllUserGroups: return Run(m_w->allUserGroups.get());
    case Window::frmEditZoneList: return Run(m_w->editZoneList.get());
    case Window::frmAddUser: return Run(m_w->addUser.get());
    case Window::frmAddUserGroup: return Run(m_w->addUserGroup.get());
    case Window::frmMoveUsers: return Run(m_w->moveUsers.get());
    case Window::frmAddOtherUser: return Run(m_w->addOtherUser.get());
    default: return std::nullopt;
    }
}
