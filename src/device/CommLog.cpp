#include "device/CommLog.h"

#include "base/Ui.h"
#include "device/DeviceLink.h"
#include "device/KORVADll.h"
#include "ml/MLText.h"
#include "ml/MLUtil.h"

#include <QSaveFile>
#include <QTimer>
#include <algorithm>
#include <utility>

namespace CommLog {
namespace {

int At(const QByteArray& b, int i) {
    return i < b.size() ? quint8(b[i]) : 0;
}
int Word(const QByteArray& b, int i) {
    return At(b, i) * 256 + At(b, i + 1);
}

bool CheckCodeOk(const QByteArray& b) {
    if (b.size() < 4) return false;
    const int crc = KORVADll::CRC16(0xFFFF, b, int(b.size()) - 2);
    return At(b, int(b.size()) - 2) == (crc & 0xFF) && At(b, int(b.size()) - 1) == (crc >> 8);
}

QString Hex4(int v) {
    return QStringLiteral("%1H").arg(v, 4, 16, QLatin1Char('0')).toUpper();
}

QString FunctionName(const MLState& ml, int fn) {
    const MLText T{ml, QStringLiteral("CommLog")};
    switch (fn) {
    case 0x01:
        return T(QStringLiteral("讀取線圈"), 1, 3);
    case 0x03:
        return T(QStringLiteral("讀取保持暫存器"), 2, 3);
    case 0x04:
        return T(QStringLiteral("讀取輸入暫存器"), 3, 3);
    case 0x10:
        return T(QStringLiteral("寫入暫存器"), 4, 3);
    default:
        return T(QStringLiteral("功能碼"), 19, 3) +
               QStringLiteral(" %1H").arg(fn, 2, 16, QLatin1Char('0')).toUpper();
    }
}

QString AddressAndCount(const MLState& ml, const QByteArray& frame) {
    const MLText T{ml, QStringLiteral("CommLog")};
    return QStringLiteral(", ") + T(QStringLiteral("位址"), 9, 3) + u' ' + Hex4(Word(frame, 2)) +
           QStringLiteral(", ") + T(QStringLiteral("數量"), 10, 3) + u' ' +
           QString::number(Word(frame, 4));
}

// A request by its function: reads and writes with address and count, the device-memory
// commands with their record number or message code.
QString RequestMeaning(const MLState& ml, const QByteArray& req) {
    const MLText T{ml, QStringLiteral("CommLog")};
    const int fn = At(req, 1);
    if (fn == 0x50) {
        switch (At(req, 2)) {
        case 0x43:
            return T(QStringLiteral("電話簿記錄"), 5, 3) + QStringLiteral(" k=") +
                   QString::number(At(req, 3));
        case 0x53:
            return T(QStringLiteral("簡訊記錄, 訊息代碼"), 6, 3) + u' ' +
                   QString::number(At(req, 3));
        case 0x40:
            return T(QStringLiteral("清除電話簿"), 7, 3);
        case 0x50:
            return T(QStringLiteral("清除簡訊"), 8, 3);
        default:
            return FunctionName(ml, fn) +
                   QStringLiteral(" / %1H").arg(At(req, 2), 2, 16, QLatin1Char('0')).toUpper();
        }
    }
    if (fn == 0x01 || fn == 0x03 || fn == 0x04 || fn == 0x10)
        return FunctionName(ml, fn) + AddressAndCount(ml, req);
    return FunctionName(ml, fn);
}

QString ResponseMeaning(const MLState& ml, const FrameEvent& e, const QByteArray& request) {
    const MLText T{ml, QStringLiteral("CommLog")};
    const QByteArray& b = e.bytes;
    if (b.isEmpty()) return T(QStringLiteral("無回應"), 13, 3);
    const int fn = At(b, 1);
    if (b.size() == 5 && (fn & 0x80) && CheckCodeOk(b))
        return T(QStringLiteral("例外"), 11, 3) +
               QStringLiteral(" %1: ").arg(At(b, 2), 2, 16, QLatin1Char('0')).toUpper() +
               ExceptionName(ml, At(b, 2)) + QStringLiteral(" (") + FunctionName(ml, fn & 0x7F) +
               u')';
    if (!e.note.isEmpty())
        return T(QStringLiteral("回應不完整"), 15, 3) + QStringLiteral(" (") + e.note + u')';
    if (!CheckCodeOk(b)) return T(QStringLiteral("檢查碼錯誤"), 12, 3);
    QString text;
    if (!request.isEmpty() && At(request, 0) != At(b, 0))
        text = T(QStringLiteral("站號"), 20, 3) + u' ' + QString::number(At(b, 0)) +
               QStringLiteral(", ");
    switch (fn) {
    case 0x01:
    case 0x03:
    case 0x04:
        return text + FunctionName(ml, fn) + QStringLiteral(", ") +
               T(QStringLiteral("資料"), 17, 3) + u' ' +
               QString::fromLatin1(b.mid(3, At(b, 2)).toHex(' ')).toUpper();
    case 0x10:
        return text + FunctionName(ml, fn) + AddressAndCount(ml, b);
    case 0x50:
        return text + T(QStringLiteral("已確認"), 18, 3) +
               (At(request, 1) == 0x50 ? QStringLiteral(": ") + RequestMeaning(ml, request)
                                       : QString());
    default:
        return text + FunctionName(ml, fn);
    }
}

} // namespace

QString ExceptionName(const MLState& ml, int code) {
    const MLText T{ml, QStringLiteral("CommLog")};
    switch (code) {
    case 1:
        return T(QStringLiteral("不支援的功能碼"), 1, 4);
    case 2:
        return T(QStringLiteral("不合法的資料位址"), 2, 4);
    case 3:
        return T(QStringLiteral("不合法的資料值"), 3, 4);
    case 4:
        return T(QStringLiteral("裝置故障"), 4, 4);
    case 5:
        return T(QStringLiteral("已接受, 處理中"), 5, 4);
    case 6:
        return T(QStringLiteral("裝置忙碌中"), 6, 4);
    default:
        return T(QStringLiteral("未知的例外"), 7, 4);
    }
}

QString Decode(const MLState& ml, const FrameEvent& e, const QByteArray& request) {
    const MLText T{ml, QStringLiteral("CommLog")};
    switch (e.direction) {
    case FrameDirection::Sent:
        return RequestMeaning(ml, e.bytes);
    case FrameDirection::Received:
        return ResponseMeaning(ml, e, request);
    case FrameDirection::Discarded:
        return T(QStringLiteral("捨棄先前殘留的資料"), 16, 3);
    case FrameDirection::Note:
        if (e.portLost)
            return T(QStringLiteral("通訊埠中斷"), 14, 3) + QStringLiteral(" (") +
                   e.note.section(QStringLiteral(": "), 1) + u')';
        return e.note;
    }
    return {};
}

bool SaveLog(const DeviceLink& ctx, const CommLogModel& log) {
    const MLText T{ctx.ml, QStringLiteral("CommLog")};
    FileDialogSetup setup;
    setup.title = T(QStringLiteral("通訊記錄"), 1, 5);
    setup.filter = T(QStringLiteral("文字檔 (*.txt)|*.txt|所有檔案 (*.*)|*.*"), 2, 5);
    setup.defaultName = QStringLiteral("KORVA-comm.txt");
    setup.overwritePrompt = true;
    const std::optional<QString> path = ctx.ui.FileDialog(FileDialogKind::Save, setup);
    if (!path || path->isEmpty()) return false;
    QSaveFile file(*path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Text) && file.write(log.Text().toUtf8()) >= 0 &&
        file.commit())
        return true;
    ctx.ui.MsgBox(T(QStringLiteral("無法寫入檔案:"), 3, 5) + QStringLiteral("\r\n") + *path +
                      QStringLiteral("\r\n") + file.errorString(),
                  vbOKOnly | vbCritical, setup.title);
    return false;
}

} // namespace CommLog

