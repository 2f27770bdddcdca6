#pragma once

#include <QByteArray>
#include <QString>
#include <stdexcept>

// A failure of the port itself (cannot open, vanished, write refused). Its message names the
// port and the device behind it and says why, so it can be shown to the user as it stands.
class SerialPortError : public std::runtime_error {
public:
    explicit SerialPortError(const QString& message)
        : std::runtime_error(message.toStdString()) {}
    QString message() const { return QString::fromUtf8(what()); }
};

// What the Zarnbus 2 link needs from a serial port, and nothing more. The real one is a
// QSerialPort; tests use a scripted port or a pseudo-terminal.
class SerialPortControl {
public:
    virtual ~SerialPortControl() = default;

    // The port as a number, the n of "COMn" (resolved to a device when opening), or a device path
    // given directly. Whichever was set last is used by open().
    virtual void setPortNumber(int portNumber) = 0;
    virtual void setPortName(const QString& devicePath) = 0;
    virtual void setBaudRate(int baudRate) = 0;

    // Returns 1 or more when the port is open. Raises SerialPortError with the reason otherwise.
    virtual int open() = 0;
    // Returns 0 once closed.
    virtual int close() = 0;
    virtual bool isOpen() const = 0;

    // Discards bytes received but not yet read.
    virtual void resetInput() = 0;
    // Raises SerialPortError when the port cannot take the bytes (closed, vanished).
    virtual void write(const QByteArray& bytes) = 0;
    // Returns as soon as byteCount bytes have arrived (with any further bytes already received at
    // that moment, so an over-long reply is seen as such), or when timeoutMs has passed with
    // whatever arrived by then. Exactly the received bytes, nothing appended.
    virtual QByteArray read(int byteCount, int timeoutMs) = 0;
};
