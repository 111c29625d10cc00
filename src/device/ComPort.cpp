#include "device/ComPort.h"

#include "base/VBUtil.h"
#include "device/CommUtil.h"
#include "device/DeviceContext.h"
#include "device/KORVACommUtil.h"
#include "ml/MLText.h"

namespace ComPort {

ComPortChoices LoadFormObj(const DeviceContext& ctx) {
    const MLText T{ctx.ml, QStringLiteral("ComPort")};
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
    // The simulated device needs a pseudo-terminal: not offered on Windows.
    c.demoIndex = int(c.items.size());
    c.items << T(QStringLiteral("模擬裝置 (示範)"), 1, 7301);
    c.ports << QString();
    if (KORVACommUtil::DemoInUse(ctx) || ctx.demo.Chosen()) c.current = c.items.last();
#endif
    return c;
}

QString PortOfText(const ComPortChoices& choices, const QString& text) {
    const qsizetype at = choices.items.indexOf(text);
    return at >= 0 ? choices.ports[at] : text.trimmed();
}

bool IsDemoText(const ComPortChoices& choices, const QString& text) {
    return choices.demoIndex >= 0 && choices.demoIndex < choices.items.size() &&
           text == choices.items[choices.demoIndex];
}

bool TakeDemo(DeviceContext& ctx) {
    const MLText T{ctx.ml, QStringLiteral("ComPort")};
    QString why;
    if (!ctx.demo.Start(DemoDevice::ProgramIn(ctx.exeFolder), why)) {
        ctx.ui.MsgBox(T(QStringLiteral("模擬裝置無法啟動:"), 1, 7302) + VBUtil::kCrLf + why,
                      vbOKOnly | vbCritical, T(QStringLiteral("PC 通訊埠"), 2, 7302));
        return false;
    }
    ctx.comm.PortName = ctx.demo.PortName();
    ctx.demo.SetChosen(true);
    return true;
}

bool OkPressed(DeviceContext& ctx, const ComPortChoices& choices, const QString& text) {
    const MLText T{ctx.ml, QStringLiteral("ComPort")};
    if (IsDemoText(choices, text)) {
        if (ctx.port && ctx.port->IsOpen()) CommUtil::ClosePort(ctx);
        if (!TakeDemo(ctx)) return false;
        CommUtil::SetPortParams(ctx);
        const bool opened = CommUtil::EnsurePortOpen(ctx);
        KORVACommUtil::SetConnectStatus(ctx, ctx.ConnectStatus); // the panel names the demo
        return opened;
    }
    const QString port = PortOfText(choices, text);
#ifdef Q_OS_WIN
    ctx.comm.PortNo = port.mid(3).toInt();
    ctx.comm.PortName.clear();
#else
    if (port.isEmpty()) {
        ctx.ui.MsgBox(T(QStringLiteral("請選擇或輸入 PC 通訊埠!"), 1, 1), vbOKOnly | vbExclamation,
                      T(QStringLiteral("PC 通訊埠"), 2, 1));
        return false;
    }
    ctx.comm.PortName = port;
#endif
    if (ctx.port && ctx.port->IsOpen()) CommUtil::ClosePort(ctx);
    ctx.demo.SetChosen(false);
    if (ctx.demo.Running()) {
        ctx.demo.Stop();
        KORVACommUtil::SetConnectStatus(ctx, ctx.ConnectStatus);
    }
    CommUtil::SetPortParams(ctx);
    if (CommUtil::EnsurePortOpen(ctx)) return true;
    // The old port is closed and the new one did not open: no connection is left.
    KORVACommUtil::SetConnectStatus(ctx, false);
    return false;
}

} // namespace ComPort
