#include "device/RealSerialPort.h"

#include <QFileInfo>
#include <QSerialPortInfo>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <poll.h>
#include <unistd.h>
#endif

namespace {
// True when the device file exists but this user may not read and write it.
bool LacksPermission([[maybe_unused]] const QString& location) {
#ifdef Q_OS_UNIX
    const QByteArray path = QFile::encodeName(location);
    return ::access(path.constData(), R_OK | W_OK) != 0 && errno == EACCES;
#else
    return false;
#endif
}
} // namespace

RealSerialPort::RealSerialPort() = default;

RealSerialPort::~RealSerialPort() {
    if (m_port.isOpen()) m_port.close();
}

void RealSerialPort::ClearPortError() {
    // Clearing sets the error text again (a translation look-up): only when there is one.
    if (m_port.error() != QSerialPort::NoError) m_port.clearError();
}

void RealSerialPort::Succeeded() {
    m_error = PortError::None;
    m_errorText.clear();
}

void RealSerialPort::ApplyLineSettings() {
    m_port.setBaudRate(m_settings.baudRate);
    m_port.setDataBits(QSerialPort::DataBits(m_settings.dataBits));
    switch (m_settings.parity) {
    case 'E':
        m_port.setParity(QSerialPort::EvenParity);
        break;
    case 'O':
        m_port.setParity(QSerialPort::OddParity);
        break;
    default:
        m_port.setParity(QSerialPort::NoParity);
        break;
    }
    m_port.setStopBits(m_settings.stopBits == 2 ? QSerialPort::TwoStop : QSerialPort::OneStop);
    m_port.setFlowControl(QSerialPort::NoFlowControl);
}

bool RealSerialPort::Open() {
    if (m_port.isOpen()) m_port.close();
    m_port.setPortName(m_name);
    ApplyLineSettings();
    ClearPortError();
    if (!m_port.open(QIODevice::ReadWrite)) {
        const QSerialPort::SerialPortError e = m_port.error();
        m_errorText = m_port.errorString();
        const QString known = QSerialPortInfo(m_port).systemLocation();
        const QString location = known.isEmpty() ? m_name : known;
        switch (e) {
        case QSerialPort::DeviceNotFoundError:
            m_error = PortError::NotFound;
            break;
        case QSerialPort::PermissionError:
            // Qt reports both "no permission" and "locked by another program" this way.
            m_error = LacksPermission(location) ? PortError::Permission : PortError::InUse;
            break;
        case QSerialPort::OpenError:
            m_error = PortError::InUse;
            break;
        default:
            m_error = QFileInfo::exists(location) ? PortError::Other : PortError::NotFound;
            break;
        }
        return false;
    }
    // Pseudo-terminals and some adapters refuse the modem control lines; the link does not
    // need them, so a refusal is no error.
    m_port.setDataTerminalReady(true);
    ClearPortError();
    Succeeded();
    return true;
}

void RealSerialPort::Close() {
    if (m_port.isOpen()) m_port.close();
    ClearPortError();
    Succeeded();
}

bool RealSerialPort::CheckLost() {
    switch (m_port.error()) {
    case QSerialPort::ReadError:
    case QSerialPort::WriteError:
    case QSerialPort::ResourceError:
        // The text Qt keeps after a hang-up is often stale; the kind says enough.
        m_error = PortError::Lost;
        m_errorText = m_port.errorString();
        return true;
    default:
        ClearPortError();
        return false;
    }
}

qint64 RealSerialPort::BytesWaiting() {
    if (m_error == PortError::Lost || !m_port.isOpen()) return 0;
    if (m_port.bytesAvailable() == 0) {
        ClearPortError();
        m_port.waitForReadyRead(0);
        if (CheckLost()) return 0;
    }
    Succeeded();
    return m_port.bytesAvailable();
}

QByteArray RealSerialPort::Read(qint64 maxBytes) {
    if (m_error == PortError::Lost || !m_port.isOpen()) return {};
    ClearPortError();
    QByteArray bytes = m_port.read(maxBytes);
    if (CheckLost()) return {};
    Succeeded();
    return bytes;
}

bool RealSerialPort::Write(const QByteArray& bytes) {
    if (m_error == PortError::Lost || !m_port.isOpen()) return false;
#ifdef Q_OS_UNIX
    // Straight to the descriptor: Qt's write buffer would wait for a write notification and
    // wake the event loop twice for each request.
    if (m_port.bytesToWrite() == 0) return WriteDirect(bytes);
#endif
    ClearPortError();
    if (m_port.write(bytes) != bytes.size()) {
        CheckLost();
        if (m_error != PortError::Lost) {
            m_error = PortError::Other;
            m_errorText = m_port.errorString();
        }
        return false;
    }
    // Hand everything to the driver now: the request goes out in one piece.
    while (m_port.bytesToWrite() > 0) {
        if (!m_port.waitForBytesWritten(2000)) {
            if (!CheckLost()) {
                m_error = PortError::Other;
                m_errorText = m_port.errorString();
            }
            return false;
        }
    }
    Succeeded();
    return true;
}

bool RealSerialPort::WaitForInput(int ms) {
    if (m_error == PortError::Lost || !m_port.isOpen()) return false;
    if (m_port.bytesAvailable() > 0) return true;
    ClearPortError();
    m_port.waitForReadyRead(ms);
    if (CheckLost()) return false;
    Succeeded();
    return m_port.bytesAvailable() > 0;
}

void RealSerialPort::DiscardInput() {
    if (!m_port.isOpen() || m_error == PortError::Lost) return;
    m_port.clear(QSerialPort::Input);
    ClearPortError();
}

#ifdef Q_OS_UNIX
bool RealSerialPort::WriteDirect(const QByteArray& bytes) {
    const int fd = int(m_port.handle());
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n >= 0) {
            done += n;
            continue;
        }
        if (errno == EINTR) continue;
        if (errno == EAGAIN) {
            // The driver's buffer is full: wait for room as Qt would, up to 2 s.
            pollfd p{fd, POLLOUT, 0};
            const int ready = ::poll(&p, 1, 2000);
            if (ready > 0 && (p.revents & POLLOUT)) continue;
            if (ready == 0) {
                m_error = PortError::Other;
                m_errorText = qt_error_string(ETIMEDOUT);
                return false;
            }
            if (ready < 0 && errno == EINTR) continue;
            if (ready > 0) errno = EIO; // hung up
        }
        // Any other failure is a write or resource error to Qt: the port is gone.
        m_error = PortError::Lost;
        m_errorText = qt_error_string(errno);
        return false;
    }
    Succeeded();
    return true;
}
#endif
