#pragma once

#include "sim/SimulatedModule.h"
#include "support/ScopedEnvironment.h"
#include "util/MonotonicClock.h"

#include <QByteArray>
#include <QList>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>

class SimulatorServer;

// One of the programs run as a process of its own, as a user would start it, on the offscreen
// platform, with a scratch user (settings and ports in a temporary folder), against a simulated
// bus in this process offered as a COM port in that folder.
class ProgramProcess {
public:
    struct Result {
        int exitCode = -1;
        bool finished = false; // false: it crashed or ran past the time limit
        QString out;
        QString err;
    };

    explicit ProgramProcess(const QList<ModuleConfig>& modules = {ModuleConfig()});
    ~ProgramProcess();
    ProgramProcess(const ProgramProcess&) = delete;
    ProgramProcess& operator=(const ProgramProcess&) = delete;

    // False with failure() when the simulator could not be started or offered.
    bool isReady() const { return m_port != 0; }
    QString failure() const { return m_failure; }
    int port() const { return m_port; }
    QString portName() const;
    SimulatorServer& bus() { return *m_bus; }

    // The scratch user's settings folder (XDG_CONFIG_HOME) and its "Config.ini".
    QString configHome() const;
    QString settingsFile() const;

    // Starts `program` with `arguments`; run() waits for its end.
    void start(const QString& program, const QStringList& arguments);
    Result finish(int timeoutMs = 60000);
    Result run(const QString& program, const QStringList& arguments, int timeoutMs = 60000);
    QProcess& process() { return m_process; }

private:
    QTemporaryDir m_home;
    ScopedEnvironment m_configHome;
    SteadyClock m_moduleClock;
    std::unique_ptr<SimulatorServer> m_bus;
    QProcess m_process;
    int m_port = 0;
    QString m_failure;
};
