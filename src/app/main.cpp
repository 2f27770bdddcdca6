// zex-toolkit: the program's window. Everything it does lives in the libraries; this file only
// reads the command line, measures the locale and starts the main window (and, for --tour, the
// tour that drives it).
#include "app/ProgramOptions.h"
#include "app/ProgramTour.h"
#include "shell/MainFrm.h"
#include "util/ApplicationState.h"
#include "util/ZexVersion.h"

#include <QApplication>
#include <QLocale>
#include <QTemporaryDir>
#include <QTextStream>
#include <memory>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("ZEX Toolkit"));
    QApplication::setApplicationVersion(QLatin1String(ZexVersion::Text));
    // The desktop entry the package installs: desktops take the window's icon and name from it.
    QGuiApplication::setDesktopFileName(QStringLiteral("zex-toolkit"));
    QTextStream out(stdout);
    QTextStream err(stderr);

    const ProgramOptions options = ProgramOptions::Parse(app.arguments());
    if (!options.error.isEmpty()) {
        err << "zex-toolkit: " << options.error << "\n" << ProgramOptions::Usage();
        return 2;
    }
    if (options.help) {
        out << ProgramOptions::Usage();
        return 0;
    }
    // Fields take the separator when they are made, so it is known before any control exists.
    AppState().DecimalSeparator = ProgramOptions::LocaleDecimalSeparator(QLocale());

    ProgramEnvironment environment = ProgramEnvironment::System();
    environment.preselectedPort = options.port;
    std::unique_ptr<QTemporaryDir> tourSettings;
    if (options.tourSeconds > 0) {
        tourSettings = std::make_unique<QTemporaryDir>();
        if (!tourSettings->isValid()) {
            err << "zex-toolkit: no temporary folder for the tour's settings: "
                << tourSettings->errorString() << "\n";
            return 1;
        }
        ProgramTour::IsolateSettings(environment, tourSettings->path(), err);
    }
    MainFrm window(environment);
    if (!window.Load()) {
        return 1;
    }
    window.show();
    if (options.tourSeconds == 0) {
        return QApplication::exec();
    }
    int tourResult = 1;
    ProgramTour::Plan plan;
    plan.seconds = options.tourSeconds;
    plan.screenshot = options.screenshot;
    plan.homeScreenshot = options.homeScreenshot;
    auto* tour = new ProgramTour(window, plan, out, err);
    // Queued: the tour ends from inside the window's own signals (a refresh shown, a connect
    // finished), and the window must not be closed under the code that emitted them.
    QObject::connect(
        tour, &ProgramTour::finished, &window,
        [&window, &tourResult](int code) {
            tourResult = code;
            window.close();
            QCoreApplication::quit();
        },
        Qt::QueuedConnection);
    tour->start();
    QApplication::exec();
    return tourResult;
}