CommLogModel::CommLogModel(const MLState& ml, QObject* parent)
    : QAbstractTableModel(parent), m_ml(ml) {
    // Room for every row it keeps, taken up page by page as rows come: growing by
    // reallocation would touch a fresh copy of all rows at once.
    m_rows.reserve(kMaxRows);
    const MLText T{ml, QStringLiteral("CommLog")};
    m_directions[int(FrameDirection::Sent)] = T(QStringLiteral("送出"), 1, 2);
    m_directions[int(FrameDirection::Received)] = T(QStringLiteral("接收"), 2, 2);
    m_directions[int(FrameDirection::Discarded)] = T(QStringLiteral("捨棄"), 3, 2);
    m_directions[int(FrameDirection::Note)] = T(QStringLiteral("狀態"), 4, 2);
}

void CommLogModel::Append(const FrameEvent& e) {
    CommLogRow row{e.time, e.direction, e.bytes, CommLog::Decode(m_ml, e, m_lastRequest)};
    if (e.direction == FrameDirection::Sent) m_lastRequest = e.bytes;
    if (m_interval <= 0) {
        Publish({std::move(row)});
        return;
    }
    if (m_waiting.size() >= kMaxRows) m_waiting.removeFirst();
    m_waiting.append(std::move(row));
    if (m_flushQueued) return;
    m_flushQueued = true;
    // The first frame after a quiet spell shows on the next turn of the event loop, the rest
    // at most every interval.
    const qint64 since = m_sinceFlush.isValid() ? m_sinceFlush.elapsed() : m_interval;
    QTimer::singleShot(int(std::max<qint64>(0, m_interval - since)), this, &CommLogModel::Flush);
}

