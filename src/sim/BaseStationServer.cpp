#include "sim/BaseStationServer.h"

#include "radio/RadioLineBuffer.h"
#include "radio/RadioWireModule.h"
#include "sim/BaseStationProtocol.h"
#include "sim/SimBaseStation.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>

namespace {

// One tool-side object's connection: its line buffer, its greeting and its pairing session.
void serveConnection(QLocalSocket* socket, SimBaseStation& station, int handle) {
    auto lines = std::make_shared<RadioLineBuffer>(RadioWireModule::MaxLineBytes);
    auto greeted = std::make_shared<bool>(false);
    QObject::connect(socket, &QLocalSocket::readyRead, socket, [=, &station] {
        lines->append(socket->readAll());
        if (lines->overflowed()) {
            socket->write(RadioWireModule::EncodeRefused(0, QStringLiteral("line too long")));
            socket->disconnectFromServer();
            return;
        }
        while (const std::optional<QByteArray> line = lines->takeLine()) {
            const BaseStationProtocol::Response response =
                BaseStationProtocol::Answer(station, handle, *greeted, *line);
            socket->write(response.bytes);
            if (response.closeAfter) {
                socket->disconnectFromServer();
                return;
            }
        }
    });
    QObject::connect(socket, &QLocalSocket::disconnected, socket, [=, &station] {
        station.finishPairing(handle); // a tool that vanished stops listening
        socket->deleteLater();
    });
}

} // namespace

BaseStationServer::BaseStationServer(SimBaseStation& station, QString socketName)
    : m_station(station)
    , m_socketName(std::move(socketName)) {}

BaseStationServer::~BaseStationServer() {
    stopServing();
}

bool BaseStationServer::startServing(QString* error) {
    if (isRunning()) {
        return true;
    }
    {
        // A live simulator keeps its name; only a stale socket file is cleared.
        QLocalSocket probe;
        probe.connectToServer(m_socketName);
        if (probe.waitForConnected(200)) {
            probe.abort();
            if (error) {
                *error = QStringLiteral("Another simulator already serves the radio socket \"%1\"; "
                                        "stop it or choose another name")
                             .arg(m_socketName);
            }
            return false;
        }
    }
    m_started = std::promise<QString>();
    std::future<QString> started = m_started.get_future();
    start();
    const QString problem = started.get();
    if (!problem.isEmpty()) {
        wait();
        if (error) {
            *error = problem;
        }
        return false;
    }
    return true;
}

void BaseStationServer::stopServing() {
    if (isRunning()) {
        quit();
        wait();
    }
}

void BaseStationServer::run() {
    QLocalServer server;
    server.setSocketOptions(QLocalServer::UserAccessOption);
    QLocalServer::removeServer(m_socketName);
    if (!server.listen(m_socketName)) {
        m_started.set_value(QStringLiteral("Cannot serve the radio socket \"%1\": %2")
                                .arg(m_socketName, server.errorString()));
        return;
    }
    int nextHandle = 1;
    QObject::connect(&server, &QLocalServer::newConnection, &server, [&] {
        while (QLocalSocket* socket = server.nextPendingConnection()) {
            if (server.findChildren<QLocalSocket*>().size() > MaxConnections) {
                socket->abort();
                socket->deleteLater();
                continue;
            }
            serveConnection(socket, m_station, nextHandle++);
        }
    });
    m_started.set_value(QString());
    exec();
    server.close();
}
