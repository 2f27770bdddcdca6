#pragma once

#include "cli/ZexCtlCommand.h"

#include <QStringList>

class MonotonicClock;
class QTextStream;
class SerialPortControl;

// The command-line front end: reads the options, picks the command from the table, connects to
// the module when the command needs one, runs it and returns the exit status. Output goes to the
// given streams, so tests run it in-process.
class ZexCtl {
public:
    ZexCtl(SerialPortControl& port, MonotonicClock& clock, QTextStream& out, QTextStream& err);

    // The arguments without the program name.
    int run(const QStringList& arguments);

    QString helpText() const;

private:
    // Fills options and the command words; returns ExitSuccess, or ExitUsage after saying why.
    int parse(const QStringList& arguments, ZexCtlOptions& options, QStringList& words,
              bool& helpWanted);
    int runWithModule(const ZexCtlCommand& command, ZexCtlSession& session);
    int usageError(const QString& message);

    SerialPortControl& m_port;
    MonotonicClock& m_clock;
    QTextStream& m_out;
    QTextStream& m_err;
};
