#include "sim/SimOptions.h"

#include <QSet>
#include <cmath>
#include <limits>

namespace {

std::optional<double> numberOf(const QString& text) {
    bool ok = false;
    const double value = text.toDouble(&ok);
    return ok && std::isfinite(value) ? std::optional(value) : std::nullopt;
}

bool isWhole(double value) {
    return value == std::floor(value);
}

// "station=2,firmware=3.0,serial=123,supply=3,baud=9600"
std::optional<ModuleConfig> parseModule(const QString& settings, int position, QString* error) {
    ModuleConfig config;
    config.station = position;
    config.serialNumber = 1000000 + quint32(position);
    auto fail = [&](const QString& reason) {
        *error = QStringLiteral("--module %1: %2").arg(settings, reason);
        return std::nullopt;
    };
    for (const QString& item : settings.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const qsizetype equals = item.indexOf(QLatin1Char('='));
        const QString key = item.left(equals).trimmed().toLower();
        const std::optional<double> value =
            equals < 0 ? std::nullopt : numberOf(item.mid(equals + 1).trimmed());
        if (equals < 0 || !value) {
            return fail(QStringLiteral("\"%1\" is not KEY=NUMBER").arg(item));
        }
        const double v = *value;
        if (key == QLatin1String("station")) {
            if (!isWhole(v) || v < 1 || v > 254) {
                return fail(QStringLiteral("station must be 1 to 254"));
            }
            config.station = int(v);
        } else if (key == QLatin1String("firmware")) {
            if (v < 0.01 || v > 99.99) {
                return fail(QStringLiteral("firmware must be a version such as 2.5, 3.0 or 4.1"));
            }
            config.firmware = v;
        } else if (key == QLatin1String("serial")) {
            if (!isWhole(v) || v < 0 || v > double(std::numeric_limits<quint32>::max())) {
                return fail(QStringLiteral("serial must be a whole number from 0 to 4294967295"));
            }
            config.serialNumber = quint32(v);
        } else if (key == QLatin1String("supply")) {
            if (v != 3 && v != 9) {
                return fail(QStringLiteral("supply must be 3 or 9 (volts)"));
            }
            config.supplyVolts = int(v);
        } else if (key == QLatin1String("baud")) {
            if (v != 9600 && v != 19200) {
                return fail(QStringLiteral("baud must be 9600 or 19200"));
            }
            config.baudRate = int(v);
        } else if (key == QLatin1String("capacity") || key == QLatin1String("sensitivity")) {
            if (v <= 0) {
                return fail(QStringLiteral("%1 must be above 0").arg(key));
            }
            (key == QLatin1String("capacity") ? config.loadCell.capacityTonnes
                                              : config.loadCell.sensitivityMvV) = v;
        } else {
            return fail(QStringLiteral("unknown key \"%1\"; keys are station, firmware, serial, "
                                       "supply, baud, capacity, sensitivity")
                            .arg(key));
        }
    }
    return config;
}

} // namespace

QString SimOptions::HelpText() {
    return QStringLiteral(
        "Usage: zex-sim [OPTIONS]\n"
        "Simulates a bus of ZEX modules on a pseudo-terminal, offered as a COM port. Prints\n"
        "\"ready COMn DEVICE\" when it listens; then reads commands on standard input (type "
        "help).\n"
        "\n"
        "Options:\n"
        "  --module KEY=VALUE,...  a module on the bus; repeat for more. Keys (defaults):\n"
        "                          station (1, 2, ... by position), firmware (4.1),\n"
        "                          serial (1000001, ...), supply 3|9 (9), baud 9600|19200 "
        "(19200),\n"
        "                          capacity in tonnes (25), sensitivity in mV/V (2)\n"
        "  --port N                offer the bus as COMN instead of the lowest free of COM200-254\n"
        "  --no-timing             reply at once instead of at the line's real speed\n"
        "  --turnaround MS         time from a request's last byte to the reply (default 2)\n"
        "  --seed N                seed for faults that fire with a probability\n"
        "  --help                  this text\n"
        "\n"
        "Without --module: one module at station 1, firmware 4.1, 19200 baud.\n");
}

std::optional<SimOptions> SimOptions::Parse(const QStringList& arguments, QString* error) {
    SimOptions options;
    QString reason;
    auto fail = [&](const QString& message) {
        if (error) {
            *error = message;
        }
        return std::nullopt;
    };
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        auto value = [&]() -> std::optional<QString> {
            if (i + 1 >= arguments.size()) {
                return std::nullopt;
            }
            return arguments[++i];
        };
        if (argument == QLatin1String("--help") || argument == QLatin1String("-h")) {
            options.helpWanted = true;
        } else if (argument == QLatin1String("--no-timing")) {
            options.timing = false;
        } else if (argument == QLatin1String("--module")) {
            const std::optional<QString> settings = value();
            if (!settings) {
                return fail(QStringLiteral("--module needs KEY=VALUE,... e.g. --module station=2"));
            }
            const std::optional<ModuleConfig> config =
                parseModule(*settings, int(options.modules.size()) + 1, &reason);
            if (!config) {
                return fail(reason);
            }
            options.modules.append(*config);
        } else if (argument == QLatin1String("--port") ||
                   argument == QLatin1String("--turnaround") ||
                   argument == QLatin1String("--seed")) {
            const std::optional<QString> text = value();
            const std::optional<double> number = text ? numberOf(*text) : std::nullopt;
            if (argument == QLatin1String("--port")) {
                if (!number || !isWhole(*number) || *number < 1 || *number > 255) {
                    return fail(QStringLiteral("--port needs a port number from 1 to 255"));
                }
                options.portNumber = int(*number);
            } else if (argument == QLatin1String("--turnaround")) {
                if (!number || *number < 0 || *number > 1000) {
                    return fail(QStringLiteral("--turnaround needs milliseconds from 0 to 1000"));
                }
                options.turnaroundUs = qint64(std::llround(*number * 1000));
            } else {
                if (!number || !isWhole(*number) || *number < 0 || *number > 4294967295.0) {
                    return fail(QStringLiteral("--seed needs a whole number from 0 to 4294967295"));
                }
                options.seed = quint32(*number);
            }
        } else {
            return fail(QStringLiteral("unknown option \"%1\"; see zex-sim --help").arg(argument));
        }
    }
    if (options.modules.isEmpty()) {
        options.modules.append(ModuleConfig());
    }
    QSet<QString> taken;
    for (const ModuleConfig& config : options.modules) {
        const QString key = QStringLiteral("%1@%2").arg(config.station).arg(config.baudRate);
        if (taken.contains(key)) {
            return fail(QStringLiteral("two modules cannot both answer to station %1 at %2 baud")
                            .arg(config.station)
                            .arg(config.baudRate));
        }
        taken.insert(key);
    }
    return options;
}