void CommLogModel::SetBatchInterval(int ms) {
    if (ms <= 0) Flush();
    m_interval = ms;
}

void CommLogModel::Flush() {
    m_flushQueued = false;
    m_sinceFlush.start();
    if (!m_waiting.isEmpty()) Publish(std::exchange(m_waiting, {}));
}

// One removal of the rows beyond the cap, then one insertion.
void CommLogModel::Publish(QList<CommLogRow> rows) {
    const qsizetype drop = std::min(m_rows.size(), m_rows.size() + rows.size() - kMaxRows);
    if (drop > 0) {
        beginRemoveRows({}, 0, int(drop) - 1);
        m_rows.remove(0, drop);
        endRemoveRows();
    }
    const int at = int(m_rows.size());
    beginInsertRows({}, at, at + int(rows.size()) - 1);
    m_rows.append(std::move(rows));
    endInsertRows();
}

void CommLogModel::Clear() {
    beginResetModel();
    m_rows.clear();
    m_waiting.clear();
    endResetModel();
}

// A frame's time as HH:mm:ss.zzz and its bytes as upper-case hex pairs, built directly: the
// view asks for them on every paint.
QString CommLogModel::ClockText(QTime t) {
    if (!t.isValid()) return {};
    QString s(12, u'0');
    QChar* d = s.data();
    const auto put = [&d](int v, int digits) {
        for (int i = digits - 1; i >= 0; --i, v /= 10)
            d[i] = QChar(u'0' + v % 10);
        d += digits;
    };
    put(t.hour(), 2);
    *d++ = u':';
    put(t.minute(), 2);
    *d++ = u':';
    put(t.second(), 2);
    *d++ = u'.';
    put(t.msec(), 3);
    return s;
}

QString CommLogModel::HexText(const QByteArray& bytes) {
    if (bytes.isEmpty()) return {};
    static constexpr char16_t kDigits[] = u"0123456789ABCDEF";
    QString s(bytes.size() * 3 - 1, u' ');
    QChar* d = s.data();
    for (qsizetype i = 0; i < bytes.size(); ++i, d += 3) {
        d[0] = QChar(kDigits[uchar(bytes[i]) >> 4]);
        d[1] = QChar(kDigits[uchar(bytes[i]) & 0xF]);
    }
    return s;
}

QString CommLogModel::CellText(int row, int column) const {
    const CommLogRow& r = m_rows[row];
    switch (column) {
    case ColTime:
        return ClockText(r.time.time());
    case ColDirection:
        return m_directions[int(r.direction)];
    case ColLength:
        return r.direction == FrameDirection::Note && r.bytes.isEmpty()
                   ? QString()
                   : QString::number(r.bytes.size());
    case ColBytes:
        return HexText(r.bytes);
    case ColMeaning:
        return r.meaning;
    default:
        return {};
    }
}

QString CommLogModel::Text(QList<int> rows) const {
    if (rows.isEmpty())
        for (int i = 0; i < m_rows.size(); ++i)
            rows << i;
    std::sort(rows.begin(), rows.end());
    QString out;
    for (int row : rows) {
        for (int c = 0; c < ColumnCount; ++c) {
            if (c) out += u'\t';
            out += CellText(row, c);
        }
        out += u'\n';
    }
    return out;
}

int CommLogModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_rows.size());
}
int CommLogModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant CommLogModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_rows.size()) return {};
    if (role == Qt::DisplayRole) return CellText(index.row(), index.column());
    // The whole of a long frame or meaning, whatever the column's width.
    if (role == Qt::ToolTipRole && (index.column() == ColBytes || index.column() == ColMeaning))
        return CellText(index.row(), index.column());
    if (role == Qt::TextAlignmentRole && index.column() == ColLength)
        return int(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}

QVariant CommLogModel::headerData(int section, Qt::Orientation orientation, int role) const {
    const MLText T{m_ml, QStringLiteral("CommLog")};
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
    case ColTime:
        return T(QStringLiteral("時間"), 1, 1);
    case ColDirection:
        return T(QStringLiteral("方向"), 2, 1);
    case ColLength:
        return T(QStringLiteral("長度"), 3, 1);
    case ColBytes:
        return T(QStringLiteral("資料位元組"), 4, 1);
    case ColMeaning:
        return T(QStringLiteral("說明"), 5, 1);
    default:
        return {};
    }
}
