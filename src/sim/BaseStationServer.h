#pragma once

#include <QString>
#include <QThread>
#include <future>

class SimBaseStation;

// Serves the simulated base station on a local socket, in a thread of its own, so the tool (or a
// test in this process) can block on its requests. Only the user who started it may connect.
class BaseStationServer : public QThread {
public:
    static constexpr int MaxConnections = 32;

    BaseStationServer(SimBaseStation& station, QString socketName);
    ~BaseStationServer() override;

    // Listens; on failure (another simulator already serves the name, or the socket cannot be
    // made) the reason is in *error.
    bool startServing(QString* error = nullptr);
    void stopServing();
    QString socketName() const { return m_socketName; }

protected:
    void run() override;

private:
    SimBaseStation& m_station;
    QString m_socketName;
    std::promise<QString> m_started;
};
