// korvactl: the configuration tool's core from a terminal. It starts like the program (text
// database, settings file, system database, all beside the executable) and runs one command.
#include "BenchDownload.h"
#include "HistoryCommands.h"
#include "MachineDownload.h"
#include "ProjectCommands.h"
#include "TerminalUi.h"

#include "app/AppContext.h"
#include "app/Startup.h"
#include "app/UserFolder.h"
#include "device/ComPort.h"
#include "device/CommSetting.h"
#include "device/CommUtil.h"
#include "device/DebugRegisters.h"
#include "device/KORVACommUtil.h"
#include "editing/SheetPrint.h"
#include "ml/MLUtil.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <QRegularExpression>
#include <memory>
#include <optional>

namespace {

using ProjectCommands::Invocation;
using ProjectCommands::kFailed;
using ProjectCommands::kOk;
using ProjectCommands::kUsage;

void Trace(QTextStream& err, const FrameEvent& e) {
    const QString time = e.time.toString(QStringLiteral("HH:mm:ss.zzz"));
    switch (e.direction) {
    case FrameDirection::Sent:
        err << time << " TX " << e.bytes.toHex(' ') << '\n';
        break;
    case FrameDirection::Received:
        err << time << " RX " << e.bytes.toHex(' ');
        if (!e.note.isEmpty()) err << "  (" << e.note << ')';
        err << '\n';
        break;
    case FrameDirection::Discarded:
        err << time << " -- dropped stale input " << e.bytes.toHex(' ') << '\n';
        break;
    case FrameDirection::Note:
        err << time << " -- " << e.note << '\n';
        break;
    }
    err.flush();
}

int Ports(Invocation& in) {
    TerminalUi& ui = in.ui;
    const auto ports = CommUtil::AvailablePorts();
    for (const CommUtil::PortChoice& p : ports) {
        ui.out << p.name;
        if (!p.description.isEmpty()) ui.out << '\t' << p.description;
        ui.out << '\n';
    }
    if (ports.isEmpty())
        ui.err << "No serial ports found; any device path can be given with --port.\n";
    return kOk;
}

int Info(Invocation& in) {
    KORVACommUtil::Connect(in.ctx);
    return in.ctx.ConnectStatus ? kOk : kFailed;
}

int Registers(Invocation& in) {
    AppContext& ctx = in.ctx;
    TerminalUi& ui = in.ui;
    if (!CommUtil::EnsurePortOpen(ctx)) return kFailed;
    const auto rows = DebugRegisters::Rows();
    int width = 0;
    for (const DebugRegisterRow& r : rows)
        width = std::max(width, int(r.name.size()));
    ui.out << QStringLiteral("Name").leftJustified(width + 2)
           << "Address  Function  Count  Value\n";
    for (const DebugRegisterRow& r : rows) {
        QString value;
        if (!DebugRegisters::ReadRow(ctx, r, value)) {
            ui.err << "No valid response reading \"" << r.name << "\" (" << r.addressText << ")."
                   << CommUtil::LostPortText(ctx).replace(QLatin1String("\r\n"),
                                                          QLatin1String("\n"))
                   << '\n';
            return kFailed;
        }
        int address = 0, function = 0;
        DebugRegisters::SplitTag(r.tag, address, function);
        ui.out << r.name.leftJustified(width + 2) << r.addressText.leftJustified(9)
               << QStringLiteral("%1").arg(function, 2, 10, QLatin1Char('0')).leftJustified(10)
               << r.count.rightJustified(5) << "  " << value << '\n';
        ui.out.flush();
    }
    return kOk;
}

int SetCommUsage(TerminalUi& ui, const QCommandLineParser& args) {
    if (args.isSet(QStringLiteral("parity"))) {
        const QString parity = args.value(QStringLiteral("parity")).toUpper();
        if (parity != QLatin1String("EVEN") && parity != QLatin1String("ODD") &&
            parity != QLatin1String("NONE")) {
            ui.err << "--parity takes EVEN, ODD or NONE.\n";
            return kUsage;
        }
    }
    if (args.isSet(QStringLiteral("slave"))) {
        const QString slave = args.value(QStringLiteral("slave"));
        static const QRegularExpression digits(QStringLiteral("^[0-9]{1,3}$"));
        if (!digits.match(slave).hasMatch() || slave.toInt() < 1 || slave.toInt() > 255) {
            ui.err << "--slave takes a station address from 1 to 255.\n";
            return kUsage;
        }
    }
    return kOk;
}

int SetComm(Invocation& in) {
    AppContext& ctx = in.ctx;
    TerminalUi& ui = in.ui;
    const QCommandLineParser& args = in.args;
    const QString parity = args.value(QStringLiteral("parity")).toUpper();
    const QString slave = args.isSet(QStringLiteral("slave"))
                              ? QString::number(args.value(QStringLiteral("slave")).toInt())
                              : QString();
    if (!CommUtil::EnsurePortOpen(ctx)) return kFailed;
    CommSettingForm form;
    if (!CommSetting::LoadFormObj(ctx, form)) return kFailed;
    ui.out << "Device: " << (form.lblModelName.isEmpty() ? form.device.TypeCode : form.lblModelName)
           << ", slave ID " << form.loadedSlaveID << ", " << form.loadedBaud << ", "
           << form.loadedParity << '\n';
    if (!slave.isEmpty()) form.txtSlaveID = slave;
    if (args.isSet(QStringLiteral("baud"))) form.cmbPortBaud = args.value(QStringLiteral("baud"));
    if (!parity.isEmpty()) form.cmbParityBit = parity;
    const int before = ui.messageCount;
    switch (CommSetting::OkPressed(ctx, form)) {
    case CommSetting::OkAction::Close:
        if (ui.messageCount != before) return kFailed; // refused, with its message
        ui.out << "Nothing changed.\n";
        return kOk;
    case CommSetting::OkAction::StayOpen:
        return kFailed;
    case CommSetting::OkAction::CloseAndSave:
        break;
    }
    return CommSetting::SaveFormObj(ctx, form) ? kOk : kFailed;
}

// history and diff: their options, paths from the folder korvactl was started in.
int RunHistoryCommand(AppContext& ctx, TerminalUi& ui, const QCommandLineParser& args,
                      const QDir& startDir) {
    HistoryCommands::Options o;
    o.historyPath = ctx.historyPath;
    o.device = args.value(QStringLiteral("device")).trimmed();
    if (args.isSet(QStringLiteral("project")))
        o.project = startDir.absoluteFilePath(args.value(QStringLiteral("project")));
    o.json = args.isSet(QStringLiteral("json"));
    QStringList files = args.positionalArguments().mid(1);
    for (QString& f : files)
        f = startDir.absoluteFilePath(f);
    if (args.positionalArguments().value(0) == QLatin1String("history")) {
        if (!files.isEmpty()) {
            ui.err << "history takes no file; narrow it with --device and --project.\n";
            return kUsage;
        }
        return HistoryCommands::History(ctx, ui, o);
    }
    return HistoryCommands::Diff(ctx, ui, files, o);
}

int HistoryRun(Invocation& in) {
    return RunHistoryCommand(in.ctx, in.ui, in.args, QDir(in.start));
}

// One row per command: its name, what it needs, its help and its function. A command that
// takes a project works on a temporary copy; one that writes also holds the project's lock
// and refuses a read-only file (ProjectCommands::ProjectSession), all done by main.
struct Command {
    const char* name;
    bool project;     // takes PROJECT.cmb
    bool device;      // talks to the device through --port; a failure names the port
    bool writes;      // may replace the project file
    bool drawing;     // lays out pages: needs Qt Gui (off screen)
    bool files;       // takes files of its own (history, diff), checked by the command
    const char* help; // the help's lines, the command's two examples last
    int (*usage)(TerminalUi&, const QCommandLineParser&); // option checks before the start
    int (*run)(Invocation&);
};

const Command kCommands[] = {
    {"ports", false, false, false, false, false,
     "  ports                 List the serial ports of this computer.\n"
     "                          korvactl ports\n"
     "                          korvactl ports | grep USB\n",
     nullptr, Ports},
    {"info", false, true, false, false, false,
     "  info                  Connect to the device and show its model, serial number and\n"
     "                        settings (exit 0 when connected, 1 otherwise).\n"
     "                          korvactl info --port /dev/ttyUSB0\n"
     "                          korvactl info --port /dev/ttyUSB0 --timeout 5 --retry 1\n",
     nullptr, Info},
    {"registers", false, true, false, false, false,
     "  registers             Read the device's status registers; print each with its\n"
     "                        address, function and raw value in hexadecimal.\n"
     "                          korvactl registers --port /dev/ttyUSB0\n"
     "                          korvactl registers --port /dev/ttyUSB0 --trace\n",
     nullptr, Registers},
    {"set-comm", false, true, false, false, false,
     "  set-comm              Change the device's COM1 settings: --slave, --baud, --parity\n"
     "                        (what is not given stays as the device has it). Needs --yes.\n"
     "                          korvactl set-comm --port /dev/ttyUSB0 --slave 12 --yes\n"
     "                          korvactl set-comm --port /dev/ttyUSB0 --baud 9600 --parity EVEN "
     "--yes\n",
     SetCommUsage, SetComm},
    {"check", true, false, false, false, false,
     "  check PROJECT.cmb     Run the pre-download check and print what the device would hold:\n"
     "                        groups, phonebook entries, messages, bytes against the model's\n"
     "                        memory (exit 0 only when the project may be downloaded).\n"
     "                          korvactl check Site.cmb\n"
     "                          korvactl check Site.cmb --lang English\n",
     nullptr, ProjectCommands::Check},
    {"image", true, false, false, false, false,
     "  image PROJECT.cmb     Print every record as the download sends it; --hex prints the\n"
     "                        frames with their check code.\n"
     "                          korvactl image Site.cmb\n"
     "                          korvactl image Site.cmb --hex\n",
     nullptr, ProjectCommands::Image},
    {"download", true, true, false, false, false,
     "  download PROJECT.cmb  Download the project into the device (--port), with a progress\n"
     "                        line on stderr. Asks first unless --yes. The dumps of the sent\n"
     "                        records go to --dump-dir (default: the current folder).\n"
     "                        Several --port (or --ports-from FILE) download to every dialer\n"
     "                        at once: a progress line per port, one confirmation, a table of\n"
     "                        the outcomes (exit 0 only when all succeeded), dumps in a folder\n"
     "                        per port under --dump-dir.\n"
     "                          korvactl download Site.cmb --port /dev/ttyUSB0\n"
     "                          korvactl download Site.cmb --port ttyUSB0 --port ttyUSB1 --yes "
     "--dump-dir dumps\n",
     nullptr, ProjectCommands::Download},
    {"sheet", true, false, false, true, false,
     "  sheet PROJECT.cmb     Write the project sheet (basic information, memory, groups with\n"
     "                        their members, zones with their messages) as a PDF file: --pdf\n"
     "                        FILE, on --paper A4 or Letter (default: the locale's paper).\n"
     "                          korvactl sheet Site.cmb --pdf Site.pdf\n"
     "                          korvactl sheet Site.cmb --pdf Site.pdf --paper Letter\n",
     ProjectCommands::SheetUsage, ProjectCommands::Sheet},
    {"export", true, false, false, false, false,
     "  export PROJECT.cmb    Write the contacts (--contacts FILE.csv) or the zones\n"
     "                        (--zones FILE.csv) as a comma-separated file.\n"
     "                          korvactl export Site.cmb --contacts contacts.csv\n"
     "                          korvactl export Site.cmb --zones zones.csv\n",
     ProjectCommands::ExchangeUsage, ProjectCommands::Export},
    {"import", true, false, true, false, false,
     "  import PROJECT.cmb    Read contacts or zones from --contacts or --zones FILE.csv,\n"
     "                        print the verdict of every row, and write the accepted rows\n"
     "                        after asking (--yes); --create-groups creates missing groups.\n"
     "                        A refused row writes nothing (exit 1) unless --skip-refused\n"
     "                        (then exit 3 when rows were refused).\n"
     "                          korvactl import Site.cmb --contacts contacts.csv --yes\n"
     "                          korvactl import Site.cmb --zones zones.csv\n",
     ProjectCommands::ExchangeUsage, ProjectCommands::Import},
    {"history", false, false, false, false, true,
     "  history               List the download attempts recorded on this computer, newest\n"
     "                        first; --device SERIAL and --project FILE narrow the list,\n"
     "                        --json prints them for scripts.\n"
     "                          korvactl history --device 12-09-2143-785634-12\n"
     "                          korvactl history --project Site.cmb --json\n",
     nullptr, HistoryRun},
    {"diff", false, false, false, false, true,
     "  diff A.cmb B.cmb      Compare two projects by their content: groups, contacts and\n"
     "  diff A.cmb --device SERIAL  zones added, removed or changed, and the basic information;\n"
     "                        with --device, from the last image sent to that dialer to the\n"
     "                        project (exit 0 equal, 1 different, 2 error; --json for scripts).\n"
     "                          korvactl diff Site.cmb Site-old.cmb\n"
     "                          korvactl diff Site.cmb --device 12-09-2143-785634-12 --json\n",
     nullptr, HistoryRun},
};

const Command* FindCommand(const QString& name) {
    for (const Command& c : kCommands)
        if (name == QLatin1String(c.name)) return &c;
    return nullptr;
}

// The help with the port used when --port is not given.
QString HelpText() {
    QString text = QStringLiteral("Commands:\n");
    QStringList names;
    for (const Command& c : kCommands) {
        text += QString::fromUtf8(c.help);
        names << QString::fromLatin1(c.name);
    }
    return text +
           QStringLiteral(
               "The commands that talk to the device use --port; without it, the first serial "
               "port\n(%1). Every message of a failure names the port. --demo instead starts the\n"
               "built-in simulated device (korva-devsim, beside korvactl) for the command.\n"
               "Only an agreed import changes the project file, under the project's lock (as the\n"
               "window takes it); the other commands read a temporary copy. Exit codes: 0 done,\n"
               "1 failed or refused, 2 wrong usage, 3 import --skip-refused left rows out.\n")
               .arg(CommUtil::PortNameOf(CommValues().PortNo));
}

// A port given as a path is taken from the starting folder, like every other path; a bare
// name ("ttyUSB0", "COM3") stays a port name unless such a file is there.
QString PortFromStart(const QString& port, const QDir& start) {
    if (QDir::isAbsolutePath(port)) return port;
    if (port.contains(u'/') || QFileInfo::exists(start.filePath(port)))
        return QDir::cleanPath(start.absoluteFilePath(port));
    return port;
}

void DefineArguments(QCommandLineParser& args) {
    args.setApplicationDescription(
        QStringLiteral("The KORVA configuration tool from a terminal.\n\n") + HelpText());
    args.addHelpOption();
    args.addPositionalArgument(QStringLiteral("command"), [] {
        QStringList names;
        for (const Command& c : kCommands)
            names << QString::fromLatin1(c.name);
        return names.join(QStringLiteral(", "));
    }());
    args.addPositionalArgument(QStringLiteral("project"),
                               QStringLiteral("the project file of a command that takes one"),
                               QStringLiteral("[PROJECT.cmb]"));
    args.addOptions({
        {QStringLiteral("port"),
         QStringLiteral("The serial port: a device path or port name (default: ") +
             CommUtil::PortNameOf(CommValues().PortNo) + QStringLiteral(")."),
         QStringLiteral("P")},
        {QStringLiteral("demo"),
         QStringLiteral("Use the built-in simulated device instead of a serial port.")},
        {QStringLiteral("timeout"),
         QStringLiteral("Silent time-out in seconds (default: the settings file)."),
         QStringLiteral("S")},
        {QStringLiteral("retry"),
         QStringLiteral("Retries after a failed attempt (default: the settings file)."),
         QStringLiteral("N")},
        {QStringLiteral("lang"),
         QStringLiteral("Language of the texts: AUTO (from the system's locale), "
                        "ChineseBig5, ChineseGB or English."),
         QStringLiteral("NAME")},
        {QStringLiteral("trace"),
         QStringLiteral("Print every frame in hex with a timestamp on stderr.")},
        {QStringLiteral("yes"), QStringLiteral("Answer questions with OK / Yes.")},
        {QStringLiteral("slave"), QStringLiteral("set-comm: the device's COM1 slave ID (1..255)."),
         QStringLiteral("N")},
        {QStringLiteral("baud"),
         QStringLiteral("set-comm: the COM1 baud rate, as the model lists it."),
         QStringLiteral("TEXT")},
        {QStringLiteral("parity"), QStringLiteral("set-comm: EVEN, ODD or NONE."),
         QStringLiteral("P")},
        {QStringLiteral("hex"), QStringLiteral("image: the frames in hex, check code included.")},
        {QStringLiteral("dump-dir"),
         QStringLiteral("download: the folder of the dump files (several ports: a folder per "
                        "port in it)."),
         QStringLiteral("DIR")},
        {QStringLiteral("ports-from"),
         QStringLiteral("download: the ports of a bench, one a line, all at once."),
         QStringLiteral("FILE")},
        {QStringLiteral("pdf"), QStringLiteral("sheet: the PDF file to write."),
         QStringLiteral("FILE")},
        {QStringLiteral("paper"), QStringLiteral("sheet: A4 or Letter."), QStringLiteral("SIZE")},
        {QStringLiteral("contacts"), QStringLiteral("export, import: the contacts file."),
         QStringLiteral("FILE.csv")},
        {QStringLiteral("zones"), QStringLiteral("export, import: the zones file."),
         QStringLiteral("FILE.csv")},
        {QStringLiteral("device"), QStringLiteral("history, diff: the dialer's serial number."),
         QStringLiteral("SERIAL")},
        {QStringLiteral("project"), QStringLiteral("history: only the downloads of this file."),
         QStringLiteral("FILE")},
        {QStringLiteral("json"), QStringLiteral("history, diff: print JSON.")},
        {QStringLiteral("history"),
         QStringLiteral("download, history, diff: the download history file (default: the "
                        "per-user one)."),
         QStringLiteral("FILE")},
        {QStringLiteral("create-groups"),
         QStringLiteral("import: create the contact groups the file names that do not exist.")},
        {QStringLiteral("skip-refused"),
         QStringLiteral("import: write the accepted rows even when others are refused (exit 3).")},
    });
    // A child of a bench download: lines for the parent on stdout, go/cancel on stdin.
    QCommandLineOption machine(QStringLiteral("machine"));
    machine.setFlags(QCommandLineOption::HiddenFromHelp);
    args.addOption(machine);
}

} // namespace

