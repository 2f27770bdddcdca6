#pragma once

#include "serial/SerialPortControl.h"

#include <QString>
#include <memory>

class QSerialPort;

// The real serial port: a QSerialPort used without an event loop, 8 data bits, no parity, one
// stop bit, no flow control. Failures raise SerialPortError with a message for the user that
// names the port, the device behind it and the reason.
class QtSerialPortControl : public SerialPortControl {
public:
    QtSerialPortControl();
    ~QtSerialPortControl() override;

    void setPortNumber(int portNumber) override;
    void setPortName(const QString& devicePath) override;
    void setBaudRate(int baudRate) override;

    int open() override;
    int close() override;
    bool isOpen() const override;

    void resetInput() override;
    void write(const QByteArray& bytes) override;
    QByteArray read(int byteCount, int timeoutMs) override;

    // The port as the user knows it: "COM3 (/dev/ttyUSB0)", or the device path given directly.
    QString portLabel() const;

private:
    // Resolves the port to the device to open, or raises why there is none.
    QString deviceToOpen();
    void configure();
    // The port stopped working while open (device unplugged, simulator ended): closes it and
    // raises, and every later use raises the same reason until it is opened again.
    [[noreturn]] void portLost(const QString& action);
    void requireOpen() const;

    std::unique_ptr<QSerialPort> m_port;
    int m_portNumber = 0;
    QString m_devicePath;
    bool m_byNumber = false;
    int m_baudRate = 9600;
    QString m_device; // what the port stood for when last opened
    QString m_lostReason;
};
