#pragma once

#include <QStringList>
#include <memory>

class MonotonicClock;
class QTextStream;
class RadioFactory;
class RadioSupport;
class ZEX;

// zexctl's radio commands, through the same radio support layer and procedures as the Home page:
//   radio status      start-up: prints the base station report
//   radio pair        listens 10 s for a module being powered up; prints its ID and model
//   radio channel N   sets the base station's channel (1 to 16)
// and the connection behind --radio-id HEX, which makes get, set and call work over radio.
namespace RadioCommands {

// Exit statuses, the same as every zexctl command's.
inline constexpr int Success = 0;
inline constexpr int LinkFailed = 1;
inline constexpr int Usage = 2;

// words: what follows "radio". Uses the simulated base station's per-user socket.
int run(const QStringList& words, QTextStream& out, QTextStream& err);
// The same with the radio objects and clock given (tests).
int run(const QStringList& words, QTextStream& out, QTextStream& err, RadioFactory& factory,
        MonotonicClock& clock);

// A connection to one radio module by its typed ID, kept for as long as a command uses it.
class Connection {
public:
    Connection(RadioFactory& factory, MonotonicClock& clock);
    ~Connection();
    // Starts the radio and connects to the module (at most the 15 s search). On failure says
    // why on err and returns LinkFailed, or Usage for an ID that names no module.
    int open(const QString& typedId, QTextStream& err);
    // The module's driver once open() succeeded; it is also the current device.
    ZEX* device() const;

private:
    std::unique_ptr<RadioSupport> m_radio;
    std::shared_ptr<ZEX> m_device;
};

// The radio objects zexctl uses unless a test gives others.
std::unique_ptr<RadioFactory> MakeFactory(MonotonicClock& clock);

} // namespace RadioCommands
