#include "app/ProgramOptions.h"

#include "serial/COMDetectModule.h"

ProgramOptions ProgramOptions::Parse(const QStringList& arguments) {
    ProgramOptions options;
    for (int i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments.at(i);
        if (argument == QLatin1String("--help") || argument == QLatin1String("-h")) {
            options.help = true;
        } else if (argument == QLatin1String("--port")) {
            if (i + 1 >= arguments.size()) {
                options.error = QStringLiteral("--port needs a port name such as COM3");
                return options;
            }
            const QString name = arguments.at(++i);
            options.port = COMDetectModule::PortNumberFromName(name);
            if (options.port == 0) {
                bool ok = false;
                const int number = name.toInt(&ok);
                options.port = ok && number >= 1 && number <= 255 ? number : 0;
            }
            if (options.port == 0) {
                options.error =
                    QStringLiteral("\"%1\" is not a port name (COM1 to COM255)").arg(name);
                return options;
            }
        } else {
            options.error = QStringLiteral("unknown option \"%1\"").arg(argument);
            return options;
        }
    }
    return options;
}

QString ProgramOptions::Usage() {
    return QStringLiteral("usage: zex-toolkit [--port COMn]\n"
                          "  --port COMn  preselect this serial port on the Home page\n");
}

QString ProgramOptions::LocaleDecimalSeparator(const QLocale& locale) {
    const QString one = locale.toString(1.0, 'f', 1);
    return one.size() >= 2 ? one.mid(1, 1) : QStringLiteral(".");
}
