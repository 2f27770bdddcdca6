// Figures for configuration files: what a full save and restore cost in the program itself
// (a module that answers at once), with the file written at each progress step against every
// value being its own atomic file write.
#include "store/ConfigurationFileModule.h"
#include "store/IniFile.h"
#include "store/IniModule.h"
#include "support/ScriptedZex.h"

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
    return 0;
}
