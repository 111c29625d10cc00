#include "editing/QtEditDialogs.h"

#include "editing/EditWindows.h"
#include "editing/frmAddOtherUser.h"
#include "editing/frmAddUser.h"
#include "editing/frmAddUserGroup.h"
#include "editing/frmAllUserGroups.h"
#include "editing/frmCsvImport.h"
#include "editing/frmEditGroupList.h"
#include "editing/frmEditTelList.h"
#include "editing/frmEditZoneList.h"
#include "editing/frmMoveUsers.h"
#include "editing/frmPickGroup.h"

#include <QApplication>
#include <utility>

namespace {
// One row per window: how it is made (once, over the main window or over the window named
// as its parent) and how it shows its loaded form.
struct Row {
    Window which;
    QDialog* (*make)(EditContext& ctx, QWidget* parent);
    void (*load)(QDialog* dialog);
    std::optional<Window> over;
};

template <typename W> Row RowOf(Window which, std::optional<Window> over = std::nullopt) {
    return {which, [](EditContext& ctx, QWidget* parent) -> QDialog* { return new W(ctx, parent); },
            [](QDialog* d) { static_cast<W*>(d)->LoadFormObj(); }, over};
}

const std::vector<Row>& Table() {
    static const std::vector<Row> rows = {
        RowOf<frmEditGroupList>(Windows::frmEditGroupList),
        RowOf<frmEditTelList>(Windows::frmEditTelList),
        // The picker opens over the contact editor.
        RowOf<frmAllUserGroups>(Windows::frmAllUserGroups, Windows::frmEditTelList),
        RowOf<frmEditZoneList>(Windows::frmEditZoneList),
        RowOf<frmAddUser>(Windows::frmAddUser),
        RowOf<frmAddUserGroup>(Windows::frmAddUserGroup),
        RowOf<frmMoveUsers>(Windows::frmMoveUsers),
        RowOf<frmAddOtherUser>(Windows::frmAddOtherUser),
        RowOf<frmCsvImport>(Windows::frmCsvImport),
        RowOf<frmPickGroup>(Windows::frmPickGroup),
    };
    return rows;
}

const Row* Find(Window which) {
    for (const Row& r : Table())
        if (r.which == which) return &r;
    return nullptr;
}
} // namespace

// The windows in the order they were made; a window made over another is made after it, so
// deleting from the back never deletes a child twice.
struct QtEditDialogs::Made {
    std::vector<std::pair<Window, std::unique_ptr<QDialog>>> made;
    ~Made() {
        while (!made.empty())
            made.pop_back();
    }
};

QtEditDialogs::QtEditDialogs(EditContext& ctx, QWidget* parent)
    : m_ctx(ctx), m_parent(parent), m_w(std::make_unique<Made>()) {}

QtEditDialogs::~QtEditDialogs() = default;

std::vector<Window> QtEditDialogs::Shown() {
    std::vector<Window> out;
    for (const Row& r : Table())
        out.push_back(r.which);
    return out;
}

QDialog* QtEditDialogs::Dialog(Window which) {
    const Row* row = Find(which);
    if (!row) return nullptr;
    for (const auto& [w, d] : m_w->made)
        if (w == which) return d.get();
    QWidget* parent = row->over ? Dialog(*row->over) : m_parent;
    m_w->made.emplace_back(which, std::unique_ptr<QDialog>(row->make(m_ctx, parent)));
    return m_w->made.back().second.get();
}

QDialog* QtEditDialogs::Prepare(Window which) {
    const Row* row = Find(which);
    if (!row) return nullptr;
    QDialog* d = Dialog(which);
    row->load(d);
    return d;
}

std::optional<bool> QtEditDialogs::ShowModal(Window which) {
    QDialog* d = Prepare(which);
    if (!d) return std::nullopt;
    return d->exec() == QDialog::Accepted;
}
