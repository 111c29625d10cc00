#pragma once
// The main window's position and size, kept per user in the platform's settings store
// (application name = the application's title, group "Settings", values in twips).
#include <QString>
#include <memory>

class QSettings;

namespace WindowPlacement {
struct Placement {
    int left = 200;
    int top = 200;
    int width = 10800;
    int height = 6900;
    bool operator==(const Placement&) const = default;
};

// The user's own store: organization and application both the application's title.
std::unique_ptr<QSettings> OpenUserStore();

// The stored placement; a key that is missing or holds no number gives its default.
Placement Restore(QSettings& store);
// Stores the placement (left out when null: a minimized window keeps the stored one) and,
// in every case, the content list's view mode.
void Store(QSettings& store, const Placement* placement, int viewMode);
} // namespace WindowPlacement
