#pragma once

#include <QByteArray>
#include <QString>
#include <QThread>
#include <functional>
#include <future>

// A local-socket server, in a thread of its own, that answers each line it receives with
// whatever the test's responder returns (no "\n" is added). A reply of "<close>" ends the
// connection instead; an empty reply sends nothing. For testing how the radio layer copes with
// a peer that garbles, stalls or vanishes.
class RawLocalPeer : public QThread {
public:
    using Responder = std::function<QByteArray(const QByteArray& line, int lineNumber)>;

    RawLocalPeer(QString socketName, Responder responder);
    ~RawLocalPeer() override;
    bool listen();

protected:
    void run() override;

private:
    QString m_socketName;
    Responder m_responder;
    std::promise<bool> m_listening;
};

// A socket name no other test or simulator uses.
QString UniqueRadioSocketName(const char* purpose);
