#pragma once
// The editing context with the device link: the communication values, the port and the
// state beside it.
#include "device/CommLink.h"
#include "device/CommValues.h"
#include "device/DemoDevice.h"
#include "device/DeviceLink.h"
#include "editing/EditContext.h"

#include <memory>

class SerialPort;

struct DeviceContext : EditContext {
    explicit DeviceContext(Ui& ui);
    ~DeviceContext();

    // The folder of the running program's executable, where the simulator is installed beside
    // it (an installed program's data are elsewhere, in the person's own folder).
    QString exeFolder;
    CommValues comm;
    bool ConnectStatus = false;
    DemoDevice demo; // the simulated device, while the demo entry is in use; outlives the port
    std::unique_ptr<SerialPort> port;
    CommLink link; // retry pause, frame observer, last port failure

    // The part the port procedures use.
    operator DeviceLink() { return {ui, ml, comm, port, link}; }
};
