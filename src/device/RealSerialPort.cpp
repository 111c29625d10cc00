#include "device/RealSerialPort.h"

#include <QFileInfo>
#include <QSerialPortInfo>

#ifdef Q_OS_UNIX
#include <cerrno>
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
    m_port.clearError();
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
    m_port.clearError();
    Succeeded();
    return true;
}

void RealSerialPort::Close() {
    if (m_port.isOpen()) m_port.close();
    m_port.clearError();
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
        m_port.clearError();
        return false;
    }
}

qint64 RealSerialPort::BytesWaiting() {
    if (m_error == PortError::Lost || !m_port.isOpen()) return 0;
    if (m_port.bytesAvailable() == 0) {
        m_port.clearError();
        m_port.waitForReadyRead(0);
        if (CheckLost()) return 0;
    }
    Succeeded();
    return m_port.bytesAvailable();
}

QByteArray RealSerialPort::Read(qint64 maxBytes) {
    if (m_error == PortError::Lost || !m_port.isOpen()) return {};
    m_port.clearError();
    QByteArray bytes = m_port.read(maxBytes);
    if (CheckLost()) return {};
    Succeeded();
    return bytes;
}

bool RealSerialPort::Write(const QByteArray& bytes) {
    if (m_error == PortError::Lost || !m_port.isOpen()) return false;
    m_port.clearError();
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
    m_port.clearError();
    m_port.waitForReadyRead(ms);
    if (CheckLost()) return false;
    Succeeded();
    return m_port.bytesAvailable() > 0;
}

void RealSerialPort::DiscardInput() {
    if (!m_port.isOpen() || m_error == PortError::Lost) return;
    m_port.clear(QSerialPort::Input);
    m_port.clearError();
}
