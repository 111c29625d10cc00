#include "Options.h"

#include <QCommandLineParser>
#include <QRegularExpression>
#include <cstdio>
#include <type_traits>

namespace devsim {

namespace {

const char* const Details = R"(
Faults are drawn per reply, each kind from its own stream of the --seed, so the same seed
and the same requests give the same faults. A dropped reply was still carried out.

Control commands (one per line, written to the --control FIFO):
  sw2 on | sw2 off      set the setting switch
  pace on | pace off    pace replies to 9600 baud wire time, or not
  state                 write the state file now
  coil N 0|1            set coil N (0..63)
  input ADDR VALUE      set input register ADDR (0..11)
  quit                  end cleanly, as on SIGTERM
SIGUSR1 writes the state file; SIGTERM, SIGINT and SIGHUP end cleanly (state written,
link and FIFO removed). Without --state the state goes to standard output.

State file (JSON): station, sw2, inputRegisters[12] (0x0000..0x000B),
holdingRegisters[3] (0x0080..0x0082), coils[64] (0/1), identity {modelId, firmwareVersion,
serialNo, com1SlaveId, com1Setting, projectCrc}, phonebook[] {index, disabled, flags,
group, number, record}, shortMessages[] {code, zone, kind, disabled, unicode, flags, group,
text, textBytes, record}, phonebookClears, shortMessageClears, memoryUsed, memoryLimit,
counters {...}. "record" is the request as received without its check code, in hex;
"textBytes" the message's bytes in hex; "text" those bytes decoded (UTF-16 big-endian when
"unicode", else Big5). The phonebook is ordered by record number k, the messages by code.

Memory: every stored record takes its data bytes plus 4. The model's memory (--model-id) is
8192 bytes for the 64-zone model (family 0x40) and 16384 for the others; a record that would
not fit is refused with exception 02 and changes nothing.
)";

void Print(FILE* to, const QString& text) {
    std::fputs(text.toLocal8Bit().constData(), to);
    std::fflush(to);
}

bool Fail(const QString& message, int& exitCode) {
    Print(stderr, QStringLiteral("korva-devsim: %1\n").arg(message));
    exitCode = 2;
    return false;
}

std::nullopt_t Failed(const QString& message, int& exitCode) {
    Fail(message, exitCode);
    return std::nullopt;
}

bool Probability(const QString& name, const QString& text, double& out, int& exitCode) {
    bool ok = false;
    out = text.toDouble(&ok);
    if (!ok || out < 0 || out > 1)
        return Fail(
            QStringLiteral("--%1 wants a probability from 0 to 1, not \"%2\"").arg(name, text),
            exitCode);
    return true;
}

} // namespace

