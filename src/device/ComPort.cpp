#include "device/ComPort.h"

#include "device/CommUtil.h"
#include "device/DeviceContext.h"

namespace ComPort {

ComPortChoices LoadFormObj(const DeviceContext& ctx) {
    ComPortChoices c;
#ifdef Q_OS_WIN
    for (int i = 1; i <= 16; ++i) {
        c.items << QStringLiteral("COM") + QString::number(i);
        c.ports << c.items.last();
    }
    c.current = QStringLiteral("COM") + QString::number(ctx.comm.PortNo);
    c.editable = false;
#else
    for (const CommUtil::PortChoice& p : CommUtil::AvailablePorts()) {
        c.items << (p.description.isEmpty()
                        ? p.name
                        : p.name + QStringLiteral("  (") + p.description + u')');
        c.ports << p.name;
    }
    const QString now = CommUtil::CurrentPortName(ctx.comm);
    const qsizetype at = c.ports.indexOf(now);
    c.current = at >= 0 ? c.items[at] : now;
    c.editable = true;
#endif
    return c;
}

QString PortOfText(const ComPortChoices& choices, const QString& text) {
    const qsizetype at = choices.items.indexOf(text);
    return at >= 0 ? choices.ports[at] : text.trimmed();
}

bool OkPressed(DeviceContext& ctx, const ComPortChoices& choices, const QString& text) {
    const QString port = PortOfText(choices, text);
#ifdef Q_OS_WIN
    ctx.comm.PortNo = port.mid(3).toInt();
    ctx.comm.PortName.clear();
#else
    if (port.isEmpty()) {
        ctx.ui.MsgBox(
            GetMLText(ctx.ml, QStringLiteral("請選擇或輸入 PC 通訊埠!"), 1, 1,
                      QStringLiteral("ComPort")),
            vbOKOnly | vbExclamation,
            GetMLText(ctx.ml, QStringLiteral("PC 通訊埠"), 2, 1, QStringLiteral("ComPort")));
        return false;
    }
    ctx.comm.PortName = port;
#endif
    if (ctx.port && ctx.port->IsOpen()) CommUtil::ClosePort(ctx);
    CommUtil::SetPortParams(ctx);
    return CommUtil::EnsurePortOpen(ctx);
}

} // namespace ComPort
