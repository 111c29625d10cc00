#include "HistoryCommands.h"

#include "TerminalUi.h"

#include "app/AppContext.h"
#include "editing/ProjectDiff.h"
#include "store/DownloadHistory.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace HistoryCommands {
namespace {
constexpr int kEqual = 0;
constexpr int kDifferent = 1;
constexpr int kError = 2;

QString PathOf(const Options& o) {
    return o.historyPath.isEmpty() ? DownloadHistory::DefaultPath() : o.historyPath;
}

QString Time(const QDateTime& t) {
    return t.isValid() ? t.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) : QStringLiteral("-");
}

QJsonObject ToJson(const DownloadAttempt& a) {
    return QJsonObject{{QStringLiteral("id"), a.id},
                       {QStringLiteral("started"), a.started.toString(Qt::ISODate)},
                       {QStringLiteral("ended"), a.ended.toString(Qt::ISODate)},
                       {QStringLiteral("outcome"), a.outcome},
                       {QStringLiteral("clearsDone"), a.clearsDone},
                       {QStringLiteral("phoneBookSent"), a.phoneBookSent},
                       {QStringLiteral("phoneBookTotal"), a.phoneBookTotal},
                       {QStringLiteral("messagesSent"), a.messagesSent},
                       {QStringLiteral("messagesTotal"), a.messagesTotal},
                       {QStringLiteral("serialNo"), a.serialNo},
                       {QStringLiteral("modelName"), a.modelName},
                       {QStringLiteral("typeCode"), a.typeCode},
                       {QStringLiteral("port"), a.port},
                       {QStringLiteral("projectPath"), a.projectPath},
                       {QStringLiteral("projectName"), a.projectName},
                       {QStringLiteral("imageSha256"), a.imageSha256},
                       {QStringLiteral("records"), a.phoneBookTotal + a.messagesTotal},
                       {QStringLiteral("bytes"), a.bytes},
                       {QStringLiteral("computer"), a.computer},
                       {QStringLiteral("user"), a.user}};
}
} // namespace

bool Handles(const QString& command) {
    return command == QLatin1String("history") || command == QLatin1String("diff");
}

int History(AppContext&, TerminalUi& ui, const Options& o) {
    DownloadHistory::Filter filter;
    filter.serialNo = o.device;
    filter.projectPath = o.project.isEmpty() ? QString() : QDir::toNativeSeparators(o.project);
    QVector<DownloadAttempt> rows;
    QString why;
    if (!DownloadHistory::Query(PathOf(o), filter, rows, &why)) {
        ui.err << "Cannot read the download history " << QDir::toNativeSeparators(PathOf(o)) << ": "
               << why << '\n';
        return kError;
    }
    if (o.json) {
        QJsonArray all;
        for (const DownloadAttempt& a : rows)
            all.append(ToJson(a));
        ui.out << QJsonDocument(all).toJson(QJsonDocument::Indented);
        return kEqual;
    }
    for (const DownloadAttempt& a : rows) {
        ui.out << Time(a.started) << '\t' << a.outcome << '\t'
               << (a.serialNo.isEmpty() ? QStringLiteral("-") : a.serialNo) << '\t'
               << (a.modelName.isEmpty() ? QStringLiteral("-") : a.modelName) << '\t'
               << a.projectName << '\t' << "phonebook " << a.phoneBookSent << '/'
               << a.phoneBookTotal << ", messages " << a.messagesSent << '/' << a.messagesTotal
               << '\t' << a.imageSha256.left(12) << '\t' << a.port << '\t' << a.projectPath << '\n';
    }
    if (rows.isEmpty()) ui.err << "No download recorded.\n";
    return kEqual;
}

int Diff(AppContext& ctx, TerminalUi& ui, const QStringList& files, const Options& o) {
    if (files.size() != (o.device.isEmpty() ? 2 : 1)) {
        ui.err << "diff takes two project files, or one and --device SERIAL.\n";
        return kError;
    }
    ProjectContent a, b;
    QString why;
    if (!ProjectDiff::ReadFile(files[0], a, &why)) {
        ui.err << "Cannot read the project " << QDir::toNativeSeparators(files[0]) << ": " << why
               << '\n';
        return kError;
    }
    if (o.device.isEmpty()) {
        if (!ProjectDiff::ReadFile(files[1], b, &why)) {
            ui.err << "Cannot read the project " << QDir::toNativeSeparators(files[1]) << ": "
                   << why << '\n';
            return kError;
        }
    }
    bool incomplete = false;
    if (!o.device.isEmpty()) {
        const auto last = DownloadHistory::LastReached(PathOf(o), o.device);
        if (!last) {
            ui.err << "The download history knows no download to the dialer " << o.device << ".\n";
            return kError;
        }
        if (!ProjectContent::FromJson(last->content, b)) {
            ui.err << "The download history holds no readable content for the dialer " << o.device
                   << ".\n";
            return kError;
        }
        ui.err << "Compared with the download of " << Time(last->started) << " ("
               << last->projectName << ")";
        incomplete = last->HalfProgrammed();
        if (incomplete)
            ui.err << ", which was incomplete: phonebook " << last->phoneBookSent << '/'
                   << last->phoneBookTotal << ", messages " << last->messagesSent << '/'
                   << last->messagesTotal;
        ui.err << ".\n";
    }
    // Against a dialer: from what it received to the project (what a download would change).
    const QVector<ProjectDiff::Item> items =
        o.device.isEmpty() ? ProjectDiff::Compare(a, b) : ProjectDiff::Compare(b, a);
    if (o.json)
        ui.out << ProjectDiff::ToJson(items);
    else
        for (const QString& line : ProjectDiff::Describe(ctx.ml, items))
            ui.out << line << '\n';
    // A dialer that holds part of an image never holds the same as a project.
    return items.isEmpty() && !incomplete ? kEqual : kDifferent;
}
} // namespace HistoryCommands