int main(int argc, char* argv[]) {
    // The folder korvactl was started in: every path given is taken from there.
    const QDir start = QDir::current();
    // The sheet lays out pages with fonts, which needs the graphical application; it never
    // shows a window, so it runs off screen. Every other command stays without Qt Gui.
    QStringList argList;
    for (int i = 0; i < argc; ++i)
        argList << QString::fromLocal8Bit(argv[i]);
    QCommandLineParser probe;
    DefineArguments(probe);
    probe.parse(argList);
    const Command* probed = FindCommand(probe.positionalArguments().value(0));
    const bool drawing = probed && probed->drawing;
    if (drawing) qputenv("QT_QPA_PLATFORM", "offscreen");
    const std::unique_ptr<QCoreApplication> app =
        drawing ? std::make_unique<QGuiApplication>(argc, argv)
                : std::make_unique<QCoreApplication>(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("korvactl"));

    QCommandLineParser args;
    DefineArguments(args);
    args.process(*app);

    const bool machine = args.isSet(QStringLiteral("machine"));
    const std::unique_ptr<TerminalUi> terminal =
        machine ? std::make_unique<MachineUi>()
                : std::make_unique<TerminalUi>(args.isSet(QStringLiteral("yes")));
    TerminalUi& ui = *terminal;
    const QStringList positional = args.positionalArguments();
    if (positional.isEmpty()) {
        ui.err << args.helpText();
        return kUsage;
    }
    const Command* command = FindCommand(positional[0]);
    if (!command) {
        ui.err << "Unknown command \"" << positional[0] << "\".\n\n" << HelpText();
        return kUsage;
    }
    if (!command->files && positional.size() != (command->project ? 2 : 1)) {
        ui.err << args.helpText();
        return kUsage;
    }
    const QString language = MLUtil::LanguageName(args.value(QStringLiteral("lang")));
    if (args.isSet(QStringLiteral("lang")) && language.isEmpty()) {
        ui.err << "Unknown language \"" << args.value(QStringLiteral("lang")) << "\": --lang takes "
               << MLUtil::LanguageNames().join(QStringLiteral(", ")) << ".\n";
        return kUsage;
    }
    if (command->usage) {
        if (const int rc = command->usage(ui, args); rc != kOk) return rc;
    }

    // The program folder is where the executable is (installed: the person's own copy of its
    // data); its data files are found from there.
    AppContext ctx(ui);
    // No window shows the project: its tree and list are never built.
    QObject::disconnect(&ctx.storeEvents, nullptr, &ctx.view, nullptr);
    QObject::disconnect(&ctx.editEvents, nullptr, &ctx.view, nullptr);
    const QString folder =
        UserFolder::ChooseProgramFolder(ui, ctx.ml, QCoreApplication::applicationDirPath());
    if (folder.isEmpty()) return kFailed;
    QDir::setCurrent(folder);
    const int localeId = MLUtil::LocaleIdOf(QLocale::system());
    if (!Startup::StartCore(ctx, folder, localeId)) {
        Shutdown::CloseCore(ctx);
        return kUsage;
    }
    if (!language.isEmpty()) {
        ctx.ml.AppliedLangName = language;
        ctx.ml.AppliedLang = MLUtil::ResolveLanguage(ctx.ml.AppliedLangName, localeId);
        MLUtil::LoadTextTable(ctx.ml);
        MLUtil::LoadFormTable(ctx.ml);
    }
    bool ok = true;
    if (args.isSet(QStringLiteral("timeout"))) {
        ctx.comm.TimeOut = args.value(QStringLiteral("timeout")).toInt(&ok);
        if (!ok || !CommValues::TimeOutInRange(ctx.comm.TimeOut)) {
            ui.err << "--timeout takes whole seconds from 0 to 60.\n";
            Shutdown::CloseCore(ctx);
            return kUsage;
        }
    }
    if (args.isSet(QStringLiteral("retry"))) {
        ctx.comm.Retry = args.value(QStringLiteral("retry")).toInt(&ok);
        if (!ok || !CommValues::RetryInRange(ctx.comm.Retry)) {
            ui.err << "--retry takes a count from 0 to 10.\n";
            Shutdown::CloseCore(ctx);
            return kUsage;
        }
    }
    // Several ports (or a list of them): a bench download, a child korvactl per port.
    QStringList benchPorts;
    const bool bench = command->run == ProjectCommands::Download && !machine &&
                       (args.values(QStringLiteral("port")).size() > 1 ||
                        args.isSet(QStringLiteral("ports-from")));
    if (bench && (args.isSet(QStringLiteral("demo")) ||
                  !BenchDownload::Ports(ui, args, start, PortFromStart, benchPorts))) {
        if (args.isSet(QStringLiteral("demo"))) ui.err << "Give either --port or --demo.\n";
        Shutdown::CloseCore(ctx);
        return kUsage;
    }
    if (args.isSet(QStringLiteral("port")))
        ctx.comm.PortName = PortFromStart(args.value(QStringLiteral("port")), start);
    if (args.isSet(QStringLiteral("demo")) && args.isSet(QStringLiteral("port"))) {
        ui.err << "Give either --port or --demo.\n";
        Shutdown::CloseCore(ctx);
        return kUsage;
    }
    if (args.isSet(QStringLiteral("demo")) && !ComPort::TakeDemo(ctx)) {
        Shutdown::CloseCore(ctx);
        return kFailed;
    }
    if (args.isSet(QStringLiteral("trace")))
        ctx.link.observer = [&ui](const FrameEvent& e) { Trace(ui.err, e); };

    // The download history: the per-user file unless --history names another.
    if (args.isSet(QStringLiteral("history")))
        ctx.historyPath = start.absoluteFilePath(args.value(QStringLiteral("history")));
    Invocation in{ctx, ui, args,
                  command->project ? start.absoluteFilePath(positional[1]) : QString(),
                  start.absolutePath()};
    int rc = kFailed;
    {
        ProjectCommands::ProjectSession session(ctx, ui);
        if (!command->project || session.Open(in.project, command->writes))
            rc = bench     ? BenchDownload::Run(in, benchPorts)
                 : machine ? MachineDownload::Run(in, static_cast<MachineUi&>(ui))
                           : command->run(in);
        ui.CloseProgress(); // a progress line still open ends with its line break
    }
    // A device command that failed says which port it used.
    if (rc == kFailed && command->device && !bench && !machine)
        ui.err << "(port " << CommUtil::CurrentPortName(ctx.comm)
               << (args.isSet(QStringLiteral("port")) ? ""
                                                      : ", the default: choose one with --port")
               << ")\n";
    ui.out.flush();
    ui.err.flush();
    CommUtil::ClosePort(ctx);
    Shutdown::CloseCore(ctx);
    return rc;
}
