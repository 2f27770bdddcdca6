#pragma once

#include "serial/SerialPortControl.h"

// A serial port on a terminal device path (a simulator's pseudo-terminal) through plain POSIX
// calls: raw 8N1 at the set baud rate, reads that wait with poll(). Lets the end-to-end tests
// and the link benchmark drive the real Zarnbus 2 transaction against the simulator.
class PtySerialPort : public SerialPortControl {
public:
    ~PtySerialPort() override;

    void setPortNumber(int portNumber) override { m_portNumber = portNumber; }
    void setPortName(const QString& devicePath) override { m_path = devicePath; }
    void setBaudRate(int baudRate) override { m_baud = baudRate; }
    int open() override;
    int close() override;
    bool isOpen() const override { return m_fd >= 0; }
    void resetInput() override;
    void write(const QByteArray& bytes) override;
    QByteArray read(int byteCount, int timeoutMs) override;

private:
    QString m_path;
    int m_portNumber = 0;
    int m_baud = 9600;
    int m_fd = -1;
};
