#include "device/DeviceContext.h"

#include "device/SerialPort.h"

DeviceContext::DeviceContext(Ui& u) : EditContext(u) {}
DeviceContext::~DeviceContext() = default;
