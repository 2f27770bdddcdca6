#pragma once

#include <QLocale>
#include <QString>
#include <QStringList>

// zex-toolkit's command line.
struct ProgramOptions {
    int port = 0; // --port COMn: preselected on the Home page (the stored choice is kept)
    bool help = false;
    QString error;

    static ProgramOptions Parse(const QStringList& arguments);
    static QString Usage();
    // The second character of the number 1 formatted "0.0" in the locale.
    static QString LocaleDecimalSeparator(const QLocale& locale);
};
