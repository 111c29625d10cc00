#pragma once
// The download history as the main window shows it: a table model of the attempts (newest
// first, sortable by the raw values), its rows as comma-separated text, one attempt's
// details, and the comparisons the windows offer (another project file, the last image sent
// to the connected dialer, an attempt's image) with the open project.
#include "store/DownloadHistory.h"

#include <QAbstractTableModel>
#include <QStringList>
#include <QVector>

struct MainContext;
struct MLState;

class DownloadHistoryModel : public QAbstractTableModel {
public:
    enum Column {
        Started,
        Outcome,
        SerialNo,
        Model,
        Project,
        PhoneBook,
        Messages,
        Bytes,
        Port,
        Computer,
        User,
        Sha256,
        ColumnCount
    };
    static constexpr int SortRole = Qt::UserRole + 1; // the raw value: time, number or text

    explicit DownloadHistoryModel(const MLState& ml, QObject* parent = nullptr);
    // Reads the history file; false with why when it cannot be read (the table is then empty).
    bool Load(const QString& path, QString* why);
    const DownloadAttempt& Attempt(int row) const { return m_rows[row]; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation o, int role) const override;

    // The outcome word in the applied language.
    static QString OutcomeText(const MLState& ml, const QString& outcome);

private:
    const MLState& m_ml;
    QVector<DownloadAttempt> m_rows;
};

namespace DownloadHistoryView {
// The given rows of a table model (display texts, header first) as CSV text.
QString RowsAsCsv(const QAbstractItemModel& model, const QVector<int>& rows);
// One attempt, one "name: value" line each.
QStringList Details(const MLState& ml, const DownloadAttempt& a);

// The differences from the open project to another: lines grouped as korvactl prints them.
// False with why when either cannot be read.
bool CompareWithFile(MainContext& ctx, const QString& path, QStringList& lines, QString* why);
// From what an attempt sent to the open project (what a download would change).
bool CompareWithAttempt(MainContext& ctx, const DownloadAttempt& a, QStringList& lines,
                        QString* why);
// The last image the history knows sent to the connected dialer; nullopt when none.
std::optional<DownloadAttempt> ConnectedDialersLast(MainContext& ctx);
} // namespace DownloadHistoryView
