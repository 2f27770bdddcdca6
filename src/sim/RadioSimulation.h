#pragma once

#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

class BaseStationServer;
class MonotonicClock;
class SimBaseStation;

// zex-sim's radio side: the simulated R58 base station with its radio modules,
// served on the tool's local socket, with its command-line options and operator
// commands ("radio ...").
class RadioSimulation {
public:
    struct ConsoleResult {
        QString output; // lines, each ending in a newline
        bool failed = false;
    };

    ~RadioSimulation();

    // Takes the radio options out of arguments (leaving the rest for the bus) and
    // builds the base station and its modules. On a mistake: nullptr, with the
    // reason in *error.
    static std::unique_ptr<RadioSimulation> FromArguments(QStringList& arguments,
                                                          MonotonicClock& clock, QString* error);
    static QString HelpText();
    static QString CommandHelpText();

    bool start(QString* error);
    // Whether any radio option was given. Without one the base station is an extra that a
    // second simulator on the same socket does without.
    bool requested() const { return m_requested; }
    // "radio socket NAME" and the base station and its modules, one line each.
    QString readyText();
    // An operator line; nullopt when it is not a radio command.
    std::optional<ConsoleResult> execute(const QString& line);

    SimBaseStation& station() { return *m_station; }
    QString socketName() const { return m_socketName; }

private:
    RadioSimulation() = default;
    ConsoleResult faultCommand(const QString& command, const QStringList& words);
    ConsoleResult moduleCommand(const QString& command, const QStringList& words);
    static ConsoleResult failure(const QString& text);
    static ConsoleResult notAnId(const QString& text);

    QString m_socketName;
    bool m_requested = false;
    std::unique_ptr<SimBaseStation> m_station;
    std::unique_ptr<BaseStationServer> m_server;
};
