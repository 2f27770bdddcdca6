// zex-toolkit: the program's window. Everything it does lives in the libraries; this file only
// reads the command line, measures the locale and starts the main window.
#include "app/ProgramOptions.h"
#include "shell/MainFrm.h"
#include "util/ApplicationState.h"
#include "util/ZexVersion.h"

#include <QApplication>
#include <QLocale>
#include <QTextStream>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("ZEX Toolkit"));
    QApplication::setApplicationVersion(QLatin1String(ZexVersion::Text));

    const ProgramOptions options = ProgramOptions::Parse(app.arguments());
    if (!options.error.isEmpty()) {
        QTextStream(stderr) << "zex-toolkit: " << options.error << "\n" << ProgramOptions::Usage();
        return 2;
    }
    if (options.help) {
        QTextStream(stdout) << ProgramOptions::Usage();
        return 0;
    }
    // Fields take the separator when they are made, so it is known before any control exists.
    AppState().DecimalSeparator = ProgramOptions::LocaleDecimalSeparator(QLocale());

    ProgramEnvironment environment = ProgramEnvironment::System();
    environment.preselectedPort = options.port;
    MainFrm window(environment);
    if (!window.Load()) {
        return 1;
    }
    window.show();
    return QApplication::exec();
}
