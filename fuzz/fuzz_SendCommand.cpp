// The response validation of a command: the input is what the device sends back (after two
// bytes choosing the request's function and the expected length). The port is lost once the
// bytes are delivered, so no input waits for the silent time-out; a silent device (no byte at
// all) would wait it out on every input and is left to the unit tests.
#include "app/AppContext.h"
#include "device/CommUtil.h"
#include "support/ScriptedDevice.h"
#include "support/ScriptedUi.h"

#include <QCoreApplication>
#include <cstdlib>

namespace {
struct Link {
    ScriptedUi ui;
    AppContext ctx{ui};
    ScriptedDevice* dev = nullptr;
    QByteArray reply;
    Link() {
        auto port = std::make_unique<ScriptedDevice>();
        dev = port.get();
        dev->responder = [this](const QByteArray&) {
            ScriptedReply r;
            r.bytes = reply;
            r.loseAfter = true;
            return r;
        };
        ctx.port = std::move(port);
        ctx.comm.PortName = QStringLiteral("/dev/ttyFUZZ");
    }
};
Link* theLink = nullptr;
} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    new QCoreApplication(*argc, *argv);
    theLink = new Link;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 3) return 0;
    static const int kFunctions[] = {0x03, 0x04, 0x06, 0x10};
    const int fn = kFunctions[data[0] % 4];
    const int m = 5 + data[1] % 64;
    theLink->reply = QByteArray(reinterpret_cast<const char*>(data + 2), int(size - 2));
    // What the scripted peers record would grow with every input.
    theLink->dev->written.clear();
    theLink->dev->writeTimes.clear();
    theLink->dev->openedNames.clear();
    theLink->ui.messages.clear();
    theLink->ui.progressUpAtMessage.clear();
    theLink->ui.busyAtMessage.clear();
    theLink->ui.statusLog.clear();
    if (!theLink->ctx.port->IsOpen()) theLink->ctx.port->Open();
    theLink->ctx.link.pause = false; // the pause after a failed attempt is not under test
    QByteArray request = TestFrames::Bytes({247, fn, 0, 6, 0, (m - 5) / 2});
    QByteArray response;
    const bool ok = CommUtil::SendCommand(theLink->ctx, request, 6, response, m, 0, 0);
    // A success is a whole frame of the expected length with our station, function and a
    // valid check code.
    if (ok) {
        const QByteArray frame = response.left(m);
        if (frame.size() != m || quint8(frame[0]) != 247 || quint8(frame[1]) != fn ||
            TestFrames::WithCrc(frame.left(m - 2)) != frame)
            std::abort();
    }
    if (theLink->dev->written.size() > 1) std::abort(); // no retry was asked for
    return 0;
}
