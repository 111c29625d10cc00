#pragma once
// The port dialog's logic: which ports it offers and what OK does. The window frmComPort
// only mirrors this state.
#include <QString>
#include <QStringList>

struct DeviceContext;

struct ComPortChoices {
    QStringList items;     // what the list shows
    QStringList ports;     // the port each item opens
    QString current;       // the text preset: an item, or a path typed earlier
    bool editable = false; // any device path may be typed (not on Windows: COM1 to COM16)
    int demoIndex = -1;    // the item that starts the simulated device; -1: not offered
};

namespace ComPort {
ComPortChoices LoadFormObj(const DeviceContext& ctx);
// The port a text of the list names: an item's port, else the text itself (a typed path).
QString PortOfText(const ComPortChoices& choices, const QString& text);
// True when the text is the simulated device's item.
bool IsDemoText(const ComPortChoices& choices, const QString& text);
// Starts the simulated device from the executable's folder (unless it runs) and points the
// link at its terminal. False after a message when it did not come up.
bool TakeDemo(DeviceContext& ctx);
// Takes the chosen port: closes the port if open and opens the new one. True when it opened;
// otherwise the connection flag is cleared (" Offline").
// The demo item starts the simulated device and takes its terminal; any other port ends it.
bool OkPressed(DeviceContext& ctx, const ComPortChoices& choices, const QString& text);
} // namespace ComPort
