#include "support/RawLocalPeer.h"

#include <QCoreApplication>
#include <QLocalServer>
#include <QLocalSocket>
#include <atomic>

RawLocalPeer::RawLocalPeer(QString socketName, Responder responder)
    : m_socketName(std::move(socketName))
    , m_responder(std::move(responder)) {}

RawLocalPeer::~RawLocalPeer() {
    quit();
    wait();
}

bool RawLocalPeer::listen() {
    std::future<bool> listening = m_listening.get_future();
    start();
    return listening.get();
}

void RawLocalPeer::run() {
    QLocalServer server;
    QLocalServer::removeServer(m_socketName);
    if (!server.listen(m_socketName)) {
        m_listening.set_value(false);
        return;
    }
    int lineNumber = 0;
    QObject::connect(&server, &QLocalServer::newConnection, &server, [&] {
        while (QLocalSocket* socket = server.nextPendingConnection()) {
            auto pending = std::make_shared<QByteArray>();
            QObject::connect(socket, &QLocalSocket::readyRead, socket,
                             [this, socket, pending, &lineNumber] {
                                 pending->append(socket->readAll());
                                 qsizetype end;
                                 while ((end = pending->indexOf('\n')) >= 0) {
                                     const QByteArray line = pending->left(end);
                                     pending->remove(0, end + 1);
                                     const QByteArray reply = m_responder(line, lineNumber++);
                                     if (reply == "<close>") {
                                         socket->abort();
                                         return;
                                     }
                                     socket->write(reply);
                                     socket->flush();
                                 }
                             });
        }
    });
    m_listening.set_value(true);
    exec();
}

QString UniqueRadioSocketName(const char* purpose) {
    static std::atomic<int> counter = 0;
    return QStringLiteral("zex-r58-test-%1-%2-%3")
        .arg(QCoreApplication::applicationPid())
        .arg(QLatin1String(purpose))
        .arg(++counter);
}
