#include "app/ProgramOptions.h"

#include "serial/COMDetectModule.h"

namespace {

// "COM3" or "3": the port number, 0 for anything else.
int portNumber(const QString& name) {
    const int number = COMDetectModule::PortNumberFromName(name);
    if (number != 0) {
        return number;
    }
    bool ok = false;
    const int plain = name.toInt(&ok);
    return ok && plain >= 1 && plain <= 255 ? plain : 0;
}

} // namespace

ProgramOptions ProgramOptions::Parse(const QStringList& arguments) {
    ProgramOptions options;
    auto fail = [&options](const QString& error) {
        options.error = error;
        return options;
    };
    for (int i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments.at(i);
        const bool hasValue = i + 1 < arguments.size();
        if (argument == QLatin1String("--help") || argument == QLatin1String("-h")) {
            options.help = true;
        } else if (argument == QLatin1String("--port")) {
            if (!hasValue) {
                return fail(QStringLiteral("--port needs a port name such as COM3"));
            }
            const QString name = arguments.at(++i);
            options.port = portNumber(name);
            if (options.port == 0) {
                return fail(QStringLiteral("\"%1\" is not a port name (COM1 to COM255)").arg(name));
            }
        } else if (argument == QLatin1String("--tour")) {
            if (!hasValue) {
                return fail(QStringLiteral("--tour needs a number of seconds"));
            }
            const QString text = arguments.at(++i);
            bool ok = false;
            options.tourSeconds = text.toInt(&ok);
            if (!ok || options.tourSeconds < 1 || options.tourSeconds > LongestTourSeconds) {
                return fail(QStringLiteral("\"%1\" is not a number of seconds (1 to %2) for --tour")
                                .arg(text)
                                .arg(LongestTourSeconds));
            }
        } else if (argument == QLatin1String("--screenshot") ||
                   argument == QLatin1String("--home-screenshot")) {
            if (!hasValue || arguments.at(i + 1).isEmpty()) {
                return fail(QStringLiteral("%1 needs a file name").arg(argument));
            }
            (argument == QLatin1String("--screenshot") ? options.screenshot
                                                       : options.homeScreenshot) =
                arguments.at(++i);
        } else {
            return fail(QStringLiteral("unknown option \"%1\"").arg(argument));
        }
    }
    if ((!options.screenshot.isEmpty() || !options.homeScreenshot.isEmpty()) &&
        options.tourSeconds == 0) {
        return fail(QStringLiteral("screenshots are taken during a --tour"));
    }
    return options;
}

QString ProgramOptions::Usage() {
    return QStringLiteral(
        "usage: zex-toolkit [--port COMn]\n"
        "                   [--tour SECONDS [--screenshot FILE] [--home-screenshot FILE]]\n"
        "  --port COMn        preselect this serial port on the Home page (the stored\n"
        "                     choice is kept until you connect)\n"
        "  --tour SECONDS     connect to the module on the port (station and baud rate as\n"
        "                     stored), show the Information page for SECONDS, printing the\n"
        "                     module's display once a second, then end; the stored\n"
        "                     settings are left as they are. Exit status 0 when the module\n"
        "                     answered throughout, 1 otherwise (the reason is printed)\n"
        "  --screenshot FILE  with --tour: save a picture of the window (PNG) at the end\n"
        "  --home-screenshot FILE\n"
        "                     with --tour: save a picture of the Home page before the\n"
        "                     tour connects\n"
        "Without a display run it as: QT_QPA_PLATFORM=offscreen zex-toolkit --tour ...\n");
}

QString ProgramOptions::LocaleDecimalSeparator(const QLocale& locale) {
    const QString one = locale.toString(1.0, 'f', 1);
    return one.size() >= 2 ? one.mid(1, 1) : QStringLiteral(".");
}
