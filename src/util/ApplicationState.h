#pragma once

#include <QString>
#include <QtGlobal>

// The program-wide state that every part of the tool may read. The main window fills it at
// start-up; tools without a window (zexctl, tests) fill what they need.
struct ApplicationState {
    QString UserDataFolder;         // documents folder + "ZEX Toolkit/", ends with a separator
    QString ConfigFile;             // full path of Config.ini
    QString DecimalSeparator = "."; // the locale's, one character; files always use "."
    double TwipsPerPixel = 15.0;    // one screen pixel in twips; 7.5 on a double-density screen
    bool FactoryMode = false;
    bool Closing = false;
    QString StatusText;
};

ApplicationState& AppState();
