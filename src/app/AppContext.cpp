#include "app/AppContext.h"

#include "device/SerialPort.h"

AppContext::AppContext(Ui& u) : ui(u) {}
AppContext::~AppContext() = default;
