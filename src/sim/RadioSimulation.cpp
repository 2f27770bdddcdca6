#include "sim/RadioSimulation.h"

#include "radio/RadioIdModule.h"
#include "radio/RadioWireModule.h"
#include "sim/BaseStationServer.h"
#include "sim/SimBaseStation.h"
#include "sim/SimRadioModule.h"

#include <QList>
#include <cmath>
#include <limits>

namespace {

struct RadioModuleSetup {
    quint32 id = 0;
    std::optional<quint8> channel; // default: the base station's
    QString model = QStringLiteral("ZEX");
    ModuleConfig module;
};

std::optional<quint32> hexId(const QString& text, quint32 largest) {
    bool ok = false;
    const qulonglong value = text.toULongLong(&ok, 16);
    if (!ok || value == 0 || value > largest || text.size() > 8 || text.startsWith(u'-') ||
        text.startsWith(u'+') || text.contains(QLatin1String("x"), Qt::CaseInsensitive)) {
        return std::nullopt;
    }
    return quint32(value);
}

std::optional<quint8> channelOf(const QString& text) {
    bool ok = false;
    const int channel = text.toInt(&ok);
    if (!ok || channel < 1 || channel > 16 || QString::number(channel) != text) {
        return std::nullopt;
    }
    return quint8(channel);
}

// "KEY=VALUE,KEY=VALUE"; false with the reason when an item has no "=".
bool splitItems(const QString& optionText, QList<QPair<QString, QString>>& items, QString& reason) {
    for (const QString& item : optionText.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const qsizetype equals = item.indexOf(QLatin1Char('='));
        if (equals <= 0) {
            reason = QStringLiteral("\"%1\" is not KEY=VALUE").arg(item);
            return false;
        }
        items.append({item.left(equals).trimmed().toLower(), item.mid(equals + 1).trimmed()});
    }
    return true;
}

bool parseBaseStation(const QString& optionText, BaseStationConfig& config, QString& reason) {
    QList<QPair<QString, QString>> items;
    if (!splitItems(optionText, items, reason)) {
        return false;
    }
    for (const auto& [key, value] : items) {
        if (key == QLatin1String("id")) {
            const auto id = hexId(value, 0xFFFFFFFF);
            if (!id) {
                reason = QStringLiteral("id must be 1 to 8 hexadecimal digits, not 0");
                return false;
            }
            config.id = *id;
        } else if (key == QLatin1String("channel")) {
            const auto channel = channelOf(value);
            if (!channel) {
                reason = QStringLiteral("channel must be 1 to 16");
                return false;
            }
            config.channel = *channel;
        } else {
            reason = QStringLiteral("unknown key \"%1\"; keys are id, channel").arg(key);
            return false;
        }
    }
    return true;
}

bool parseRadioModule(const QString& optionText, int position, RadioModuleSetup& module,
                      QString& reason) {
    module.module.serialNumber = 2000000 + quint32(position);
    QList<QPair<QString, QString>> items;
    if (!splitItems(optionText, items, reason)) {
        return false;
    }
    bool hasId = false;
    for (const auto& [key, value] : items) {
        bool ok = false;
        if (key == QLatin1String("id")) {
            const auto id = hexId(value, RadioIdModule::LargestId);
            if (!id) {
                reason = QStringLiteral("id must be 1 to 6 hexadecimal digits (24 bits), not 0");
                return false;
            }
            module.id = *id;
            hasId = true;
        } else if (key == QLatin1String("channel")) {
            module.channel = channelOf(value);
            if (!module.channel) {
                reason = QStringLiteral("channel must be 1 to 16");
                return false;
            }
        } else if (key == QLatin1String("model")) {
            if (value.isEmpty() || value.size() > RadioWireModule::MaxModelNameLength ||
                value.contains(QLatin1Char(' '))) {
                reason = QStringLiteral("model must be one word of at most 64 characters");
                return false;
            }
            module.model = value;
        } else if (key == QLatin1String("firmware")) {
            const double firmware = value.toDouble(&ok);
            if (!ok || firmware < 0.01 || firmware > 99.99) {
                reason = QStringLiteral("firmware must be a version such as 3.0 or 4.1");
                return false;
            }
            module.module.firmware = firmware;
        } else if (key == QLatin1String("serial")) {
            const qulonglong serial = value.toULongLong(&ok);
            if (!ok || serial > std::numeric_limits<quint32>::max()) {
                reason = QStringLiteral("serial must be a whole number from 0 to 4294967295");
                return false;
            }
            module.module.serialNumber = quint32(serial);
        } else {
            reason = QStringLiteral("unknown key \"%1\"; keys are id, channel, model, firmware, "
                                    "serial")
                         .arg(key);
            return false;
        }
    }
    if (!hasId) {
        reason = QStringLiteral("a radio module needs an id");
        return false;
    }
    return true;
}

QString hex(quint32 id) {
    return RadioIdModule::ToHex(id);
}

} // namespace

