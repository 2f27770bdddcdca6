// The factory calibrations: the two calculations and their guards, what is written (and what is
// not) against a scripted module, and both calibrations against the simulated module.
#include "calibration/FactoryCalibration.h"
#include "sim/SimulatedBus.h"
#include "sim/SimulatorServer.h"
#include "support/ScriptedZex.h"
#include "support/SimulatedLink.h"
#include "util/MonotonicClock.h"

#include <QTest>
#include <cmath>
#include <limits>

using FactoryCalibration::Outcome;
using FactoryCalibration::SupplyInput;

namespace {

const QString Failed = QStringLiteral("An Error Ocurred - Please retry calibration!");

// Real time, but a restart's wait ends as soon as the simulated module listens again.
class UntilListening : public MonotonicClock {
public:
    explicit UntilListening(SimulatedLink& link)
        : m_link(link) {}
    qint64 nowMs() const override { return m_clock.nowMs(); }
    void waitMs(qint64 ms, bool) override {
        waited += ms;
        // A module that stays silent shows as a failed read after the wait.
        (void)QTest::qWaitFor(
            [this] {
                return m_link.withBus(
                    [](SimulatedBus& bus) { return bus.module(0).isListening(); });
            },
            int(ms));
    }
    qint64 waited = 0;

private:
    SimulatedLink& m_link;
    SteadyClock m_clock;
};

void applySignal(SimulatedLink& link, double mvv) {
    link.withBus([mvv](SimulatedBus& bus) {
        bus.module(0).setAppliedSignal(mvv);
        return 0;
    });
}

} // namespace

