#pragma once

#include <QByteArray>

class SimBaseStation;

// The simulated base station's side of the radio socket protocol (see RadioWireModule): one
// request line in, one reply line out. Requests that are malformed, come before the greeting or
// speak another protocol version are refused and end the connection.
namespace BaseStationProtocol {

struct Response {
    QByteArray bytes; // the reply line, "\n" included
    bool closeAfter = false;
    int delayMs = 0; // the reply is due this long after the request (a module's delay fault)
};

// handle: the connection's own number (its pairing session); greeted: the connection's state.
Response Answer(SimBaseStation& station, int handle, bool& greeted, const QByteArray& line);

} // namespace BaseStationProtocol
