#pragma once
// The communication log: every frame the link observes, with its time, direction, bytes and
// what it means, as a table model for the log window. Decoding happens once per frame when
// it is appended; the model keeps the last kMaxRows frames. With a batch interval, frames
// reach the views in batches: one insertion (and one removal of the oldest) per batch.
#include "device/CommLink.h"

#include <QAbstractTableModel>
#include <QElapsedTimer>
#include <QList>

struct DeviceLink;
struct MLState;

struct CommLogRow {
    QDateTime time;
    FrameDirection direction = FrameDirection::Note;
    QByteArray bytes;
    QString meaning;
};
// Its members move by their bytes: the rows' list moves its rows by one copy of memory, not
// row by row (a pause of 1.5 ms at the 8,192nd frame).
Q_DECLARE_TYPEINFO(CommLogRow, Q_RELOCATABLE_TYPE);

namespace CommLog {
// What a frame means. For a response, request is the last request sent (it names the
// function the answer belongs to); empty when none is known.
QString Decode(const MLState& ml, const FrameEvent& e, const QByteArray& request);
// The name of an exception code of an exception response.
QString ExceptionName(const MLState& ml, int code);
} // namespace CommLog

class CommLogModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { ColTime, ColDirection, ColLength, ColBytes, ColMeaning, ColumnCount };
    static constexpr int kMaxRows = 10000;

    explicit CommLogModel(const MLState& ml, QObject* parent = nullptr);

    // Adds the frame as the last row, dropping the oldest beyond kMaxRows; at once, or with
    // the next batch when there is a batch interval.
    void Append(const FrameEvent& e);
    void Clear();
    // Frames wait at most ms before they become rows (0: each becomes a row at once). A shown
    // log then lays out and paints once per batch, not once per frame.
    void SetBatchInterval(int ms);
    // The frames waiting become rows now.
    void Flush();
    const CommLogRow& Row(int row) const { return m_rows[row]; }

    // The rows as text, one line each with tab-separated columns; every row when rows is empty.
    QString Text(QList<int> rows = {}) const;
    QString CellText(int row, int column) const;
    // A time as HH:mm:ss.zzz, bytes as upper-case hex pairs apart ("F7 03"), as the cells show.
    static QString ClockText(QTime t);
    static QString HexText(const QByteArray& bytes);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    void Publish(QList<CommLogRow> rows);
    const MLState& m_ml;
    QList<CommLogRow> m_rows;
    QList<CommLogRow> m_waiting; // decoded, not yet rows
    int m_interval = 0;
    bool m_flushQueued = false;
    QElapsedTimer m_sinceFlush;
    QByteArray m_lastRequest;
    QString m_directions[4];
};

namespace CommLog {
// Asks for a file name and writes the whole log there as text; a failure to write is told
// in a message naming the file. False when nothing was written.
bool SaveLog(const DeviceLink& ctx, const CommLogModel& log);
} // namespace CommLog
