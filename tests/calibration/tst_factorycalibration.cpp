// The factory calibrations: the two calculations and their guards, and what is written (and what
// is not) against a scripted module. The page's tests run both against the simulated module.
#include "calibration/FactoryCalibration.h"
#include "support/ScriptedZex.h"
#include "util/MonotonicClock.h"

#include <QTest>
#include <limits>

using FactoryCalibration::Outcome;
using FactoryCalibration::SupplyInput;

namespace {

const QString Failed = QStringLiteral("An Error Ocurred - Please retry calibration!");

} // namespace

class TestFactoryCalibration : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void mvvFactors_data() {
        QTest::addColumn<float>("reading1");
        QTest::addColumn<float>("reading2");
        QTest::addColumn<QString>("gain"); // empty: refused
        QTest::addColumn<QString>("offset");
        const QString none;
        QTest::newRow("-1.2 and +3.8") << -1.2f << 3.8f << QString("1.0000000") << "1.3000000";
        QTest::newRow("-1.0 and +1.5") << -1.0f << 1.5f << QString("2.0000000") << "0.5000000";
        QTest::newRow("equal readings are refused") << 0.0f << 0.0f << none << none;
        QTest::newRow("reversed readings are refused") << 2.0f << -2.0f << none << none;
        QTest::newRow("a span too small for a single gain is refused")
            << 0.0f << std::numeric_limits<float>::denorm_min() << none << none;
        QTest::newRow("a reading that is no number is refused")
            << std::numeric_limits<float>::quiet_NaN() << 1.0f << none << none;
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
        QTest::addColumn<QChar>("separator");
        QTest::addColumn<double>("volts"); // -1: no number
        QTest::newRow("9,2 with a decimal comma") << "9,2" << QChar(u',') << 9.2;
        QTest::newRow("9.2 with a decimal point") << "9.2" << QChar(u'.') << 9.2;
        QTest::newRow("a comma in a point locale ends the number") << "9,2" << QChar(u'.') << 9.0;
        QTest::newRow("empty") << "" << QChar(u'.') << -1.0;
        QTest::newRow("letters") << "abc" << QChar(u'.') << -1.0;
    }
    void measuredVoltsUseTheUsersSeparator() {
        QFETCH(QString, text);
        QFETCH(QChar, separator);
        QFETCH(double, volts);
        const auto result = FactoryCalibration::MeasuredVolts(text, separator);
        QCOMPARE(result.has_value(), volts >= 0.0);
        if (result) {
            QCOMPARE(*result, volts);
        }
    }

    // Factors are written as texts with a point; an unusable pair of acquisitions writes nothing.
    void acquisitionsWriteTheFactorsOrNothing_data() {
        QTest::addColumn<bool>("lowAcquired");
        QTest::addColumn<bool>("lowInError");
        QTest::addColumn<float>("low");
        QTest::addColumn<float>("high");
        QTest::addColumn<bool>("succeeded");
        QTest::newRow("-1.0 and +1.5") << true << false << -1.0f << 1.5f << true;
        QTest::newRow("no -2.5 mV/V acquisition") << false << false << 0.0f << 1.0f << false;
        QTest::newRow("the -2.5 mV/V acquisition failed") << true << true << -1.0f << 1.0f << false;
        QTest::newRow("equal acquisitions") << true << false << 1.0f << 1.0f << false;
        QTest::newRow("reversed acquisitions") << true << false << 1.0f << -1.0f << false;
    }
    void acquisitionsWriteTheFactorsOrNothing() {
        QFETCH(bool, lowAcquired);
        QFETCH(bool, lowInError);
        QFETCH(float, low);
        QFETCH(float, high);
        QFETCH(bool, succeeded);
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
        QCOMPARE(outcome.succeeded, succeeded);
        QCOMPARE(outcome.title, QStringLiteral("mV/V Calibration"));
        QCOMPARE(outcome.message, succeeded ? QStringLiteral("Module Calibrated") : Failed);
        if (!succeeded) {
            QVERIFY(module.writes.isEmpty());
            return;
        }
        using Write = std::pair<QString, DeviceValue>;
        QCOMPARE(module.writes,
                 (QList<Write>{{"FGAIN", DeviceValue(QStringLiteral("2.0000000"))},
                               {"FOFFS", DeviceValue(QStringLiteral("0.5000000"))}}));
    }

    // Only the chosen input's factor changes; a refusal leaves the module's factor as it was.
    void batteryCalibration_data() {
        QTest::addColumn<QString>("measured");
        QTest::addColumn<float>("battery");
        QTest::addColumn<QStringList>("calls");
        QTest::addColumn<QString>("factor"); // empty: refused
        const QStringList all{"get FGB9",  "set FGB9", "call RST",
                              "get BATTV", "set FGB9", "call RST"};
        QTest::newRow("9,2 V measured, 8 V read") << "9,2" << 8.0f << all << "1.1500000";
        QTest::newRow("an empty measured voltage") << "" << 9.0f << QStringList{} << "";
        QTest::newRow("a measured voltage of 0") << "0" << 9.0f << QStringList{} << "";
        QTest::newRow("a battery reading of 0 puts the old factor back")
            << "9,2" << 0.0f << all << "";
    }
    void batteryCalibration() {
        QFETCH(QString, measured);
        QFETCH(float, battery);
        QFETCH(QStringList, calls);
        QFETCH(QString, factor);
        ScriptedZex module;
        module.values[QStringLiteral("FGB3")] = DeviceValue(1.5f);
        module.values[QStringLiteral("FGB9")] = DeviceValue(0.97f);
        module.values[QStringLiteral("BATTV")] = DeviceValue(battery);
        ManualClock clock;
        const Outcome outcome = FactoryCalibration::CalibrateBattery(
            module, clock, SupplyInput::NineVolt, measured, QLatin1Char(','));
        QCOMPARE(outcome.succeeded, !factor.isEmpty());
        QCOMPARE(outcome.title, QStringLiteral("Battery Calibration"));
        QCOMPARE(outcome.message, factor.isEmpty() ? Failed : QStringLiteral("Module Calibrated"));
        QCOMPARE(module.calls, calls);
        QCOMPARE(module.values.value("FGB9"),
                 factor.isEmpty() ? DeviceValue(0.97f) : DeviceValue(factor));
        QCOMPARE(module.values.value("FGB3"), DeviceValue(1.5f));
        QCOMPARE(clock.totalWaitedMs(),
                 calls.count("call RST") * FactoryCalibration::RestartWaitMs);
    }
};

QTEST_GUILESS_MAIN(TestFactoryCalibration)
#include "tst_factorycalibration.moc"
