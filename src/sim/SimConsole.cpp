#include "sim/SimConsole.h"

#include "sim/SimulatedBus.h"

#include <QTextStream>
#include <cmath>
#include <functional>
#include <optional>

namespace SimConsole {
namespace {

Result failure(const QString& message) {
    return Result{QStringLiteral("error: %1\n").arg(message), true, false};
}

Result done(const QString& message = QString()) {
    return Result{message.isEmpty() ? QString() : message + QLatin1Char('\n'), false, false};
}

std::optional<double> numberAt(const QStringList& words, int index) {
    if (index >= words.size()) {
        return std::nullopt;
    }
    bool ok = false;
    const double value = words[index].toDouble(&ok);
    return ok && std::isfinite(value) ? std::optional(value) : std::nullopt;
}

// Applies a change to the addressed module, or to every module when none is addressed.
void forEach(SimulatedBus& bus, int moduleIndex, const std::function<void(SimulatedModule&)>& f) {
    for (int i = 0; i < bus.moduleCount(); ++i) {
        if (moduleIndex < 0 || moduleIndex == i) {
            f(bus.module(i));
        }
    }
}

Result addFault(FaultPlan& plan, const QStringList& words) {
    QString problem;
    const std::optional<FaultPlan::Rule> rule =
        FaultPlan::ParseRule(words.mid(1), FaultPlan::AllKinds(), &problem);
    if (!rule) {
        return failure(problem);
    }
    plan.add(*rule);
    return done(QStringLiteral("fault: ") + FaultPlan::Describe(*rule, plan.delayMs()));
}

QString describeFaults(const QString& owner, const FaultPlan& plan) {
    QString text;
    for (const FaultPlan::Rule& rule : plan.rules()) {
        text += owner + QStringLiteral(": ") + FaultPlan::Describe(rule, plan.delayMs()) +
                QLatin1Char('\n');
    }
    return text;
}

Result executeFor(SimulatedBus& bus, int moduleIndex, const QStringList& words);

} // namespace

QString HelpText() {
    return QStringLiteral(
        "Commands (put @N in front to address only the module at station N):\n"
        "  load TONNES          apply a load to the load cell\n"
        "  signal MVV           drive the input from a calibrator (mV/V) instead of the cell\n"
        "  battery VOLTS        set the supply voltage\n"
        "  noise MVV            random noise of up to +/-MVV on the input, new at every sample\n"
        "                       (default 0: none)\n"
        "  settle MS            a new load or signal reaches the input over MS ms (default 0:\n"
        "                       at once), so a reading taken meanwhile is still on its way\n"
        "  key tare|units|hold|power   press a key on the module\n"
        "  off | wake           switch the module off / wake it\n"
        "  power                power-cycle: a station or baud rate written takes effect\n"
        "  fault KIND [always | PROBABILITY | next N]   spoil replies (the whole bus without @N)\n"
        "                       KIND: silence nak checksum station garbage short long delay\n"
        "  fault clear          remove the faults (of the module with @N, else all)\n"
        "  faults               list the faults in force\n"
        "  delay MS             how late a delayed reply comes (default 1500)\n"
        "  timing on|off        real line timing (10 bits a byte, turnaround) or instant replies\n"
        "  turnaround MS        the modules' turnaround before replying (default 2)\n"
        "  status               show every module\n"
        "  help                 this list\n"
        "  quit                 stop the simulator\n");
}

QString StatusText(SimulatedBus& bus) {
    QString text;
    QTextStream out(&text);
    for (int i = 0; i < bus.moduleCount(); ++i) {
        SimulatedModule& module = bus.module(i);
        const std::optional<double> signal = module.appliedSignal();
        const QString input = signal ? QStringLiteral("signal %1 mV/V").arg(*signal)
                                     : QStringLiteral("load %1 t").arg(module.appliedLoad());
        out << "station " << module.station() << " at " << module.baudRate() << " baud, firmware "
            << QString::number(module.firmware(), 'f', 2) << ", serial "
            << QStringLiteral("%1").arg(module.serialNumber(), 10, 10, QLatin1Char('0')) << ", "
            << module.supplyVolts() << " V supply at " << module.supplyVoltage() << " V: ";
        if (!module.isAwake()) {
            out << "off (" << input << ")\n";
            continue;
        }
        out << input << ", gross " << QString::number(module.gross(), 'f', 3) << " t, display \""
            << module.displayText() << "\", status " << module.statusWord();
        if (module.noise() > 0.0) {
            out << ", noise " << module.noise() << " mV/V";
        }
        if (module.settleMs() > 0) {
            out << ", settling " << module.settleMs() << " ms";
        }
        out << '\n';
    }
    return text;
}

Result Execute(SimulatedBus& bus, const QString& line) {
    QStringList words = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (words.isEmpty()) {
        return done();
    }
    int moduleIndex = -1;
    if (words.first().startsWith(QLatin1Char('@'))) {
        bool ok = false;
        const int station = words.first().mid(1).toInt(&ok);
        moduleIndex = ok ? bus.indexOfStation(station) : -1;
        if (moduleIndex < 0) {
            return failure(
                QStringLiteral("no module answers to station %1").arg(words.first().mid(1)));
        }
        words.removeFirst();
        if (words.isEmpty()) {
            return failure(QStringLiteral("a command must follow %1").arg(line.trimmed()));
        }
    }
    words[0] = words[0].toLower();
    return executeFor(bus, moduleIndex, words);
}

namespace {

Result executeFor(SimulatedBus& bus, int moduleIndex, const QStringList& words) {
    const QString& command = words.first();
    if (command == QLatin1String("help")) {
        return done(HelpText().chopped(1));
    }
    if (command == QLatin1String("quit") || command == QLatin1String("exit")) {
        return Result{QString(), false, true};
    }
    if (command == QLatin1String("status")) {
        return Result{StatusText(bus), false, false};
    }
    if (command == QLatin1String("load") || command == QLatin1String("signal") ||
        command == QLatin1String("battery")) {
        const std::optional<double> value = numberAt(words, 1);
        if (!value || words.size() != 2) {
            return failure(QStringLiteral("%1 needs one number, e.g. %1 %2")
                               .arg(command, command == QLatin1String("load")     ? "12.5"
                                             : command == QLatin1String("signal") ? "1.25"
                                                                                  : "8.7"));
        }
        forEach(bus, moduleIndex, [&](SimulatedModule& m) {
            if (command == QLatin1String("load")) {
                m.setAppliedLoad(*value);
            } else if (command == QLatin1String("signal")) {
                m.setAppliedSignal(*value);
            } else {
                m.setSupplyVoltage(*value);
            }
        });
        return done();
    }
    if (command == QLatin1String("noise") || command == QLatin1String("settle")) {
        const bool noise = command == QLatin1String("noise");
        const std::optional<double> value = numberAt(words, 1);
        if (!value || words.size() != 2 || *value < 0 || *value > (noise ? 10.0 : 600000.0)) {
            return failure(noise ? QStringLiteral("noise needs mV/V from 0 to 10, e.g. noise 0.002")
                                 : QStringLiteral("settle needs milliseconds from 0 to 600000, "
                                                  "e.g. settle 2000"));
        }
        forEach(bus, moduleIndex, [&](SimulatedModule& m) {
            if (noise) {
                m.setNoise(*value);
            } else {
                m.setSettleMs(qint64(*value));
            }
        });
        return done();
    }
    if (command == QLatin1String("key")) {
        static const QStringList keys = {"power", "tare", "units", "hold"};
        const int key = words.size() == 2 ? int(keys.indexOf(words[1].toLower())) : -1;
        if (key < 0) {
            return failure(QStringLiteral("key needs one of: tare, units, hold, power"));
        }
        forEach(bus, moduleIndex, [&](SimulatedModule& m) {
            if (m.isAwake()) {
                m.pressKey(SimulatedModule::Key(key));
            }
        });
        return done();
    }
    if (command == QLatin1String("off") || command == QLatin1String("wake") ||
        command == QLatin1String("power")) {
        forEach(bus, moduleIndex, [&](SimulatedModule& m) {
            if (command == QLatin1String("off")) {
                m.switchOff();
            } else if (command == QLatin1String("wake")) {
                m.wake();
            } else {
                m.powerCycle();
            }
        });
        return done();
    }
    if (command == QLatin1String("fault")) {
        if (words.size() == 2 &&
            words[1].compare(QLatin1String("clear"), Qt::CaseInsensitive) == 0) {
            for (int i = 0; i < bus.moduleCount(); ++i) {
                if (moduleIndex < 0 || moduleIndex == i) {
                    bus.moduleFaults(i).clear();
                }
            }
            if (moduleIndex < 0) {
                bus.busFaults().clear();
            }
            return done(QStringLiteral("faults cleared"));
        }
        return addFault(moduleIndex < 0 ? bus.busFaults() : bus.moduleFaults(moduleIndex), words);
    }
    if (command == QLatin1String("faults")) {
        QString text = describeFaults(QStringLiteral("bus"), bus.busFaults());
        for (int i = 0; i < bus.moduleCount(); ++i) {
            text += describeFaults(QStringLiteral("station %1").arg(bus.module(i).station()),
                                   bus.moduleFaults(i));
        }
        return Result{text.isEmpty() ? QStringLiteral("no faults\n") : text, false, false};
    }
    if (command == QLatin1String("delay") || command == QLatin1String("turnaround")) {
        const std::optional<double> ms = numberAt(words, 1);
        if (!ms || *ms < 0 || *ms > 60000 || words.size() != 2) {
            return failure(
                QStringLiteral("%1 needs a time in milliseconds from 0 to 60000").arg(command));
        }
        if (command == QLatin1String("turnaround")) {
            bus.setTurnaroundUs(qint64(*ms * 1000));
            return done();
        }
        if (moduleIndex < 0) {
            bus.busFaults().setDelayMs(int(*ms));
        }
        for (int i = 0; i < bus.moduleCount(); ++i) {
            if (moduleIndex < 0 || moduleIndex == i) {
                bus.moduleFaults(i).setDelayMs(int(*ms));
            }
        }
        return done();
    }
    if (command == QLatin1String("timing")) {
        const QString state = words.value(1).toLower();
        if (words.size() != 2 || (state != QLatin1String("on") && state != QLatin1String("off"))) {
            return failure(QStringLiteral("timing needs on or off"));
        }
        bus.setTiming(state == QLatin1String("on"));
        return done();
    }
    return failure(QStringLiteral("unknown command \"%1\"; type help for the list").arg(command));
}

} // namespace

} // namespace SimConsole
