#include "mainwindow/RememberedPort.h"

#include "device/CommValues.h"

#include <QSettings>

namespace RememberedPort {
namespace {
const QString kName = QStringLiteral("Comm/PortName");
const QString kNo = QStringLiteral("Comm/PortNo");
} // namespace

void Store(QSettings& store, const CommValues& comm) {
    store.setValue(kName, comm.PortName);
    store.setValue(kNo, comm.PortNo);
    store.sync();
}

void Restore(QSettings& store, CommValues& comm) {
    if (!store.contains(kNo) && !store.contains(kName)) return;
    bool ok = false;
    const int no = store.value(kNo).toInt(&ok);
    if (ok && no >= 1 && no <= 255) comm.PortNo = no;
    comm.PortName = store.value(kName).toString().trimmed();
}
} // namespace RememberedPort