class TestFactoryCalibration : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void mvvFactors_data() {
        QTest::addColumn<float>("reading1");
        QTest::addColumn<float>("reading2");
        QTest::addColumn<QString>("gain");
        QTest::addColumn<QString>("offset");
        QTest::newRow("-1.2 and +3.8") << -1.2f << 3.8f << "1.0000000"
                                       << "1.3000000";
        QTest::newRow("-1.0 and +1.5") << -1.0f << 1.5f << "2.0000000"
                                       << "0.5000000";
        QTest::newRow("equal readings are refused") << 0.0f << 0.0f << ""
                                                    << "";
        QTest::newRow("reversed readings are refused") << 2.0f << -2.0f << ""
                                                       << "";
        QTest::newRow("a span too small for a single gain is refused")
            << 0.0f << std::numeric_limits<float>::denorm_min() << ""
            << "";
        QTest::newRow("a reading that is no number is refused")
            << std::numeric_limits<float>::quiet_NaN() << 1.0f << ""
            << "";
    }
    void mvvFactors() {
        QFETCH(float, reading1);
        QFETCH(float, reading2);
        QFETCH(QString, gain);
        QFETCH(QString, offset);
        const auto factors = FactoryCalibration::MvvFactorsFrom(reading1, reading2);
        QCOMPARE(factors.has_value(), !gain.isEmpty());
        if (factors) {
            QCOMPARE(FactoryCalibration::FactorText(factors->gain), gain);
            QCOMPARE(FactoryCalibration::FactorText(factors->offset), offset);
        }
    }

    void batteryFactor_data() {
        QTest::addColumn<double>("measured");
        QTest::addColumn<float>("reading");
        QTest::addColumn<QString>("factor");
        QTest::newRow("9.2 V measured, 9.0 V read") << 9.2 << 9.0f << "1.0222222";
        QTest::newRow("a battery reading of 0 is refused") << 9.2 << 0.0f << "";
        QTest::newRow("a measured 0 V is refused") << 0.0 << 9.0f << "";
        QTest::newRow("a negative measured voltage is refused") << -3.0 << 9.0f << "";
        QTest::newRow("a measured voltage that is no number is refused")
            << std::numeric_limits<double>::quiet_NaN() << 9.0f << "";
        QTest::newRow("a factor beyond a single float is refused") << 1e30 << 1e-30f << "";
    }
    void batteryFactor() {
        QFETCH(double, measured);
        QFETCH(float, reading);
        QFETCH(QString, factor);
        const auto result = FactoryCalibration::BatteryFactor(measured, reading);
        QCOMPARE(result.has_value(), !factor.isEmpty());
        if (result) {
            QCOMPARE(FactoryCalibration::FactorText(*result), factor);
        }
    }

    void measuredVoltsUseTheUsersSeparator_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("separator");
        QTest::addColumn<double>("volts"); // -1: no number
        QTest::newRow("9,2 with a decimal comma") << "9,2"
                                                  << "," << 9.2;
        QTest::newRow("9.2 with a decimal point") << "9.2"
                                                  << "." << 9.2;
        QTest::newRow("a comma in a point locale ends the number") << "9,2"
                                                                   << "." << 9.0;
        QTest::newRow("empty") << ""
                               << "." << -1.0;
        QTest::newRow("letters") << "abc"
                                 << "." << -1.0;
    }
    void measuredVoltsUseTheUsersSeparator() {
        QFETCH(QString, text);
        QFETCH(QString, separator);
        QFETCH(double, volts);
        const auto result = FactoryCalibration::MeasuredVolts(text, separator.at(0));
        QCOMPARE(result.has_value(), volts >= 0.0);
        if (result) {
            QCOMPARE(*result, volts);
        }
    }

    void factorsAreWrittenAsTextsWithAPoint() {
        ScriptedZex module;
        FactoryCalibration::MvvAcquisition acquisition;
        module.values[QStringLiteral("RMVV")] = DeviceValue(-1.0f);
        acquisition.AcquireLow(module);
        module.values[QStringLiteral("RMVV")] = DeviceValue(1.5f);
        const Outcome outcome = acquisition.AcquireHigh(module);
        QVERIFY(outcome.succeeded);
        QCOMPARE(outcome.title, QStringLiteral("mV/V Calibration"));
        QCOMPARE(outcome.message, QStringLiteral("Module Calibrated"));
        QCOMPARE(module.writes.size(), 2);
        QCOMPARE(module.writes[0].first, QStringLiteral("FGAIN"));
        QCOMPARE(module.writes[0].second, DeviceValue(QStringLiteral("2.0000000")));
        QCOMPARE(module.writes[1].first, QStringLiteral("FOFFS"));
        QCOMPARE(module.writes[1].second, DeviceValue(QStringLiteral("0.5000000")));
    }

    void unusableAcquisitionsWriteNothing_data() {
        QTest::addColumn<bool>("lowAcquired");
        QTest::addColumn<bool>("lowInError");
        QTest::addColumn<float>("low");
        QTest::addColumn<float>("high");
        QTest::newRow("no -2.5 mV/V acquisition") << false << false << 0.0f << 1.0f;
        QTest::newRow("the -2.5 mV/V acquisition failed") << true << true << -1.0f << 1.0f;
        QTest::newRow("equal acquisitions") << true << false << 1.0f << 1.0f;
        QTest::newRow("reversed acquisitions") << true << false << 1.0f << -1.0f;
    }
    void unusableAcquisitionsWriteNothing() {
        QFETCH(bool, lowAcquired);
        QFETCH(bool, lowInError);
        QFETCH(float, low);
        QFETCH(float, high);
        ScriptedZex module;
        FactoryCalibration::MvvAcquisition acquisition;
        if (lowAcquired) {
            module.values[QStringLiteral("RMVV")] = DeviceValue(low);
            if (lowInError) {
                module.failingNames = {QStringLiteral("RMVV")};
            }
            acquisition.AcquireLow(module);
            module.failingNames.clear();
        }
        module.values[QStringLiteral("RMVV")] = DeviceValue(high);
        const Outcome outcome = acquisition.AcquireHigh(module);
        QVERIFY(!outcome.succeeded);
        QCOMPARE(outcome.message, Failed);
        QVERIFY(module.writes.isEmpty());
    }

    void batteryCalibrationRefusalsWriteNothingFromTheBadValue_data() {
        QTest::addColumn<QString>("measured");
        QTest::addColumn<float>("battery");
        QTest::addColumn<QStringList>("calls");
        QTest::newRow("an empty measured voltage") << "" << 9.0f << QStringList{};
        QTest::newRow("a measured voltage of 0") << "0" << 9.0f << QStringList{};
        QTest::newRow("a battery reading of 0 puts the old factor back")
            << "9.2" << 0.0f
            << QStringList{"get FGB9", "set FGB9", "call RST", "get BATTV", "set FGB9", "call RST"};
    }
    void batteryCalibrationRefusalsWriteNothingFromTheBadValue() {
        QFETCH(QString, measured);
        QFETCH(float, battery);
        QFETCH(QStringList, calls);
        ScriptedZex module;
        module.values[QStringLiteral("FGB9")] = DeviceValue(0.97f);
        module.values[QStringLiteral("BATTV")] = DeviceValue(battery);
        ManualClock clock;
        const Outcome outcome = FactoryCalibration::CalibrateBattery(
            module, clock, SupplyInput::NineVolt, measured, QLatin1Char('.'));
        QVERIFY(!outcome.succeeded);
        QCOMPARE(outcome.title, QStringLiteral("Battery Calibration"));
        QCOMPARE(outcome.message, Failed);
        QCOMPARE(module.calls, calls);
        QCOMPARE(module.values.value("FGB9"), DeviceValue(0.97f));
    }

    void theChosenInputAloneIsCalibrated() {
        ScriptedZex module;
        module.values[QStringLiteral("FGB3")] = DeviceValue(1.5f);
        module.values[QStringLiteral("FGB9")] = DeviceValue(0.97f);
        module.values[QStringLiteral("BATTV")] = DeviceValue(8.0f);
        ManualClock clock;
        const Outcome outcome = FactoryCalibration::CalibrateBattery(
            module, clock, SupplyInput::NineVolt, QStringLiteral("9,2"), QLatin1Char(','));
        QVERIFY(outcome.succeeded);
        QCOMPARE(outcome.message, QStringLiteral("Module Calibrated"));
        QCOMPARE(module.calls, (QStringList{"get FGB9", "set FGB9", "call RST", "get BATTV",
                                            "set FGB9", "call RST"}));
        QCOMPARE(module.values.value("FGB9"), DeviceValue(QStringLiteral("1.1500000")));
        QCOMPARE(module.values.value("FGB3"), DeviceValue(1.5f));
        QCOMPARE(clock.totalWaitedMs(), 2 * FactoryCalibration::RestartWaitMs);
    }

    void acquisitionsMakeTheModuleReadTheCalibratorsSignal() {
        SimulatedLink link;
        QVERIFY2(link.isReady(), qPrintable(link.failure()));
        SerialClass& device = link.device(1);
        FactoryCalibration::MvvAcquisition acquisition;
        applySignal(link, -2.5);
        acquisition.AcquireLow(device);
        applySignal(link, 2.5);
        const Outcome outcome = acquisition.AcquireHigh(device);
        QVERIFY(outcome.succeeded);
        QVERIFY(std::abs(device.UMVV().toDouble() - 2.5) < 0.0005);
        applySignal(link, -2.5);
        QVERIFY(std::abs(device.UMVV().toDouble() + 2.5) < 0.0005);
    }

    void batteryCalibrationMakesTheModuleReadTheMeasuredVoltage() {
        SimulatedLink link;
        QVERIFY2(link.isReady(), qPrintable(link.failure()));
        SerialClass& device = link.device(1);
        link.withBus([](SimulatedBus& bus) {
            bus.module(0).setSupplyVoltage(9.2);
            return 0;
        });
        UntilListening clock(link);
        const Outcome outcome = FactoryCalibration::CalibrateBattery(
            device, clock, SupplyInput::NineVolt, QStringLiteral("9,2"), QLatin1Char(','));
        QVERIFY2(outcome.succeeded, qPrintable(outcome.message));
        QCOMPARE(clock.waited, 2 * FactoryCalibration::RestartWaitMs);
        QTRY_VERIFY(link.withBus([](SimulatedBus& bus) { return bus.module(0).isListening(); }));
        QVERIFY(std::abs(device.BATTV().toDouble() - 9.2) < 0.0005);
    }
};

QTEST_GUILESS_MAIN(TestFactoryCalibration)
#include "tst_factorycalibration.moc"
