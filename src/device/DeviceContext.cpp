#include "device/DeviceContext.h"

#include "device/SerialPort.h"

#include <QCoreApplication>

DeviceContext::DeviceContext(Ui& u) : EditContext(u) {
    if (QCoreApplication::instance()) exeFolder = QCoreApplication::applicationDirPath();
}
DeviceContext::~DeviceContext() = default;
