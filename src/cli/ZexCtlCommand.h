#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class LinkLogTap;
class QTextStream;
class ZEX;

// Exit statuses of zexctl.
enum ZexCtlExit {
    ExitSuccess = 0,
    ExitLinkFailed = 1, // the port could not be opened, or the module did not answer
    ExitUsage = 2,      // bad command line, unknown member name, value that does not convert
};

// The global options, checked before any command runs.
struct ZexCtlOptions {
    QString port; // as given: "COM3", "3" or a device path; "" for the lowest port there is
    int baudRate = 19200;
    int station = 1;
    QString radioId;     // as typed (hexadecimal); set: the module is reached by radio, not the bus
    QString radioSocket; // the simulated base station's socket; "" for this user's
    bool trace = false;  // every transaction on standard error
    bool traceBytes = false; // with each attempt's bytes
    bool verify = false;     // restore: read back what was written
};

// What a command gets. device is set only for commands that talk to a module, after the port has
// been opened, the station set and the bus woken.
struct ZexCtlSession {
    QStringList arguments; // the words after the command's name
    ZexCtlOptions options;
    QTextStream& out;
    QTextStream& err;
    ZEX* device = nullptr;
    QString portLabel; // the port in use, for messages: "COM3" or the device path
    // The link log of whatever link the command opens; --trace has a sink on it.
    LinkLogTap* linkLog = nullptr;
};

// One entry of zexctl's command table. A new command group ("brand", "scan" ...) is one more
// entry; its run function reads its own sub-command from the arguments.
struct ZexCtlCommand {
    const char* name;     // the word that selects it
    const char* synopsis; // for --help, after "zexctl [OPTIONS] "
    const char* summary;  // for --help, one or more lines
    bool needsModule;     // open the port, set the station, wake the bus, then run
    bool allowsBroadcast; // station 0 (every module, no reply) is accepted
    // Checks the arguments before the port is touched; returns ExitSuccess to go on. May be null.
    int (*check)(ZexCtlSession& session);
    int (*run)(ZexCtlSession& session);
};

// The commands, in the order --help lists them.
const QList<ZexCtlCommand>& ZexCtlCommandTable();
