#pragma once

#include "sim/SimulatedModule.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// zex-sim's command line: the modules on the bus and how the line behaves.
struct SimOptions {
    QList<ModuleConfig> modules;
    bool timing = true;
    qint64 turnaroundUs = 2000;
    int portNumber = 0; // 0: the lowest free number of the simulator range
    std::optional<quint32> seed;
    bool helpWanted = false;

    // Reads the arguments (without the program name). On a mistake returns nullopt with the
    // reason, naming the option, in *error.
    static std::optional<SimOptions> Parse(const QStringList& arguments, QString* error);
    static QString HelpText();
};