RadioSimulation::~RadioSimulation() {
    if (m_server) {
        m_server->stopServing();
    }
}

std::unique_ptr<RadioSimulation>
RadioSimulation::FromArguments(QStringList& arguments, MonotonicClock& clock, QString* error) {
    BaseStationConfig config;
    QList<RadioModuleSetup> modules;
    QString socketName = RadioWireModule::DefaultSocketName();
    QStringList rest;
    QString reason;
    bool requested = false;
    const auto fail = [&](const QString& message) {
        if (error) {
            *error = message;
        }
        return nullptr;
    };
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        const bool takesValue = argument == QLatin1String("--base-station") ||
                                argument == QLatin1String("--radio-module") ||
                                argument == QLatin1String("--radio-socket");
        if (!takesValue) {
            if (argument == QLatin1String("--seed") && i + 1 < arguments.size()) {
                // The bus's option; the radio faults draw from the same seed.
                config.seed = arguments[i + 1].toUInt();
            }
            if (argument == QLatin1String("--no-base-station")) {
                config.attached = false;
                requested = true;
            } else {
                rest.append(argument);
            }
            continue;
        }
        if (i + 1 >= arguments.size()) {
            return fail(QStringLiteral("%1 needs a value (see --help)").arg(argument));
        }
        const QString value = arguments[++i];
        requested = true;
        if (argument == QLatin1String("--base-station")) {
            if (!parseBaseStation(value, config, reason)) {
                return fail(QStringLiteral("--base-station %1: %2").arg(value, reason));
            }
        } else if (argument == QLatin1String("--radio-module")) {
            RadioModuleSetup module;
            if (!parseRadioModule(value, int(modules.size()) + 1, module, reason)) {
                return fail(QStringLiteral("--radio-module %1: %2").arg(value, reason));
            }
            for (const RadioModuleSetup& other : std::as_const(modules)) {
                if (other.id == module.id) {
                    return fail(QStringLiteral("--radio-module %1: ID %2 is used twice")
                                    .arg(value, hex(module.id)));
                }
            }
            modules.append(module);
        } else {
            if (value.isEmpty() || value.contains(QLatin1Char('/'))) {
                return fail(QStringLiteral("--radio-socket needs a plain name, e.g. zex-r58-test"));
            }
            socketName = value;
        }
    }
    if (modules.isEmpty()) {
        RadioModuleSetup module;
        module.id = 0x1A2B;
        module.module.serialNumber = 2000001;
        modules.append(module);
    }

    std::unique_ptr<RadioSimulation> simulation(new RadioSimulation);
    simulation->m_socketName = socketName;
    simulation->m_requested = requested;
    simulation->m_station = std::make_unique<SimBaseStation>(config, clock);
    for (const RadioModuleSetup& setup : std::as_const(modules)) {
        simulation->m_station->addModule(std::make_unique<SimRadioModule>(
            setup.id, setup.channel.value_or(simulation->m_station->channel()), setup.model,
            setup.module, clock));
    }
    simulation->m_server =
        std::make_unique<BaseStationServer>(*simulation->m_station, simulation->m_socketName);
    arguments = rest;
    return simulation;
}

