#pragma once

#include <QStringList>
#include <memory>

class LinkLogTap;
class MonotonicClock;
class QTextStream;
class RadioFactory;
class RadioSupport;
class ZEX;
struct ZexCtlSession;

// zexctl's radio commands, through the same radio support layer and procedures as the Home page:
//   radio status      start-up: prints the base station report
//   radio pair        listens 10 s for a module being powered up; prints its ID and model
//   radio channel N   sets the base station's channel (1 to 16)
// and the connection behind --radio-id HEX, which makes get, set and call work over radio.
namespace RadioCommands {

// words: what follows "radio"; the radio objects and clock as given.
int run(const QStringList& words, QTextStream& out, QTextStream& err, RadioFactory& factory,
        MonotonicClock& clock);

// A connection to one radio module by its typed ID, kept for as long as a command uses it.
class Connection {
public:
    Connection(RadioFactory& factory, MonotonicClock& clock);
    ~Connection();
    // Starts the radio and connects to the module (at most the 15 s search). On failure says
    // why on err and returns ExitLinkFailed, or ExitUsage for an ID that names no module.
    int open(const QString& typedId, QTextStream& err);
    // The module's driver once open() succeeded; it is also the current device.
    ZEX* device() const;

private:
    std::unique_ptr<RadioSupport> m_radio;
    std::shared_ptr<ZEX> m_device;
};

// zexctl's "radio" command: the words after it are in session.arguments.
int Radio(ZexCtlSession& session);
// Runs a module command (get, set, call) on the module named by session.options.radioId.
int RunOverRadio(int (*run)(ZexCtlSession&), ZexCtlSession& session, MonotonicClock& clock);

// The simulated base station's radio objects, on this socket ("" for this user's); with a link
// log, the link's exchanges go to it.
std::unique_ptr<RadioFactory> MakeFactory(MonotonicClock& clock, const QString& socketName,
                                          LinkLogTap* linkLog = nullptr);

} // namespace RadioCommands
