#include "serial/ZarnbusNumbers.h"
#include "sim/SimulatedModule.h"
#include "support/SimulatedLink.h"
#include "util/MonotonicClock.h"

#include <QSet>
#include <QTest>
#include <cmath>

namespace N = ZarnbusNumber;
using Outcome = SimulatedModule::Outcome;

namespace {

float readOf(SimulatedModule& module, int number) {
    const SimulatedModule::Reply reply = module.read(number);
    if (reply.outcome != Outcome::Value) {
        qFatal("parameter %d was refused", number);
    }
    return reply.value;
}

bool writeOf(SimulatedModule& module, int number, double value) {
    return module.write(number, value).outcome == Outcome::Acknowledged;
}

// A value written the way the pages write computed factors: as text with seven decimals.
double sevenDecimals(double value) {
    return QString::number(value, 'f', 7).toFloat();
}

// The text the serial driver makes of REM1-REM4.
QString displayFromRegisters(SimulatedModule& module) {
    QString text;
    for (int r = 0; r < 4; ++r) {
        const int word = int(readOf(module, N::REM1 + r));
        text.append(QChar(word >> 8));
        if (r < 3) {
            text.append(QChar(word & 0xFF));
        }
    }
    return text.remove(QChar(0));
}

// The calibration wizard's arithmetic, step by step, on single floats.
struct CalibrationWizard {
    SimulatedModule& module;
    float lowLoad = 0, highLoad = 0, lowMvV = 0, highMvV = 0;

    void reset() {
        for (int number : {N::LINP, N::OFFS, N::POZ, N::SYSZERO, N::RESOL}) {
            QVERIFY(writeOf(module, number, 0.0));
        }
        QVERIFY(writeOf(module, N::Gain, 1.0));
    }
    void captureLow(float load) {
        module.setAppliedLoad(load);
        lowLoad = load;
        lowMvV = readOf(module, N::MVV);
    }
    void captureHigh(float load) {
        module.setAppliedLoad(load);
        highLoad = load;
        highMvV = readOf(module, N::MVV);
        const float gain = (lowLoad - highLoad) / (lowMvV - highMvV);
        const float offset = gain * lowMvV - lowLoad;
        for (const auto& [number, value] : {std::pair{N::Gain, gain},
                                            {N::OFFS, offset},
                                            {N::CMVVLO, lowMvV},
                                            {N::CMVVHI, highMvV},
                                            {N::CENGLO, lowLoad},
                                            {N::CENGHI, highLoad}}) {
            QVERIFY(writeOf(module, number, value));
        }
    }
    void linearise(int k, float load) {
        if (k == 1) {
            QVERIFY(writeOf(module, N::LINX1, lowMvV));
            QVERIFY(writeOf(module, N::LINK1, 0));
        }
        module.setAppliedLoad(load);
        const float slope = (highMvV - lowMvV) / (highLoad - lowLoad);
        const float expected = lowMvV + (load - lowLoad) * slope;
        const float measured = readOf(module, N::UMVV);
        const float correction = (expected - measured) * 1000.0f;
        QVERIFY(writeOf(module, N::LINX1 + k, measured));
        QVERIFY(writeOf(module, N::LINK1 + k, correction));
        QVERIFY(writeOf(module, N::LINX1 + k + 1, highMvV));
        QVERIFY(writeOf(module, N::LINK1 + k + 1, 0));
        QVERIFY(writeOf(module, N::LINP, k + 2));
    }
};

} // namespace

class TestSimulatedModule : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void calibrationWizardMakesTheDisplayReadTheLoads() {
        ManualClock clock;
        SimulatedModule module(ModuleConfig(), clock);
        CalibrationWizard wizard{module};
        wizard.reset();
        wizard.captureLow(0.0f);
        wizard.captureHigh(20.0f);

        // Two points alone leave the load cell's bow in the middle of the range.
        module.setAppliedLoad(10.0);
        QVERIFY(std::abs(readOf(module, N::GROSS) - 10.0f) > 0.02f);