QString RadioSimulation::HelpText() {
    return QStringLiteral("\nRadio (the R58 base station, on a local socket the "
                          "tool finds by itself):\n"
                          "  --base-station KEY=VALUE,...  id (hexadecimal, "
                          "12AB), channel 1-16 (1)\n"
                          "  --no-base-station       the USB interface is there, "
                          "the base station is not\n"
                          "  --radio-module KEY=VALUE,...  a radio module; "
                          "repeat for more. Keys (defaults):\n"
                          "                          id (1 to 6 hexadecimal "
                          "digits, required), channel (the\n"
                          "                          base station's), model "
                          "(ZEX; another name is a module the\n"
                          "                          tool does not support), "
                          "firmware (4.1), serial (2000001, ...)\n"
                          "  --radio-socket NAME     serve on NAME instead of "
                          "this user's %1\n"
                          "Without --radio-module: one module, ID 1A2B, on the "
                          "base station's channel.\n")
        .arg(RadioWireModule::DefaultSocketName());
}

QString RadioSimulation::CommandHelpText() {
    return QStringLiteral(
        "Radio commands:\n"
        "  radio [status]          the base station and every radio module\n"
        "  radio power-up ID       switch a radio module on (pairing listens for this)\n"
        "  radio power-down ID     switch a radio module off\n"
        "  radio load ID TONNES    the load on a radio module's cell\n"
        "  radio noise ID MVV      random noise of up to +/-MVV on its input (default 0)\n"
        "  radio settle ID MS      a new load reaches its input over MS ms (default 0)\n"
        "  radio fault ID KIND [always | PROBABILITY | next N]   spoil its exchanges; KIND:\n"
        "                          silence (no effect, \"No response\"), nak (no effect, \"NAK\n"
        "                          response\"), delay (carried out, answered late)\n"
        "  radio fault clear [ID]  remove the faults (of one module, else all)\n"
        "  radio faults            list the faults in force\n"
        "  radio delay MS          how late a delayed answer comes (default 1500)\n"
        "  radio help              this list\n");
}

bool RadioSimulation::start(QString* error) {
    return m_server->startServing(error);
}

QString RadioSimulation::readyText() {
    return QStringLiteral("radio socket ") + m_socketName +
           QStringLiteral(" (type \"radio help\" for the radio commands)\n") +
           m_station->describe() + QLatin1Char('\n');
}

std::optional<RadioSimulation::ConsoleResult> RadioSimulation::execute(const QString& line) {
    const QStringList words = line.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (words.isEmpty() || words.first().compare(QLatin1String("radio"), Qt::CaseInsensitive)) {
        return std::nullopt;
    }
    const QString command = words.value(1, QStringLiteral("status")).toLower();
    if (command == QLatin1String("status") && words.size() <= 2) {
        return ConsoleResult{m_station->describe() + QLatin1Char('\n'), false};
    }
    if (command == QLatin1String("help")) {
        return ConsoleResult{CommandHelpText(), false};
    }
    if (command == QLatin1String("fault") || command == QLatin1String("faults") ||
        command == QLatin1String("delay")) {
        return faultCommand(command, words.mid(2));
    }
    return moduleCommand(command, words);
}

