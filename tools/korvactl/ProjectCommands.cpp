#include "ProjectCommands.h"

#include "TerminalUi.h"

#include "app/AppContext.h"
#include "db/Connection.h"
#include "db/FileUtil.h"
#include "db/RowSet.h"
#include "device/Download.h"
#include "device/KORVADll.h"
#include "editing/CsvExchange.h"
#include "editing/PhoneBook.h"
#include "editing/SheetPrint.h"
#include "editing/ValidUtil.h"
#include "store/KORVAMain.h"
#include "store/ProjectLock.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QLockFile>

namespace ProjectCommands {

QString Invocation::Path(const QString& option) const {
    return QDir(start).absoluteFilePath(args.value(option));
}

ProjectSession::ProjectSession(AppContext& ctx, TerminalUi& ui)
    : m_ctx(ctx), m_ui(ui), m_dir(QDir::temp().filePath(QStringLiteral("korvactl-XXXXXX"))) {}

ProjectSession::~ProjectSession() {
    if (m_open) {
        // Whatever a command left unsaved is dropped: only an agreed import saves.
        m_ctx.project.IsModified = false;
        KORVAMain::CloseProject(m_ctx);
    }
    m_ui.pathAlias = {};
}

bool ProjectSession::Open(const QString& path, bool writes) {
    // Not a file, or a file larger than its pages: the open's own message, nothing copied.
    if (!QFileInfo(path).isFile() || !Connection::SizeFitsHeader(path)) {
        KORVAMain::OpenProject(m_ctx, path);
        return false;
    }
    if (writes) {
        ProjectLock::Holder holder;
        bool heldElsewhere = false;
        m_lock = ProjectLock::Take(path, &holder, &heldElsewhere);
        if (heldElsewhere) {
            KORVAMain::ShowLocked(m_ctx, path, holder);
            return false;
        }
        if (KORVAMain::RefuseReadOnly(m_ctx, path)) return false;
    }
    if (!m_dir.isValid()) {
        m_ctx.ui.MsgBox(QStringLiteral("No temporary folder for a copy of the project: ") +
                            m_dir.errorString(),
                        vbOKOnly | vbCritical, QStringLiteral("korvactl"));
        return false;
    }
    // The copy must not enter the recent-files list of the program folder's system
    // database: without its row set the open stores no list.
    if (m_ctx.sysdb.MRUList) m_ctx.sysdb.MRUList->Close();
    m_ctx.sysdb.MRUList.reset();
    const QString copy = m_dir.filePath(QFileInfo(path).fileName());
    // With its log or journal, so that the copy holds what the file holds.
    if (!KORVAMain::CopyDatabase(path, copy)) {
        m_ctx.ui.MsgBox(QStringLiteral("Cannot copy the project %1").arg(path),
                        vbOKOnly | vbCritical, QStringLiteral("korvactl"));
        return false;
    }
    m_ui.pathAlias = {copy, path};
    m_open = KORVAMain::OpenProject(m_ctx, copy);
    if (!m_open) return false;
    // From here the project is the person's file: messages name it, and a save replaces it
    // (after the save's own read-only and reopen checks).
    m_ctx.project.ProjPath = path;
    return true;
}

namespace {
QString Quoted(const QString& text) {
    QString t = text;
    t.replace(QLatin1Char('\\'), QLatin1String("\\\\"))
        .replace(QLatin1Char('"'), QLatin1String("\\\""));
    t.replace(QLatin1Char('\r'), QLatin1String("\\r"))
        .replace(QLatin1Char('\n'), QLatin1String("\\n"));
    return QLatin1Char('"') + t + QLatin1Char('"');
}

QString Hex2(int v) {
    return QStringLiteral("%1").arg(v & 0xFF, 2, 16, QLatin1Char('0'));
}

QByteArray WithCheckCode(QByteArray record) {
    const int crc = KORVADll::CRC16(0xFFFF, record);
    record.append(char(crc & 0xFF));
    record.append(char(crc >> 8));
    return record;
}

bool Zones(const QCommandLineParser& args) {
    return args.isSet(QStringLiteral("zones"));
}
QString CsvPath(const Invocation& in) {
    return in.Path(Zones(in.args) ? QStringLiteral("zones") : QStringLiteral("contacts"));
}
} // namespace

int Check(Invocation& in) {
    AppContext& ctx = in.ctx;
    const ProjectImage image = PhoneBook::BuildImages(ctx.project, false);
    if (!ValidUtil::CheckBeforeDownload(ctx, image)) return kFailed;
    const int limit = ctx.project.MaxMemoryByte;
    in.ui.out << "Groups: " << image.groups.size() << '\n'
              << "Phonebook entries: " << image.phoneBook.size() << '\n'
              << "Short messages: " << image.shortMessages.size()
              << (image.isUnicode ? " (Unicode)\n" : "\n") << "Memory: " << image.projectSize
              << " of " << limit << " bytes\n";
    in.ui.out.flush();
    if (image.projectSize > limit) {
        in.ui.err << "The project takes " << image.projectSize << " bytes, "
                  << image.projectSize - limit << " more than the device's memory of " << limit
                  << " bytes.\n";
        return kFailed;
    }
    return kOk;
}

int Image(Invocation& in) {
    const bool hex = in.args.isSet(QStringLiteral("hex"));
    QTextStream& out = in.ui.out;
    const ProjectImage image = PhoneBook::BuildImages(in.ctx.project, false);
    int k = 0;
    for (const PhoneBookEntry& e : image.phoneBook) {
        const QByteArray record = Download::PhoneBookRecord(e, ++k);
        if (hex) {
            out << WithCheckCode(record).toHex(' ') << '\n';
            continue;
        }
        out << "phonebook k=" << k << " group=" << e.groupNo << " flags=" << Hex2(record[5])
            << (e.IsDisable ? " disabled " : " ") << Quoted(e.PhoneNumber) << '\n';
    }
    for (const ShortMessageEntry& e : image.shortMessages) {
        const QByteArray record = Download::ShortMessageRecord(e, image.isUnicode);
        if (hex) {
            out << WithCheckCode(record).toHex(' ') << '\n';
            continue;
        }
        const bool alarm = e.code < PhoneBook::kResetCodeOffset;
        out << "message code=" << e.code << " zone="
            << (alarm ? e.code - PhoneBook::kAlarmCodeOffset : e.code - PhoneBook::kResetCodeOffset)
            << (alarm ? " alarm" : " reset") << " group=" << e.groupNo
            << " flags=" << Hex2(record[5]) << " bytes=" << e.bytes.size() << ' ' << Quoted(e.text)
            << '\n';
    }
    return kOk;
}

int Download(Invocation& in) {
    in.ctx.link.dumpDir = in.Path(QStringLiteral("dump-dir"));
    // The history names the project file, not the copy, and the dialer as read before sending.
    in.ctx.link.historyProjectPath = in.project;
    in.ctx.link.identifyAtDownload = true;
    const int declined = in.ui.declinedQuestions;
    const bool ok = Download::DownloadProject(in.ctx);
    if (!ok && in.ui.declinedQuestions != declined) in.ui.err << "Nothing was sent.\n";
    return ok ? kOk : kFailed;
}

int SheetUsage(TerminalUi& ui, const QCommandLineParser& args) {
    const QString size = args.value(QStringLiteral("paper")).toLower();
    if (args.isSet(QStringLiteral("pdf")) &&
        (size.isEmpty() || size == QLatin1String("a4") || size == QLatin1String("letter")))
        return kOk;
    ui.err << "sheet takes --pdf FILE and, if given, --paper A4 or Letter.\n";
    return kUsage;
}

int Sheet(Invocation& in) {
    const QString size = in.args.value(QStringLiteral("paper")).toLower();
    const QPageSize::PageSizeId paper = size == QLatin1String("letter") ? QPageSize::Letter
                                        : size == QLatin1String("a4")   ? QPageSize::A4
                                                                      : SheetPrint::DefaultPaper();
    const QString pdf = in.Path(QStringLiteral("pdf"));
    if (!SheetPrint::WritePdf(in.ctx, pdf, paper)) return kFailed;
    in.ui.out << "Wrote " << QDir::toNativeSeparators(pdf) << '\n';
    return kOk;
}

int ExchangeUsage(TerminalUi& ui, const QCommandLineParser& args) {
    if (Zones(args) != args.isSet(QStringLiteral("contacts"))) return kOk;
    ui.err << args.positionalArguments().value(0)
           << " takes either --contacts FILE.csv or --zones FILE.csv.\n";
    return kUsage;
}

int Export(Invocation& in) {
    const bool zones = Zones(in.args);
    const QString file = CsvPath(in);
    int rows = 0;
    const auto table = zones ? CsvExchange::Table::Zones : CsvExchange::Table::Contacts;
    if (!CsvExchange::ExportFile(in.ctx, table, file, &rows)) return kFailed;
    in.ui.out << "Wrote " << rows << (zones ? " zones" : " contacts") << " to " << file << '\n';
    return kOk;
}

int Import(Invocation& in) {
    AppContext& ctx = in.ctx;
    TerminalUi& ui = in.ui;
    CsvImportForm& form = ctx.forms.csvImport;
    form.chkCreateGroups = in.args.isSet(QStringLiteral("create-groups"));
    const auto table = Zones(in.args) ? CsvExchange::Table::Zones : CsvExchange::Table::Contacts;
    if (!form.LoadFormObj(ctx, table, CsvPath(in))) return kFailed;
    for (const CsvExchange::RowVerdict& r : form.plan.rows) {
        ui.out << r.line << '\t' << CsvExchange::VerdictText(ctx.ml, r.verdict) << '\t' << r.key;
        if (!r.details.isEmpty()) ui.out << '\t' << r.details;
        ui.out << '\n';
    }
    ui.out << form.Summary(ctx.ml) << '\n';
    ui.out.flush();
    // A script must never miss a refusal: all rows or none, unless it says otherwise.
    const int refused = form.plan.Count(CsvExchange::Verdict::Refused);
    if (refused > 0 && !in.args.isSet(QStringLiteral("skip-refused"))) {
        ui.err << refused << (refused == 1 ? " row was" : " rows were")
               << " refused; nothing was written. --skip-refused writes the accepted rows.\n";
        return kFailed;
    }
    const int done = refused > 0 ? kSomeRefused : kOk;
    if (!form.plan.HasWork()) {
        ui.err << "Nothing to write; the project is unchanged.\n";
        return done;
    }
    if (!CsvExchange::AskApply(ctx, form.plan)) {
        ui.err << "Nothing was changed.\n";
        return kFailed;
    }
    if (!form.cmdOK_Click(ctx)) return kFailed;
    if (KORVAMain::SaveProject(ctx, true, false, false) != KORVAMain::kSaved) return kFailed;
    return done;
}
} // namespace ProjectCommands
