#include "support/ProgramProcess.h"

#include "serial/COMDetectModule.h"
#include "sim/SimulatedBus.h"
#include "sim/SimulatorServer.h"

#include <QDir>
#include <QFile>
#include <QProcessEnvironment>

// This process offers the port in the scratch user's folder, where the program looks.
ProgramProcess::ProgramProcess(const QList<ModuleConfig>& modules)
    : m_configHome("XDG_CONFIG_HOME",
                   QFile::encodeName(m_home.filePath(QStringLiteral("config")))) {
    QDir().mkpath(configHome());

    auto bus = std::make_unique<SimulatedBus>(m_moduleClock, 4242);
    for (const ModuleConfig& module : modules) {
        bus->addModule(module);
    }
    bus->setTiming(false);
    m_bus = std::make_unique<SimulatorServer>(std::move(bus));
    if (!m_bus->start(&m_failure)) {
        return;
    }
    m_port = COMDetectModule::OfferDeviceOnFreePort(m_bus->linkTarget(),
                                                    COMDetectModule::FirstSimulatorPort,
                                                    COMDetectModule::LastSimulatorPort, &m_failure);
}

ProgramProcess::~ProgramProcess() {
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
    if (m_port) {
        COMDetectModule::WithdrawPort(m_port);
    }
    if (m_bus) {
        m_bus->stop();
    }
}

QString ProgramProcess::portName() const {
    return COMDetectModule::PortName(m_port);
}

QString ProgramProcess::configHome() const {
    return m_home.filePath(QStringLiteral("config"));
}

QString ProgramProcess::settingsFile() const {
    return m_home.filePath(QStringLiteral("config/ZEX Toolkit/Config.ini"));
}

void ProgramProcess::start(const QString& program, const QStringList& arguments) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), configHome());
    environment.insert(QStringLiteral("HOME"), m_home.filePath(QStringLiteral("home")));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    QDir().mkpath(m_home.filePath(QStringLiteral("home")));
    m_process.setProcessEnvironment(environment);
    m_process.start(program, arguments);
}

ProgramProcess::Result ProgramProcess::finish(int timeoutMs) {
    Result result;
    // waitForFinished() is false for a process that has already ended, too.
    const bool ended =
        m_process.state() == QProcess::NotRunning || m_process.waitForFinished(timeoutMs);
    result.finished = ended && m_process.exitStatus() == QProcess::NormalExit;
    if (!ended) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
    result.exitCode = m_process.exitCode();
    result.out = QString::fromLocal8Bit(m_process.readAllStandardOutput());
    result.err = QString::fromLocal8Bit(m_process.readAllStandardError());
    if (!result.finished) {
        // What a failing test shows: how the program ended, and everything it said.
        result.err = (ended ? QStringLiteral("it crashed: %1").arg(m_process.errorString())
                            : QStringLiteral("still running after %1 ms").arg(timeoutMs)) +
                     QStringLiteral("\n--- standard output:\n") + result.out +
                     QStringLiteral("--- standard error:\n") + result.err;
    }
    return result;
}

ProgramProcess::Result ProgramProcess::run(const QString& program, const QStringList& arguments,
                                           int timeoutMs) {
    start(program, arguments);
    return finish(timeoutMs);
}
