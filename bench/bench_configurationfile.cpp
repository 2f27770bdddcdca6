// Figures for configuration files: what a full save and restore take against the simulated
// module with the line's real timing, and what they cost in the program itself (a module that
// answers at once), with the file written at each progress step against every value being its
// own atomic file write.
#include "store/ConfigurationFileModule.h"
#include "store/IniFile.h"
#include "store/IniModule.h"
#include "support/ScriptedZex.h"
#include "support/SimulatedLink.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>

namespace {

void FillModule(ScriptedZex& module) {
    for (const char* name :
         {"VERS",   "SERIALNUMBER", "PTARE",   "RMVV",     "UMVV",     "MVV",    "GROSS",
          "NET",    "PEAKG",        "PEAKN",   "TARE",     "FGAIN",    "FOFFS",  "FGB3",
          "FGB9",   "SYSZERO",      "ALARM",   "TTYPE",    "DP",       "ZERO",   "Damp",
          "THRESH", "RESOL",        "OFFAUTO", "SENS",     "POZ",      "OVRLOD", "OVRRNG",
          "Gain",   "OFFS",         "CMVVLO",  "CMVVHI",   "CENGLO",   "CENGHI", "CALCNT",
          "LINP",   "LINX1",        "LINX2",   "LINX3",    "LINX4",    "LINX5",  "LINX6",
          "LINK1",  "LINK2",        "LINK3",   "LINK4",    "LINK5",    "LINK6",  "STAT",
          "BAUD",   "REM1",         "REM2",    "REM3",     "REM4",     "REM5",   "SLAVE",
          "Status", "VALUE",        "NetMode", "HoldMode", "UnitMode", "BATTV",  "OVERLOAD"}) {
        module.values[QLatin1String(name)] = DeviceValue(1.2345678f);
    }
}

// A full save and restore of a firmware 4.1 module over the simulated bus at a baud rate.
void OverTheBus(const QString& folder, int baud) {
    ModuleConfig config;
    config.baudRate = baud;
    SimulatedLink line({config}, true, baud);
    if (!line.isReady()) {
        std::printf("Simulator FAILED: %s\n", qPrintable(line.failure()));
        return;
    }
    const QString path = folder + QStringLiteral("/sim.zcf");
    ConfigurationFileModule::Options options;
    options.firmwareVersion = line.device(1).VERS().toSingle();
    QElapsedTimer timer;
    timer.start();
    const auto saved = ConfigurationFileModule::SaveZEX(line.device(1), path, options);
    const double saveMs = timer.nsecsElapsed() / 1e6;
    timer.restart();
    const auto restored = ConfigurationFileModule::RestoreZEX(line.device(1), path, options);
    const double restoreMs = timer.nsecsElapsed() / 1e6;
    std::printf("Simulated module at %d baud: save %.0f ms (%s), restore %.0f ms of %d values "
                "(%s)\n",
                baud, saveMs, saved.clean() ? "clean" : "ERRORS", restoreMs, restored.valuesWritten,
                restored.clean() ? "clean" : "ERRORS");
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bench.zcf"));
    ScriptedZex module;
    module.isRadio = false;
    FillModule(module);
    ConfigurationFileModule::Options options;
    options.firmwareVersion = 4.1f;

    constexpr int runs = 50;
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < runs; ++i) {
        QFile::remove(path);
        if (!ConfigurationFileModule::SaveZEX(module, path, options).clean()) {
            std::printf("Save FAILED\n");
            return 1;
        }
    }
    const double saveMs = timer.nsecsElapsed() / 1e6 / runs;
    IniFile saved;
    saved.load(path);
    int keys = 0;
    for (const QString& section : saved.sections()) {
        keys += int(saved.keys(section).size());
    }

    // The same keys, each written the way a single settings value is: read, change, rename.
    timer.restart();
    for (int i = 0; i < runs / 5; ++i) {
        const QString single = dir.filePath(QStringLiteral("single.zcf"));
        QFile::remove(single);
        for (const QString& section : saved.sections()) {
            for (const QString& key : saved.keys(section)) {
                IniModule::WriteIniValue(single, section, key, saved.value(section, key));
            }
        }
    }
    const double singleMs = timer.nsecsElapsed() / 1e6 / (runs / 5);

    timer.restart();
    int written = 0;
    for (int i = 0; i < runs; ++i) {
        written = ConfigurationFileModule::RestoreZEX(module, path, options).valuesWritten;
    }
    const double restoreMs = timer.nsecsElapsed() / 1e6 / runs;

    std::printf("Save, module answering at once: %.2f ms for %d keys (6 atomic file writes); "
                "value by value it would be %.2f ms\n",
                saveMs, keys, singleMs);
    std::printf("Restore, module answering at once: %.2f ms for %d values\n", restoreMs, written);
    OverTheBus(dir.path(), 19200);
    OverTheBus(dir.path(), 9600);
    return 0;
}
