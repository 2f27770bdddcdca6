#include "sim/BaseStationServer.h"

#include "radio/RadioLineBuffer.h"
#include "radio/RadioWireModule.h"
#include "sim/BaseStationProtocol.h"
#include "sim/SimBaseStation.h"

#include <QDeadlineTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>
#include <algorithm>
#include <deque>

namespace {

// Replies go out in the order of their requests; one that a module's delay fault holds back
// holds back those after it too.
class Outbox {
public:
    explicit Outbox(QLocalSocket* socket)
        : m_socket(socket)
        , m_timer(new QTimer(socket)) {
        m_timer->setSingleShot(true);
        QObject::connect(m_timer, &QTimer::timeout, socket, [this] { flush(); });
    }

    void send(const BaseStationProtocol::Response& response) {
        m_pending.push_back(Pending{QDeadlineTimer(std::max(response.delayMs, 0)), response.bytes,
                                    response.closeAfter});
        flush();
    }

private:
    struct Pending {
        QDeadlineTimer due;
        QByteArray bytes;
        bool closeAfter = false;
    };

    void flush() {
        while (!m_pending.empty() && m_pending.front().due.hasExpired()) {
            const Pending next = m_pending.front();
            m_pending.pop_front();
            m_socket->write(next.bytes);
            if (next.closeAfter) {
                m_pending.clear();
                m_socket->disconnectFromServer();
                return;
            }
        }
        if (!m_pending.empty()) {
            m_timer->start(int(std::max<qint64>(m_pending.front().due.remainingTime(), 1)));
        }
    }

    QLocalSocket* m_socket;
    QTimer* m_timer;
    std::deque<Pending> m_pending;
};

// One tool-side object's connection: its line buffer, its greeting and its pairing session.
void serveConnection(QLocalSocket* socket, SimBaseStation& station, int handle) {
    auto lines = std::make_shared<RadioLineBuffer>(RadioWireModule::MaxLineBytes);
    auto greeted = std::make_shared<bool>(false);
    auto outbox = std::make_shared<Outbox>(socket);
    QObject::connect(socket, &QLocalSocket::readyRead, socket, [=, &station] {
        lines->append(socket->readAll());
        if (lines->overflowed()) {
            outbox->send(
                {RadioWireModule::EncodeRefused(0, QStringLiteral("line too long")), true});
            return;
        }
        while (const std::optional<QByteArray> line = lines->takeLine()) {
            const BaseStationProtocol::Response response =
                BaseStationProtocol::Answer(station, handle, *greeted, *line);
            outbox->send(response);
            if (response.closeAfter) {
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