        const QList<float> points = {4.0f, 8.0f, 12.0f, 16.0f};
        for (int k = 1; k <= points.size(); ++k) {
            wizard.linearise(k, points[k - 1]);
        }
        QCOMPARE(readOf(module, N::LINP), 6.0f);
        for (float load : {0.0f, 4.0f, 8.0f, 12.0f, 16.0f, 20.0f}) {
            module.setAppliedLoad(load);
            QVERIFY2(std::abs(readOf(module, N::GROSS) - load) < 0.001f,
                     qPrintable(QString::number(load)));
            QCOMPARE(displayFromRegisters(module), QString::number(load, 'f', 3));
        }
        // Between the points the interpolated correction keeps the error small.
        module.setAppliedLoad(10.0);
        QVERIFY(std::abs(readOf(module, N::GROSS) - 10.0f) < 0.005f);
    }

    void moduleCalibratesItselfWithCalibrationCommands() {
        ManualClock clock;
        SimulatedModule module(ModuleConfig(), clock);
        QVERIFY(writeOf(module, N::CENGLO, 1.0));
        QVERIFY(writeOf(module, N::CENGHI, 21.0));
        const float count = readOf(module, N::CALCNT);
        module.setAppliedLoad(1.0);
        QCOMPARE(module.command(N::DOCALLO).outcome, Outcome::Acknowledged);
        QCOMPARE(module.command(N::DOCALHI).outcome, Outcome::Refused); // no span
        module.setAppliedLoad(21.0);
        QCOMPARE(module.command(N::DOCALHI).outcome, Outcome::Acknowledged);
        QVERIFY(std::abs(readOf(module, N::GROSS) - 21.0f) < 0.001f);
        module.setAppliedLoad(1.0);
        QVERIFY(std::abs(readOf(module, N::GROSS) - 1.0f) < 0.001f);
        QCOMPARE(readOf(module, N::CALCNT), count + 1);
    }

    void factoryStepsMakeUnlinearisedSignalReadTheCalibrator_data() {
        QTest::addColumn<double>("previousGain");
        QTest::addColumn<double>("previousOffset");
        QTest::newRow("a module straight off the line") << 1.0 << 0.0;
        QTest::newRow("a module with wrong factory values") << 1.7 << -0.3;
    }
    void factoryStepsMakeUnlinearisedSignalReadTheCalibrator() {
        QFETCH(double, previousGain);
        QFETCH(double, previousOffset);
        ManualClock clock;
        SimulatedModule module(ModuleConfig(), clock);
        QVERIFY(writeOf(module, N::FGAIN, previousGain));
        QVERIFY(writeOf(module, N::FOFFS, previousOffset));

        module.setAppliedSignal(-2.5);
        const float reading1 = readOf(module, N::RMVV);
        module.setAppliedSignal(2.5);
        const float reading2 = readOf(module, N::RMVV);
        QVERIFY(reading2 - reading1 != 5.0f); // the input stage has its own gain
        const double gain = 5.0 / double(reading2 - reading1);
        const double offset = gain * reading1 + 2.5;
        QVERIFY(writeOf(module, N::FGAIN, sevenDecimals(gain)));
        QVERIFY(writeOf(module, N::FOFFS, sevenDecimals(offset)));

        for (double signal : {-2.5, 0.0, 1.25, 2.5}) {
            module.setAppliedSignal(signal);
            QVERIFY2(std::abs(readOf(module, N::UMVV) - signal) < 2e-5,
                     qPrintable(QString::number(signal)));
        }
    }

    void batteryCalibrationMakesTheReadingMatchTheMeter_data() {
        QTest::addColumn<int>("supply");
        QTest::addColumn<double>("volts");
        QTest::addColumn<bool>("byReset"); // the new factor taken up at RST, else at power-up
        QTest::newRow("3 V input, taken up at RST") << 3 << 2.87 << true;
        QTest::newRow("9 V input, taken up at power-up") << 9 << 8.62 << false;
    }
    void batteryCalibrationMakesTheReadingMatchTheMeter() {
        QFETCH(int, supply);
        QFETCH(double, volts);
        QFETCH(bool, byReset);
        ManualClock clock;
        ModuleConfig config;
        config.supplyVolts = supply;
        SimulatedModule module(config, clock);
        module.setSupplyVoltage(volts);
        const int used = supply == 3 ? N::FGB3 : N::FGB9;
        const int other = supply == 3 ? N::FGB9 : N::FGB3;
        const float otherBefore = readOf(module, other);

        QVERIFY(writeOf(module, used, 1.0));
        QCOMPARE(module.command(N::RST).outcome, Outcome::Acknowledged);
        clock.advance(SimulatedModule::StartUpMs);
        const float raw = readOf(module, N::BATTV);
        QVERIFY(std::abs(raw - volts) > 0.05);
        const double factor = sevenDecimals(volts / raw);
        QVERIFY(writeOf(module, used, factor));
        QCOMPARE(readOf(module, used), float(factor)); // kept at once ...
        QCOMPARE(readOf(module, N::BATTV), raw);       // ... used from the next start
        if (byReset) {
            QCOMPARE(module.command(N::RST).outcome, Outcome::Acknowledged);
        } else {
            module.powerCycle();
        }
        clock.advance(SimulatedModule::StartUpMs);
        QVERIFY(std::abs(readOf(module, N::BATTV) - volts) < 1e-4);
        QCOMPARE(readOf(module, other), otherBefore);

        QCOMPARE(int(readOf(module, N::Status)) & 4, 0);
        module.setSupplyVoltage(supply == 3 ? 2.2 : 6.5);
        QCOMPARE(int(readOf(module, N::Status)) & 4, 4);
    }

    void overloadIsAPercentageOfTheCalibratedLoadFromFirmware4_data() {
        QTest::addColumn<double>("firmware");
        QTest::addColumn<int>("percent"); // written to OVERLOAD; 0: not written
        QTest::addColumn<double>("load");
        QTest::addColumn<bool>("overload");
        // Calibrated at the cell's capacity, 25 t.
        QTest::newRow("firmware 3.5: not at 24.5 t") << 3.5 << 0 << 24.5 << false;
        QTest::newRow("firmware 3.5: at 25.5 t, above 100 %") << 3.5 << 0 << 25.5 << true;
        QTest::newRow("firmware 4.0 at 110 %: not at 27 t") << 4.0 << 110 << 27.0 << false;
        QTest::newRow("firmware 4.0 at 110 %: at 28 t") << 4.0 << 110 << 28.0 << true;
        QTest::newRow("firmware 4.0 at 90 %: at 23 t") << 4.0 << 90 << 23.0 << true;
        QTest::newRow("firmware 4.0 at 90 %: not at 22 t") << 4.0 << 90 << 22.0 << false;
    }
    void overloadIsAPercentageOfTheCalibratedLoadFromFirmware4() {
        QFETCH(double, firmware);
        QFETCH(int, percent);
        QFETCH(double, load);
        QFETCH(bool, overload);
        ManualClock clock;
        SimulatedModule module(ModuleAt(1, firmware), clock);
        if (percent > 0) {
            QVERIFY(writeOf(module, N::OVERLOAD, percent));
        }
        module.setAppliedLoad(load);
        QCOMPARE(int(readOf(module, N::Status)) & 8, overload ? 8 : 0);
        QCOMPARE(readOf(module, N::OVRLOD), overload ? 1.0f : 0.0f);
    }

    void holdShowsThePeakOfTheChosenMode_data() {
        QTest::addColumn<int>("peakMode");
        QTest::addColumn<double>("peakAtHold"); // PEAKG just after hold goes on
        QTest::addColumn<double>("peakLater");  // after a further rise to 8 t and a fall
        QTest::newRow("standard restarts the peak when hold goes on") << 0 << 5.0 << 8.0;
        QTest::newRow("continuous keeps the peak since power-on") << 1 << 20.0 << 20.0;
    }
    void holdShowsThePeakOfTheChosenMode() {
        QFETCH(int, peakMode);
        QFETCH(double, peakAtHold);
        QFETCH(double, peakLater);
        ManualClock clock;
        SimulatedModule module(ModuleConfig(), clock);
        QVERIFY(writeOf(module, N::PeakMode, peakMode));
        module.setAppliedLoad(20.0);
        module.setAppliedLoad(5.0);
        QCOMPARE(module.command(N::DOKEYHLD).outcome, Outcome::Acknowledged);
        QVERIFY2(std::abs(readOf(module, N::PEAKG) - peakAtHold) < 0.1,
                 qPrintable(QString::number(readOf(module, N::PEAKG))));
        module.setAppliedLoad(8.0);
        module.setAppliedLoad(6.0);
        QVERIFY2(std::abs(readOf(module, N::PEAKG) - peakLater) < 0.1,
                 qPrintable(QString::number(readOf(module, N::PEAKG))));
        QVERIFY(std::abs(readOf(module, N::VALUE) - peakLater) < 0.1); // what the display holds
    }

    void noiseAndASettlingLoadAreReadAsTheInputIs() {
        ManualClock clock;
        SimulatedModule module(ModuleConfig(), clock);
        QVERIFY(writeOf(module, N::Damp, 254)); // no filter: the input as it is
        const float unloaded = readOf(module, N::MVV);
        module.setAppliedLoad(10.0);
        const float settled = readOf(module, N::MVV);
        QCOMPARE(readOf(module, N::MVV), settled); // no noise unless asked for
        module.setNoise(0.002);
        QSet<float> readings;
        for (int i = 0; i < 20; ++i) {
            const float reading = readOf(module, N::MVV);
            // The input stage and factory calibration cancel out: ±0.002 mV/V as applied.
            QVERIFY2(std::abs(reading - settled) <= 0.0021f, qPrintable(QString::number(reading)));
            readings.insert(reading);
        }
        QVERIFY(readings.size() > 15);
        module.setNoise(0.0);
        QCOMPARE(readOf(module, N::MVV), settled);
        module.setAppliedLoad(0.0);
        QCOMPARE(readOf(module, N::MVV), unloaded);

        module.setSettleMs(2000);
        module.setAppliedLoad(10.0);
        QCOMPARE(readOf(module, N::MVV), unloaded); // nothing has arrived yet
        clock.advance(500);
        // The technician presses Set a quarter of the way: that is what the module takes.
        QCOMPARE(module.command(N::DOCALLO).outcome, Outcome::Acknowledged);
        const float quarter = unloaded + (settled - unloaded) / 4;
        QVERIFY2(std::abs(readOf(module, N::CMVVLO) - quarter) < 1e-4f,
                 qPrintable(QString::number(readOf(module, N::CMVVLO))));
        clock.advance(1500);
        QCOMPARE(readOf(module, N::MVV), settled);
        // A change under way goes on from where the input is.
        module.setAppliedLoad(0.0);
        clock.advance(1000);
        QVERIFY(std::abs(readOf(module, N::MVV) - (settled + unloaded) / 2) < 1e-4f);
    }

    void requestsAModuleCannotServeAreRefused_data() {
        QTest::addColumn<double>("firmware");
        QTest::addColumn<int>("number");
        QTest::addColumn<bool>("isWrite");
        QTest::addColumn<double>("value");
        QTest::addColumn<bool>("refused");
        const auto read = [](const char* name, double firmware, int number, bool refused) {
            QTest::newRow(name) << firmware << number << false << 0.0 << refused;
        };
        const auto write = [](const char* name, int number, double value, bool refused) {
            QTest::newRow(name) << 4.1 << number << true << value << refused;
        };
        read("firmware 3.0 reads its battery", 3.0, N::BATTV, false);
        read("firmware 2.99 has no serial number", 2.99, N::SERL, true);
        read("firmware 3.5 has no overload level", 3.5, N::OVERLOAD, true);
        read("firmware 4.0 has the overload level", 4.0, N::OVERLOAD, false);
        read("firmware 4.0 has no peak hold mode", 4.0, N::PeakMode, true);
        read("firmware 4.1 has the peak hold mode", 4.1, N::PeakMode, false);
        read("firmware 1.05 has no system zero", 1.05, N::SYSZERO, true);
        read("firmware 1.08 has system zero", 1.08, N::SYSZERO, false);
        read("the remote key cannot be read", 4.1, N::REMK, true);
        read("number 29 is no parameter", 4.1, 29, true);
        write("gross cannot be written", N::GROSS, 1.0, true);
        write("a command number is not written", N::DOKEYTAR, 1.0, true);
        write("decimal point 7 does not exist", N::DP, 7.0, true);
        write("station 0 is the broadcast address", N::STAT, 0.0, true);
        write("station 254 is taken", N::STAT, 254.0, false);
        write("not a number is refused", N::Gain, double(NAN), true);
    }
    void requestsAModuleCannotServeAreRefused() {
        QFETCH(double, firmware);
        QFETCH(int, number);
        QFETCH(bool, isWrite);
        QFETCH(double, value);
        QFETCH(bool, refused);
        ManualClock clock;
        SimulatedModule module(ModuleAt(1, firmware), clock);
        const SimulatedModule::Reply reply =
            isWrite ? module.write(number, value) : module.read(number);
        QCOMPARE(reply.outcome == Outcome::Refused, refused);
    }

    void keysChangeTheStatusWordAndPowerIt() {
        ManualClock clock;
        SimulatedModule module(ModuleConfig(), clock);
        module.setAppliedLoad(5.0);
        const int tonnesWithThreePlaces = 64 + 3 * 256;
        QCOMPARE(int(readOf(module, N::Status)), tonnesWithThreePlaces);

        QCOMPARE(module.command(N::DOKEYTAR).outcome, Outcome::Acknowledged);
        QCOMPARE(int(readOf(module, N::Status)), tonnesWithThreePlaces + 1);
        QCOMPARE(readOf(module, N::TARE), readOf(module, N::GROSS));
        QCOMPARE(readOf(module, N::VALUE), 0.0f);
        module.setAppliedLoad(7.0);
        QVERIFY(std::abs(readOf(module, N::NET) - 2.0f) < 0.01f);

        QCOMPARE(module.command(N::DOKEYHLD).outcome, Outcome::Acknowledged);
        module.setAppliedLoad(9.0);
        module.setAppliedLoad(6.0);
        QCOMPARE(int(readOf(module, N::Status)) & 3, 3);
        QVERIFY2(std::abs(readOf(module, N::VALUE) - 4.0f) < 0.05f, // the net peak is held
                 qPrintable(QString::number(readOf(module, N::VALUE))));
        QVERIFY(std::abs(readOf(module, N::PEAKG) - 9.0f) < 0.05f);

        QVERIFY(writeOf(module, N::REMK, 3)); // the units key, remotely
        QCOMPARE(int(readOf(module, N::Status)) & 240, 128);
        QCOMPARE(module.command(N::DOKEYUNI).outcome, Outcome::Acknowledged);
        QCOMPARE(int(readOf(module, N::Status)) & 240, 16);

        QVERIFY(writeOf(module, N::DP, 6));
        QCOMPARE((int(readOf(module, N::Status)) >> 8) & 7, 0);

        QCOMPARE(module.command(N::DOKEYPWR).outcome, Outcome::Acknowledged);
        QVERIFY(!module.isListening());
        module.wake();
        QVERIFY(module.isListening());

        // It switches itself off after the minutes set, counted from the last activity.
        QVERIFY(writeOf(module, N::OFFAUTO, 2));
        clock.advance(90000);
        module.noteActivity();
        clock.advance(100000);
        QVERIFY(module.isAwake());
        clock.advance(20000);
        QVERIFY(!module.isAwake());
        module.wake();
        QVERIFY(module.isListening());
    }

    void displayShowsTheValueInTheChosenUnit_data() {
        QTest::addColumn<double>("load");
        QTest::addColumn<int>("dp");
        QTest::addColumn<int>("resol");
        QTest::addColumn<int>("unitPresses");
        QTest::addColumn<int>("tonType");
        QTest::addColumn<QString>("shown");
        QTest::newRow("tonnes with three places") << 12.5 << 3 << 0 << 0 << 0 << "12.500";
        QTest::newRow("tonnes in steps of five") << 12.5013 << 3 << 2 << 0 << 0 << "12.500";
        QTest::newRow("US tons") << 9.0718474 << 2 << 0 << 0 << 2 << "10.0000";
        QTest::newRow("pounds without places") << 1.0 << 6 << 0 << 1 << 0 << "2205";
        QTest::newRow("kilograms that do not fit six digits")
            << 12.5 << 3 << 0 << 2 << 0 << "------";
        QTest::newRow("a negative reading") << -1.25 << 2 << 0 << 0 << 0 << "-1.2500";
    }
    void displayShowsTheValueInTheChosenUnit() {
        QFETCH(double, load);
        QFETCH(int, dp);
        QFETCH(int, resol);
        QFETCH(int, unitPresses);
        QFETCH(int, tonType);
        QFETCH(QString, shown);
        ManualClock clock;
        SimulatedModule module(ModuleConfig(), clock);
        // Read the load off a straight line so the test does not depend on the cell's bow.
        QVERIFY(writeOf(module, N::Gain, 1.0));
        QVERIFY(writeOf(module, N::OFFS, 0.0));
        QVERIFY(writeOf(module, N::SENS, 100.0));
        QVERIFY(writeOf(module, N::DP, dp));
        QVERIFY(writeOf(module, N::RESOL, resol));
        QVERIFY(writeOf(module, N::TTYPE, tonType));
        for (int i = 0; i < unitPresses; ++i) {
            module.pressKey(SimulatedModule::Key::Units);
        }
        module.setAppliedSignal(load);
        const double umvvOffset = readOf(module, N::MVV) - load;
        module.setAppliedSignal(load - umvvOffset);
        QCOMPARE(module.displayText(), shown);
        QCOMPARE(displayFromRegisters(module), shown);
    }

    void overloadAndOverrangeAreCountedOnEntry() {
        ManualClock clock;
        SimulatedModule module(ModuleConfig(), clock);
        QVERIFY(writeOf(module, N::OVERLOAD, 110));
        for (int i = 0; i < 2; ++i) {
            module.setAppliedLoad(28.0);
            QCOMPARE(int(readOf(module, N::Status)) & 8, 8);
            module.setAppliedLoad(5.0);
        }
        QCOMPARE(readOf(module, N::OVRLOD), 2.0f);

        module.setAppliedSignal(3.5); // beyond the 3 mV/V sensitivity limit
        QCOMPARE(module.displayText(), QStringLiteral("-OL-"));
        module.setAppliedSignal(3.6);
        QCOMPARE(readOf(module, N::OVRRNG), 1.0f);
        QVERIFY(writeOf(module, N::OVRRNG, 0));
        QCOMPARE(readOf(module, N::OVRRNG), 0.0f);

        // A load no cell could carry overflows the signal; taken off again, all is as before.
        module.setAppliedLoad(1e308);
        QCOMPARE(module.displayText(), QStringLiteral("-OL-"));
        module.setAppliedLoad(5.0);
        QVERIFY(std::abs(readOf(module, N::GROSS) - 5.0f) < 0.1f);
    }

    // Station and baud rate wait for the next start; a power-on zero takes a small load as zero.
    void aRestartTakesUpTheStationBaudAndPowerOnZero() {
        ManualClock clock;
        SimulatedModule module(ModuleConfig(), clock);
        QVERIFY(writeOf(module, N::STAT, 12));
        QVERIFY(writeOf(module, N::BAUD, 0));
        QCOMPARE(module.station(), 1);
        QCOMPARE(module.baudRate(), 19200);
        QVERIFY(writeOf(module, N::POZ, 0.5));
        module.setAppliedLoad(0.3);
        module.pressKey(SimulatedModule::Key::Tare);
        module.powerCycle();
        QCOMPARE(module.station(), 12);
        QCOMPARE(module.baudRate(), 9600);
        QVERIFY(!module.isListening()); // still starting up
        clock.advance(SimulatedModule::StartUpMs);
        QVERIFY(module.isListening());
        QVERIFY(std::abs(readOf(module, N::GROSS)) < 1e-4f);
        QCOMPARE(int(readOf(module, N::Status)) & 1, 0);
        module.setAppliedLoad(0.9);
        module.powerCycle();
        QVERIFY(readOf(module, N::GROSS) > 0.8f); // outside the band: no zeroing
    }

    void filterSmoothsSmallChangesOnly() {
        ManualClock clock;
        SimulatedModule module(ModuleConfig(), clock);
        QVERIFY(writeOf(module, N::Damp, 0));     // slowest filter
        QVERIFY(writeOf(module, N::THRESH, 0.1)); // mV/V; 1.25 t at 12.5 t per mV/V
        module.setAppliedLoad(10.0);
        const float start = readOf(module, N::GROSS);
        module.setAppliedLoad(10.5);
        QCOMPARE(readOf(module, N::GROSS), start);
        clock.advance(2540); // one time constant
        const float after = readOf(module, N::GROSS) - start;
        QVERIFY(after > 0.3f && after < 0.33f);
        module.setAppliedLoad(20.0); // a step beyond the threshold bypasses the filter
        QVERIFY(readOf(module, N::GROSS) > 19.9f);
    }

    void parametersAreReachableByName() {
        ManualClock clock;
        SimulatedModule module(ModuleConfig(), clock);
        QCOMPARE(module.writeByName("damp", 17).outcome, Outcome::Acknowledged);
        QCOMPARE(readOf(module, N::Damp), 17.0f);
        QCOMPARE(module.readByName("VERS").value, 4.1f);
        QCOMPARE(module.commandByName("dokeytar").outcome, Outcome::Acknowledged);
        QCOMPARE(int(module.readByName("status").value) & 1, 1);
        QCOMPARE(module.readByName("nonsense").outcome, Outcome::Refused);
    }
};

QTEST_GUILESS_MAIN(TestSimulatedModule)
#include "tst_simulatedmodule.moc"
