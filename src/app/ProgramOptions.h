#pragma once

#include <QLocale>
#include <QString>
#include <QStringList>

// zex-toolkit's command line.
struct ProgramOptions {
    int port = 0; // --port COMn: preselected on the Home page (the stored choice is kept)
    // --tour SECONDS: connect on the preselected port, show the Information page for this long,
    // printing the display once a second, then end (ProgramTour). 0: the normal program.
    int tourSeconds = 0;
    QString screenshot;     // --screenshot FILE: the window at the end of the tour
    QString homeScreenshot; // --home-screenshot FILE: the Home page before the tour connects
    bool help = false;
    QString error;

    static constexpr int LongestTourSeconds = 3600;

    static ProgramOptions Parse(const QStringList& arguments);
    static QString Usage();
    // The second character of the number 1 formatted "0.0" in the locale.
    static QString LocaleDecimalSeparator(const QLocale& locale);
};
