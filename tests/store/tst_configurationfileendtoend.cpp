#include "sim/SimParameterTable.h"
#include "store/ConfigurationFileLayout.h"
#include "store/ConfigurationFileModule.h"
#include "support/ScratchFiles.h"
#include "support/SimulatedLink.h"

#include <QTemporaryDir>
#include <QTest>

using namespace ConfigurationFileModule;

namespace {

// A configuration unlike the factory one in every value a restore carries, and in FGAIN.
void Configure(SimulatedModule& module, double firmware) {
    const QList<QPair<const char*, double>> values{
        {"SYSZERO", 0.05}, {"ALARM", 85},    {"TTYPE", 1},    {"DP", 2},        {"ZERO", 0.5},
        {"Damp", 100},     {"THRESH", 0.02}, {"RESOL", 1},    {"OFFAUTO", 30},  {"SENS", 2.5},
        {"POZ", 0.2},      {"Gain", 12.25},  {"OFFS", 0.375}, {"CMVVLO", 0.03}, {"CMVVHI", 1.9},
        {"CENGLO", 0.5},   {"CENGHI", 20},   {"CALCNT", 3},   {"STAT", 7},      {"LINP", 3},
        {"LINX1", 0.5},    {"LINX2", 1.0},   {"LINX3", 1.5},  {"LINX4", 1.6},   {"LINX5", 1.7},
        {"LINX6", 1.8},    {"LINK1", 1},     {"LINK2", 2},    {"LINK3", -1},    {"LINK4", 0.5},
        {"LINK5", 0.25},   {"LINK6", 0.125}, {"BAUD", 0},     {"SLAVE", 1},     {"OVRLOD", 4},
        {"OVRRNG", 2},     {"FGAIN", 1.01},  {"PTARE", 0.3},  {"OVERLOAD", 120}};
    for (const auto& [name, value] : values) {
        const SimParameterTable::Entry* entry = SimParameterTable::FindByName(name);
        if (SimParameterTable::FirmwareHundredths(firmware) >= entry->sinceFirmware) {
            QVERIFY2(module.writeByName(QLatin1String(name), value).outcome ==
                         SimulatedModule::Outcome::Acknowledged,
                     name);
        }
    }
}

float ValueOf(SimulatedLink& line, int index, const QString& name) {
    const int number = SimParameterTable::FindByName(name)->number;
    return line.withBus([&](SimulatedBus& bus) { return bus.module(index).read(number).value; });
}

} // namespace

class TestConfigurationFileEndToEnd : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

private Q_SLOTS:
    // The simulated module refuses what its firmware lacks, so a clean save proves the key set
    // fits the firmware; the clone gets every restorable value and keeps its own factory gain.
    void aCloneCarriesTheConfiguration_data() {
        QTest::addColumn<double>("sourceFirmware");
        QTest::addColumn<double>("targetFirmware");
        QTest::addColumn<QStringList>("absent");
        QTest::newRow("firmware 2.5 has no 3.0 keys and no OVERLOAD")
            << 2.5 << 2.5
            << QStringList{"ReadOnly/SERIALNUMBER", "ReadWrite/PTARE", "Factory/FGB3",
                           "Dynamic/BATTV", "Dynamic/OVERLOAD"};
        QTest::newRow("firmware 4.1 has them all") << 4.1 << 4.1 << QStringList();
        QTest::newRow("a firmware 4.1 file onto a firmware 2.5 module")
            << 4.1 << 2.5 << QStringList();
    }
    void aCloneCarriesTheConfiguration() {
        QFETCH(double, sourceFirmware);
        QFETCH(double, targetFirmware);
        QFETCH(QStringList, absent);
        SimulatedLink line({ModuleAt(1, sourceFirmware, 1000001), ModuleAt(2, targetFirmware, 42)});
        QVERIFY2(line.isReady(), qPrintable(line.failure()));
        line.withBus([&](SimulatedBus& bus) { Configure(bus.module(0), sourceFirmware); });
        const QString path = m_dir.filePath(QStringLiteral("clone.zcf"));
        QFile::remove(path);

        Options options;
        options.firmwareVersion = line.device(1).VERS().toSingle();
        const SaveResult saved = SaveZEX(line.device(1), path, options);
        QCOMPARE(saved.errorText, QString());
        QVERIFY(saved.clean());
        const QStringList keys = IniKeys(path);
        for (const QString& key : absent) {
            QVERIFY2(!keys.contains(key), qPrintable(key));
        }
        QVERIFY(keys.contains("Factory/FGAIN"));

        options.firmwareVersion = line.device(2).VERS().toSingle();
        const auto steps = ConfigurationFileLayout::RestoreSteps(options.firmwareVersion, false);
        for (const auto& step : steps) {
            QVERIFY2(step.isProgress() || ValueOf(line, 1, step.key) != ValueOf(line, 0, step.key),
                     qPrintable(step.key + " is the same before the restore"));
        }
        const RestoreResult restored = RestoreZEX(line.device(2), path, options);
        QCOMPARE(restored.errorText, QString());
        int compared = 0;
        for (const auto& step : steps) {
            if (!step.isProgress()) {
                QVERIFY2(ValueOf(line, 1, step.key) == ValueOf(line, 0, step.key),
                         qPrintable(step.key));
                ++compared;
            }
        }
        QCOMPARE(restored.valuesWritten, compared);
        QVERIFY(ValueOf(line, 1, "FGAIN") != ValueOf(line, 0, "FGAIN"));
    }
};

QTEST_GUILESS_MAIN(TestConfigurationFileEndToEnd)
#include "tst_configurationfileendtoend.moc"