RadioSimulation::ConsoleResult RadioSimulation::faultCommand(const QString& command,
                                                             const QStringList& words) {
    if (command == QLatin1String("faults") && words.isEmpty()) {
        const QString faults = m_station->describeFaults();
        return ConsoleResult{(faults.isEmpty() ? QStringLiteral("no radio faults") : faults) +
                                 QLatin1Char('\n'),
                             false};
    }
    if (command == QLatin1String("delay")) {
        bool ok = false;
        const double ms = words.value(0).toDouble(&ok);
        if (!ok || words.size() != 1 || !(ms >= 0 && ms <= 60000)) {
            return failure(QStringLiteral("usage: radio delay MS (0 to 60000)"));
        }
        m_station->setFaultDelayMs(int(ms));
        return ConsoleResult{};
    }
    if (command == QLatin1String("fault") && !words.isEmpty() &&
        words[0].compare(QLatin1String("clear"), Qt::CaseInsensitive) == 0 && words.size() <= 2) {
        std::optional<quint32> id;
        if (words.size() == 2) {
            id = hexId(words[1], RadioIdModule::LargestId);
            if (!id) {
                return notAnId(words[1]);
            }
        }
        m_station->clearFaults(id);
        return ConsoleResult{QStringLiteral("radio faults cleared\n"), false};
    }
    if (command != QLatin1String("fault") || words.size() < 2) {
        return failure(QStringLiteral("usage: radio fault ID KIND [always | PROBABILITY | next N], "
                                      "radio fault clear [ID], radio faults"));
    }
    const std::optional<quint32> id = hexId(words[0], RadioIdModule::LargestId);
    if (!id) {
        return notAnId(words[0]);
    }
    QString problem;
    const std::optional<FaultPlan::Rule> rule =
        FaultPlan::ParseRule(words.mid(1), SimBaseStation::RadioFaultKinds(), &problem);
    if (!rule) {
        return failure(problem);
    }
    if (!m_station->addFault(*id, *rule)) {
        return failure(QStringLiteral("no radio module has ID %1").arg(hex(*id)));
    }
    return ConsoleResult{QStringLiteral("radio module %1: %2\n")
                             .arg(hex(*id), FaultPlan::Describe(*rule, m_station->faultDelayMs())),
                         false};
}

RadioSimulation::ConsoleResult RadioSimulation::moduleCommand(const QString& command,
                                                              const QStringList& words) {
    const bool power =
        command == QLatin1String("power-up") || command == QLatin1String("power-down");
    const bool load = command == QLatin1String("load");
    const bool noise = command == QLatin1String("noise");
    const bool settle = command == QLatin1String("settle");
    if (!power && !load && !noise && !settle) {
        return failure(
            QStringLiteral("unknown radio command \"%1\"; type radio help").arg(command));
    }
    if (words.size() != (power ? 3 : 4)) {
        return failure(power   ? QStringLiteral("usage: radio %1 ID").arg(command)
                       : load  ? QStringLiteral("usage: radio load ID TONNES")
                       : noise ? QStringLiteral("usage: radio noise ID MVV")
                               : QStringLiteral("usage: radio settle ID MS"));
    }
    const std::optional<quint32> id = hexId(words[2], RadioIdModule::LargestId);
    if (!id) {
        return notAnId(words[2]);
    }
    bool known = false;
    if (power) {
        known = command == QLatin1String("power-up") ? m_station->powerUp(*id)
                                                     : m_station->powerDown(*id);
    } else {
        bool ok = false;
        const double value = words[3].toDouble(&ok);
        if (!ok || !std::isfinite(value)) {
            return failure((load ? QStringLiteral("\"%1\" is not a load in tonnes")
                                 : QStringLiteral("\"%1\" is not a number"))
                               .arg(words[3]));
        }
        if ((noise && (value < 0 || value > 10)) || (settle && (value < 0 || value > 600000))) {
            return failure(noise ? QStringLiteral("noise is 0 to 10 mV/V")
                                 : QStringLiteral("settling takes 0 to 600000 ms"));
        }
        known = m_station->withModule(*id, [&](RadioReachableModule& module) {
            auto* simulated = dynamic_cast<SimRadioModule*>(&module);
            if (!simulated) {
                return;
            }
            if (load) {
                simulated->module().setAppliedLoad(value);
            } else if (noise) {
                simulated->module().setNoise(value);
            } else {
                simulated->module().setSettleMs(qint64(value));
            }
        });
    }
    if (!known) {
        return failure(QStringLiteral("no radio module has ID %1").arg(hex(*id)));
    }
    // Setting a load, noise or settling answers nothing, as the bus's own commands do: `make run`
    // feeds a load every second, and the operator's terminal must not scroll with it.
    return ConsoleResult{power ? m_station->describe() + QLatin1Char('\n') : QString(), false};
}

RadioSimulation::ConsoleResult RadioSimulation::failure(const QString& text) {
    return ConsoleResult{text + QLatin1Char('\n'), true};
}

RadioSimulation::ConsoleResult RadioSimulation::notAnId(const QString& text) {
    return failure(
        QStringLiteral("\"%1\" is not a radio ID (1 to 6 hexadecimal digits)").arg(text));
}
