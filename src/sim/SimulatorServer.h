#pragma once

#include "sim/BusPseudoTerminal.h"
#include "sim/SimulatedBus.h"

#include <QString>
#include <atomic>
#include <memory>
#include <mutex>
#include <thread>

// Runs a simulated bus on a pseudo-terminal in a thread of its own: it sleeps until the tool
// sends bytes or a reply falls due, so it costs nothing while the line is quiet. Everything that
// touches the bus from outside (operator commands, tests) goes through withBus(), which holds the
// bus while it runs.
class SimulatorServer {
public:
    explicit SimulatorServer(std::unique_ptr<SimulatedBus> bus);
    ~SimulatorServer();
    SimulatorServer(const SimulatorServer&) = delete;
    SimulatorServer& operator=(const SimulatorServer&) = delete;

    // Opens the pseudo-terminal and starts listening; on failure the reason is in *error.
    bool start(QString* error = nullptr);
    void stop();
    bool isRunning() const { return m_thread.joinable(); }
    // The device the tool opens, e.g. /dev/pts/3.
    QString devicePath() const { return m_terminal.devicePath(); }
    // What the COMn link should point at (see BusPseudoTerminal::linkTarget).
    QString linkTarget() const { return m_terminal.linkTarget(); }

    template <typename Function>
    decltype(auto) withBus(Function&& function) {
        std::lock_guard lock(m_mutex);
        return function(*m_bus);
    }

private:
    void run();

    std::unique_ptr<SimulatedBus> m_bus;
    BusPseudoTerminal m_terminal;
    std::mutex m_mutex;
    std::thread m_thread;
    std::atomic<bool> m_stopping = false;
};
