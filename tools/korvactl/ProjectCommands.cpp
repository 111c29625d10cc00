#include "ProjectCommands.h"

#include "TerminalUi.h"

#include "app/AppContext.h"
#include "db/FileUtil.h"
#include "db/RowSet.h"
#include "device/Download.h"
#include "device/KORVADll.h"
#include "editing/CsvExchange.h"
#include "editing/PhoneBook.h"
#include "editing/SheetPrint.h"
#include "editing/ValidUtil.h"
#include "store/KORVAMain.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

namespace ProjectCommands {
namespace {
constexpr int kOk = 0;
constexpr int kFailed = 1;

// The project opened from a copy in a folder of its own (same file name), closed and
// removed when the command ends.
class TemporaryProject {
public:
    explicit TemporaryProject(AppContext& ctx) : m_ctx(ctx) {}
    TemporaryProject(const TemporaryProject&) = delete;
    TemporaryProject& operator=(const TemporaryProject&) = delete;
    ~TemporaryProject() {
        if (m_open) KORVAMain::CloseProject(m_ctx);
    }
    // False when it could not be opened, after the message saying why.
    bool Open(const QString& path) {
        // A missing or misnamed file: the open's own message, and nothing is copied.
        if (!QFileInfo(path).isFile()) {
            KORVAMain::OpenProject(m_ctx, path);
            return false;
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
        m_open = KORVAMain::OpenProject(m_ctx, copy);
        if (m_open) m_copy = copy;
        return m_open;
    }
    // Saves the copy and puts it in place of the project file, atomically.
    bool SaveOver(const QString& path) {
        if (KORVAMain::SaveProject(m_ctx, true, false, false) != KORVAMain::kSaved) return false;
        QString why;
        if (FileUtil::CopyFileAtomic(m_copy, path, &why)) return true;
        m_ctx.ui.MsgBox(QStringLiteral("Cannot write the project %1: %2").arg(path, why),
                        vbOKOnly | vbCritical, QStringLiteral("korvactl"));
        return false;
    }

private:
    AppContext& m_ctx;
    QTemporaryDir m_dir;
    QString m_copy;
    bool m_open = false;
};

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
} // namespace

int Check(AppContext& ctx, TerminalUi& ui, const QString& project) {
    TemporaryProject open(ctx);
    if (!open.Open(project)) return kFailed;
    const ProjectImage image = PhoneBook::BuildImages(ctx.project, false);
    if (!ValidUtil::CheckBeforeDownload(ctx, image)) return kFailed;
    const int limit = ctx.project.MaxMemoryByte;
    ui.out << "Groups: " << image.groups.size() << '\n'
           << "Phonebook entries: " << image.phoneBook.size() << '\n'
           << "Short messages: " << image.shortMessages.size()
           << (image.isUnicode ? " (Unicode)\n" : "\n") << "Memory: " << image.projectSize << " of "
           << limit << " bytes\n";
    ui.out.flush();
    if (image.projectSize > limit) {
        ui.err << "The project takes " << image.projectSize << " bytes, "
               << image.projectSize - limit << " more than the device's memory of " << limit
               << " bytes.\n";
        return kFailed;
    }
    return kOk;
}

int Image(AppContext& ctx, TerminalUi& ui, const QString& project, bool hex) {
    TemporaryProject open(ctx);
    if (!open.Open(project)) return kFailed;
    const ProjectImage image = PhoneBook::BuildImages(ctx.project, false);
    int k = 0;
    for (const PhoneBookEntry& e : image.phoneBook) {
        const QByteArray record = Download::PhoneBookRecord(e, ++k);
        if (hex) {
            ui.out << WithCheckCode(record).toHex(' ') << '\n';
            continue;
        }
        ui.out << "phonebook k=" << k << " group=" << e.groupNo << " flags=" << Hex2(record[5])
               << (e.IsDisable ? " disabled " : " ") << Quoted(e.PhoneNumber) << '\n';
    }
    for (const ShortMessageEntry& e : image.shortMessages) {
        const QByteArray record = Download::ShortMessageRecord(e, image.isUnicode);
        if (hex) {
            ui.out << WithCheckCode(record).toHex(' ') << '\n';
            continue;
        }
        const bool alarm = e.code < PhoneBook::kResetCodeOffset;
        ui.out << "message code=" << e.code << " zone="
               << (alarm ? e.code - PhoneBook::kAlarmCodeOffset
                         : e.code - PhoneBook::kResetCodeOffset)
               << (alarm ? " alarm" : " reset") << " group=" << e.groupNo
               << " flags=" << Hex2(record[5]) << " bytes=" << e.bytes.size() << ' '
               << Quoted(e.text) << '\n';
    }
    return kOk;
}

int Download(AppContext& ctx, TerminalUi& ui, const QString& project, const QString& dumpDir) {
    TemporaryProject open(ctx);
    if (!open.Open(project)) return kFailed;
    ctx.link.dumpDir = dumpDir;
    // The history names the project file, not the copy, and the dialer as read before sending.
    ctx.link.historyProjectPath = project;
    ctx.link.identifyAtDownload = true;
    const int declined = ui.declinedQuestions;
    const bool ok = Download::DownloadProject(ctx);
    if (!ok && ui.declinedQuestions != declined) ui.err << "Nothing was sent.\n";
    return ok ? kOk : kFailed;
}
int Sheet(AppContext& ctx, TerminalUi& ui, const QString& project, const QString& pdf,
          QPageSize::PageSizeId paper) {
    TemporaryProject open(ctx);
    if (!open.Open(project)) return kFailed;
    if (!SheetPrint::WritePdf(ctx, pdf, paper)) return kFailed;
    ui.out << "Wrote " << QDir::toNativeSeparators(pdf) << '\n';
    return kOk;
}

int Export(AppContext& ctx, TerminalUi& ui, const QString& project, bool zones,
           const QString& file) {
    TemporaryProject open(ctx);
    if (!open.Open(project)) return kFailed;
    int rows = 0;
    const auto table = zones ? CsvExchange::Table::Zones : CsvExchange::Table::Contacts;
    if (!CsvExchange::ExportFile(ctx, table, file, &rows)) return kFailed;
    ui.out << "Wrote " << rows << (zones ? " zones" : " contacts") << " to " << file << '\n';
    return kOk;
}

int Import(AppContext& ctx, TerminalUi& ui, const QString& project, bool zones, const QString& file,
           bool createGroups) {
    TemporaryProject open(ctx);
    if (!open.Open(project)) return kFailed;
    CsvImportForm& form = ctx.forms.csvImport;
    form.chkCreateGroups = createGroups;
    if (!form.LoadFormObj(ctx, zones ? CsvExchange::Table::Zones : CsvExchange::Table::Contacts,
                          file))
        return kFailed;
    for (const CsvExchange::RowVerdict& r : form.plan.rows) {
        ui.out << r.line << '\t' << CsvExchange::VerdictText(ctx.ml, r.verdict) << '\t' << r.key;
        if (!r.details.isEmpty()) ui.out << '\t' << r.details;
        ui.out << '\n';
    }
    ui.out << form.Summary(ctx.ml) << '\n';
    ui.out.flush();
    if (!form.plan.HasWork()) {
        ui.err << "Nothing to write; the project is unchanged.\n";
        return form.plan.Count(CsvExchange::Verdict::Refused) > 0 ? kFailed : kOk;
    }
    if (!CsvExchange::AskApply(ctx, form.plan)) {
        ui.err << "Nothing was changed.\n";
        return kFailed;
    }
    if (!form.cmdOK_Click(ctx) || !open.SaveOver(project)) return kFailed;
    return kOk;
}
} // namespace ProjectCommands
