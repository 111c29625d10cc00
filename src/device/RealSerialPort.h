#pragma once
// The serial port of the PC, through QSerialPort. Works on any path the platform can open:
// COM ports, /dev/tty* devices, pseudo-terminals and symbolic links to them.
#include "device/SerialPort.h"

#include <QSerialPort>

class RealSerialPort : public SerialPort {
public:
    RealSerialPort();
    ~RealSerialPort() override;

    QString PortName() const override { return m_name; }
    void SetPortName(const QString& name) override { m_name = name; }
    void SetLineSettings(const LineSettings& settings) override { m_settings = settings; }
    bool Open() override;
    void Close() override;
    bool IsOpen() const override { return m_port.isOpen(); }
    qint64 BytesWaiting() override;
    QByteArray Read(qint64 maxBytes) override;
    bool Write(const QByteArray& bytes) override;
    bool WaitForInput(int ms) override;
    void DiscardInput() override;
    PortError LastError() const override { return m_error; }
    QString ErrorText() const override { return m_errorText; }

private:
    void Succeeded();
    void ClearPortError();
    // Takes the port's error after a read, wait or write; true when the port is lost.
    bool CheckLost();
    void ApplyLineSettings();
#ifdef Q_OS_UNIX
    bool WriteDirect(const QByteArray& bytes);
#endif

    QSerialPort m_port;
    QString m_name;
    LineSettings m_settings;
    PortError m_error = PortError::None;
    QString m_errorText;
};