bool ParseNumber(const QString& text, uint64_t max, uint64_t& value) {
    bool ok = false;
    const QString t = text.trimmed();
    if (t.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        value = t.mid(2).toULongLong(&ok, 16);
    else
        value = t.toULongLong(&ok, 10);
    return ok && value <= max;
}

std::optional<Options> ParseOptions(const QStringList& arguments, int& exitCode) {
    QCommandLineParser p;
    p.setApplicationDescription(QStringLiteral(
        "A virtual alarm dialer: answers Modbus RTU requests as the device on a pseudo-terminal."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help."));
    auto opt = [](const char* name, const char* desc, const char* value = nullptr) {
        return value ? QCommandLineOption(QString::fromLatin1(name), QString::fromLatin1(desc),
                                          QString::fromLatin1(value))
                     : QCommandLineOption(QString::fromLatin1(name), QString::fromLatin1(desc));
    };
    const auto link = opt(
        "link", "Create a symlink PATH to the pseudo-terminal (parent folders are made).", "PATH");
    const auto slave =
        opt("slave", "Station address the device answers (1..255, default 247).", "N");
    const auto model = opt("model-id", "Model ID register (default 0x4106, VX700-RV27MS).", "N");
    const auto firmware = opt("firmware", "Firmware version register (default 0x0102).", "N");
    const auto serial =
        opt("serial", "Product S/N, 16 digits (default 1209214378563412).", "DIGITS");
    const auto com1 =
        opt("com1", "COM1 setting byte, register 0x0081 (default 0x03: 9600, no parity).", "N");
    const auto com1Slave =
        opt("com1-slave", "COM1 slave ID, register 0x0080 (1..255, default 1).", "N");
    const auto coils = opt("coils", "The 64 coils as one number, bit i = coil i (default 0).", "N");
    const auto input =
        opt("input", "Set input register ADDR (0..11) to VALUE; repeatable.", "ADDR=VALUE");
    const auto sw2 =
        opt("sw2", "Setting switch SW2: on answers, off keeps silent (default on).", "on|off");
    const auto pace =
        opt("pace", "Pace replies to 9600 baud wire time (10 bits a character): the request's "
                    "own wire time and a 3.5-character gap pass before a reply, whose "
                    "bytes then go out one character time apart.");
    const auto seed = opt("seed", "Seed of the fault injection (default 1).", "N");
    const auto drop = opt("drop-reply", "Probability of withholding a reply.", "P");
    const auto dropNth = opt("drop-nth", "Withhold exactly the Nth reply (1-based).", "N");
    const auto corrupt = opt("corrupt-crc", "Probability of a reply with a wrong check code.", "P");
    const auto wrong =
        opt("wrong-station", "Probability of a reply from another station address.", "P");
    const auto exception =
        opt("exception", "Answer every request with this exception code (1..255).", "CODE");
    const auto exceptionRate = opt("exception-rate",
                                   "Probability of refusing a request with exception 04 "
                                   "(the request is not carried out).",
                                   "P");
    const auto stall =
        opt("stall-mid-frame", "Probability of sending half a reply, then silence.", "P");
    const auto noise = opt("noise", "Probability of 1..4 random bytes before a reply.", "P");
    const auto state =
        opt("state", "Write the state as JSON to FILE at exit and on request.", "FILE");
    const auto control =
        opt("control", "Read control commands from the FIFO at PATH (made if missing).", "PATH");
    const auto log =
        opt("log", "Print every frame in and out in hex, with a timestamp, on stderr.");
    p.addOptions({help,  link,      slave,         model, firmware, serial, com1,    com1Slave,
                  coils, input,     sw2,           pace,  seed,     drop,   dropNth, corrupt,
                  wrong, exception, exceptionRate, stall, noise,    state,  control, log});

    if (!p.parse(arguments)) return Failed(p.errorText(), exitCode);
    if (p.isSet(help)) {
        Print(stdout, p.helpText() + QString::fromLatin1(Details));
        exitCode = 0;
        return std::nullopt;
    }
    if (!p.positionalArguments().isEmpty())
        return Failed(
            QStringLiteral("unexpected argument \"%1\"").arg(p.positionalArguments().first()),
            exitCode);

    Options o;
    auto number = [&](const QCommandLineOption& option, uint64_t min, uint64_t max, uint64_t& out) {
        if (!p.isSet(option)) return true;
        const QString text = p.value(option);
        if (!ParseNumber(text, max, out) || out < min)
            return Fail(QStringLiteral("--%1 wants a number from %2 to %3, not \"%4\"")
                            .arg(option.names().first())
                            .arg(min)
                            .arg(max)
                            .arg(text),
                        exitCode);
        return true;
    };
    // A number option into its field, whatever the field's width; absent, the field keeps its
    // default.
    auto into = [&](const QCommandLineOption& option, uint64_t min, uint64_t max, auto& field) {
        uint64_t v = static_cast<uint64_t>(field);
        if (!number(option, min, max, v)) return false;
        field = static_cast<std::remove_reference_t<decltype(field)>>(v);
        return true;
    };
    if (!into(slave, 1, 255, o.device.station) || !into(model, 0, 0xFFFF, o.device.modelId) ||
        !into(firmware, 0, 0xFFFF, o.device.firmware) ||
        !into(com1, 0, 0xFF, o.device.com1Setting) ||
        !into(com1Slave, 1, 0xFF, o.device.com1Slave) ||
        !into(coils, 0, UINT64_MAX, o.device.coils))
        return std::nullopt;
    if (p.isSet(serial)) {
        const QString s = p.value(serial);
        if (!QRegularExpression(QStringLiteral("^[0-9]{16}$")).match(s).hasMatch())
            return Failed(QStringLiteral("--serial wants 16 decimal digits, not \"%1\"").arg(s),
                          exitCode);
        o.device.serialNo = s;
    }
    for (const QString& item : p.values(input)) {
        const QStringList parts = item.split(QLatin1Char('='));
        uint64_t address = 0, value = 0;
        if (parts.size() != 2 || !ParseNumber(parts[0], Device::InputCount - 1, address) ||
            !ParseNumber(parts[1], 0xFFFF, value))
            return Failed(
                QStringLiteral(
                    "--input wants ADDR=VALUE with ADDR 0..11 and VALUE 0..0xFFFF, not \"%1\"")
                    .arg(item),
                exitCode);
        o.device.inputs.append({static_cast<int>(address), static_cast<uint16_t>(value)});
    }
    if (p.isSet(sw2)) {
        const QString s = p.value(sw2).toLower();
        if (s != QLatin1String("on") && s != QLatin1String("off"))
            return Failed(QStringLiteral("--sw2 wants on or off, not \"%1\"").arg(p.value(sw2)),
                          exitCode);
        o.sw2 = s == QLatin1String("on");
    }
    if (!into(seed, 0, UINT64_MAX, o.faults.seed) ||
        !into(dropNth, 1, INT64_MAX, o.faults.dropNth) ||
        !into(exception, 1, 0xFF, o.faults.exception))
        return std::nullopt;
    const std::pair<const QCommandLineOption*, double*> probabilities[] = {
        {&drop, &o.faults.dropReply},     {&corrupt, &o.faults.corruptCrc},
        {&wrong, &o.faults.wrongStation}, {&stall, &o.faults.stallMidFrame},
        {&noise, &o.faults.noise},        {&exceptionRate, &o.faults.exceptionRate}};
    for (const auto& [option, out] : probabilities)
        if (p.isSet(*option) &&
            !Probability(option->names().first(), p.value(*option), *out, exitCode))
            return std::nullopt;
    o.link = p.value(link);
    o.stateFile = p.value(state);
    o.control = p.value(control);
    o.pace = p.isSet(pace);
    o.log = p.isSet(log);
    return o;
}

} // namespace devsim
