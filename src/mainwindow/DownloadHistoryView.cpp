#include "mainwindow/DownloadHistoryView.h"

#include "base/CsvUtil.h"
#include "editing/ProjectDiff.h"
#include "mainwindow/MainContext.h"
#include "ml/MLText.h"

#include <QDir>

namespace {
QString Time(const QDateTime& t) {
    return t.isValid() ? t.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) : QString();
}
} // namespace

DownloadHistoryModel::DownloadHistoryModel(const MLState& ml, QObject* parent)
    : QAbstractTableModel(parent), m_ml(ml) {}

bool DownloadHistoryModel::Load(const QString& path, QString* why) {
    beginResetModel();
    const bool ok = DownloadHistory::Query(path, {}, m_rows, why);
    endResetModel();
    return ok;
}

int DownloadHistoryModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_rows.size());
}

int DownloadHistoryModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QString DownloadHistoryModel::OutcomeText(const MLState& ml, const QString& outcome) {
    const MLText T{ml, QStringLiteral("DownloadHistory")};
    if (outcome == DownloadHistory::kSucceeded) return T(QStringLiteral("成功"), 1, 23201);
    if (outcome == DownloadHistory::kFailed) return T(QStringLiteral("失敗 (未變更)"), 2, 23201);
    if (outcome == DownloadHistory::kIncomplete) return T(QStringLiteral("不完整"), 3, 23201);
    if (outcome == DownloadHistory::kStarted) return T(QStringLiteral("未結束"), 4, 23201);
    return outcome;
}

QVariant DownloadHistoryModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_rows.size()) return {};
    const DownloadAttempt& a = m_rows[index.row()];
    const bool sort = role == SortRole;
    if (role != Qt::DisplayRole && !sort) return {};
    switch (index.column()) {
    case Started:
        return sort ? QVariant(a.id) : QVariant(Time(a.started));
    case Outcome:
        return OutcomeText(m_ml, a.outcome);
    case SerialNo:
        return a.serialNo;
    case Model:
        return a.modelName;
    case Project:
        return a.projectName;
    case PhoneBook:
        return sort
                   ? QVariant(a.phoneBookSent)
                   : QVariant(QStringLiteral("%1 / %2").arg(a.phoneBookSent).arg(a.phoneBookTotal));
    case Messages:
        return sort ? QVariant(a.messagesSent)
                    : QVariant(QStringLiteral("%1 / %2").arg(a.messagesSent).arg(a.messagesTotal));
    case Bytes:
        return sort ? QVariant(a.bytes) : QVariant(QString::number(a.bytes));
    case Port:
        return a.port;
    case Computer:
        return a.computer;
    case User:
        return a.user;
    case Sha256:
        return a.imageSha256;
    default:
        return {};
    }
}

QVariant DownloadHistoryModel::headerData(int section, Qt::Orientation o, int role) const {
    const MLText T{m_ml, QStringLiteral("DownloadHistory")};
    if (o != Qt::Horizontal || role != Qt::DisplayRole) return {};
    switch (section) {
    case Started:
        return T(QStringLiteral("開始時間"), 1, 23202);
    case Outcome:
        return T(QStringLiteral("結果"), 2, 23202);
    case SerialNo:
        return T(QStringLiteral("序號"), 3, 23202);
    case Model:
        return T(QStringLiteral("機型"), 4, 23202);
    case Project:
        return T(QStringLiteral("專案"), 5, 23202);
    case PhoneBook:
        return T(QStringLiteral("電話簿"), 6, 23202);
    case Messages:
        return T(QStringLiteral("簡訊"), 7, 23202);
    case Bytes:
        return T(QStringLiteral("位元組"), 8, 23202);
    case Port:
        return T(QStringLiteral("通訊埠"), 9, 23202);
    case Computer:
        return T(QStringLiteral("電腦"), 10, 23202);
    case User:
        return T(QStringLiteral("使用者"), 11, 23202);
    case Sha256:
        return T(QStringLiteral("SHA-256"), 12, 23202);
    default:
        return {};
    }
}

namespace DownloadHistoryView {

QString RowsAsCsv(const QAbstractItemModel& model, const QVector<int>& rows) {
    CsvUtil::Records records;
    QStringList header;
    for (int c = 0; c < model.columnCount(); ++c)
        header << model.headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
    records << header;
    for (int r : rows) {
        QStringList fields;
        for (int c = 0; c < model.columnCount(); ++c)
            fields << model.data(model.index(r, c), Qt::DisplayRole).toString();
        records << fields;
    }
    return CsvUtil::Write(records);
}

QStringList Details(const MLState& ml, const DownloadAttempt& a) {
    const MLText T{ml, QStringLiteral("DownloadHistory")};
    const auto line = [](const QString& name, const QString& value) {
        return name + QStringLiteral(": ") + value;
    };
    return {
        line(T(QStringLiteral("開始時間"), 1, 23202), Time(a.started)),
        line(T(QStringLiteral("結束時間"), 1, 23203), Time(a.ended)),
        line(T(QStringLiteral("結果"), 2, 23202), DownloadHistoryModel::OutcomeText(ml, a.outcome)),
        line(T(QStringLiteral("已清除"), 2, 23203),
             QString::number(a.clearsDone) + QStringLiteral(" / 2")),
        line(T(QStringLiteral("電話簿"), 6, 23202),
             QStringLiteral("%1 / %2").arg(a.phoneBookSent).arg(a.phoneBookTotal)),
        line(T(QStringLiteral("簡訊"), 7, 23202),
             QStringLiteral("%1 / %2").arg(a.messagesSent).arg(a.messagesTotal)),
        line(T(QStringLiteral("序號"), 3, 23202), a.serialNo),
        line(T(QStringLiteral("機型"), 4, 23202),
             a.modelName + QStringLiteral(" (") + a.typeCode + u')'),
        line(T(QStringLiteral("通訊埠"), 9, 23202), a.port),
        line(T(QStringLiteral("專案"), 5, 23202), a.projectPath),
        line(T(QStringLiteral("位元組"), 8, 23202), QString::number(a.bytes)),
        line(T(QStringLiteral("電腦"), 10, 23202), a.computer),
        line(T(QStringLiteral("使用者"), 11, 23202), a.user),
        line(T(QStringLiteral("SHA-256"), 12, 23202), a.imageSha256)};
}

bool CompareWithFile(MainContext& ctx, const QString& path, QStringList& lines, QString* why) {
    ProjectContent other;
    if (!ProjectDiff::ReadFile(path, other, why)) return false;
    lines =
        ProjectDiff::Describe(ctx.ml, ProjectDiff::Compare(ProjectDiff::Read(ctx.project), other));
    return true;
}

bool CompareWithAttempt(MainContext& ctx, const DownloadAttempt& a, QStringList& lines,
                        QString* why) {
    ProjectContent sent;
    if (!ProjectContent::FromJson(a.content, sent)) {
        if (why) *why = QStringLiteral("no content recorded");
        return false;
    }
    lines =
        ProjectDiff::Describe(ctx.ml, ProjectDiff::Compare(sent, ProjectDiff::Read(ctx.project)));
    return true;
}

std::optional<DownloadAttempt> ConnectedDialersLast(MainContext& ctx) {
    if (!ctx.ConnectStatus || ctx.link.dialer.serialNo.isEmpty()) return std::nullopt;
    return DownloadHistory::LastReached(DownloadHistory::PathOf(ctx), ctx.link.dialer.serialNo);
}
} // namespace DownloadHistoryView
