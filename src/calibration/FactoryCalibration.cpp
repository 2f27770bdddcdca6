#include "calibration/FactoryCalibration.h"

#include "calibration/CalibrationLoads.h"
#include "device/ZEX.h"
#include "util/MonotonicClock.h"
#include "util/NumberFormatModule.h"

#include <QRegularExpression>
#include <cfloat>
#include <cmath>

namespace FactoryCalibration {
namespace {

const QString Calibrated = QStringLiteral("Module Calibrated");
const QString Failed = QStringLiteral("An Error Ocurred - Please retry calibration!");
const QString MvvTitle = QStringLiteral("mV/V Calibration");
const QString BatteryTitle = QStringLiteral("Battery Calibration");

bool fitsSingle(double value) {
    return std::isfinite(value) && std::abs(value) <= double(FLT_MAX);
}

Outcome failed(const QString& title) {
    return Outcome{false, title, Failed};
}

Outcome calibrated(const QString& title) {
    return Outcome{true, title, Calibrated};
}

} // namespace

std::optional<MvvFactors> MvvFactorsFrom(float reading1, float reading2) {
    const float span = reading2 - reading1;
    if (!(span > 0.0f) || !std::isfinite(span)) {
        return std::nullopt;
    }
    MvvFactors factors;
    factors.gain = 5.0 / double(span);
    factors.offset = factors.gain * double(reading1) + 2.5;
    if (!fitsSingle(factors.gain) || !fitsSingle(factors.offset)) {
        return std::nullopt;
    }
    return factors;
}

std::optional<double> BatteryFactor(double measuredVolts, float batteryReading) {
    if (!(measuredVolts > 0.0) || !(batteryReading > 0.0f) || !std::isfinite(batteryReading)) {
        return std::nullopt;
    }
    const double factor = measuredVolts / double(batteryReading);
    if (!fitsSingle(factor)) {
        return std::nullopt;
    }
    return factor;
}

QString FactorText(double value) {
    return NumberFormatModule::FormatNumber(value, QStringLiteral("0.0000000"), QLatin1Char('.'));
}

std::optional<double> MeasuredVolts(const QString& text, QChar decimalSeparator) {
    QString number = text.trimmed();
    number.replace(decimalSeparator, QLatin1Char('.'));
    static const QRegularExpression hasNumber(QStringLiteral("^[+-]?(\\d|\\.\\d)"));
    if (!hasNumber.match(number).hasMatch()) {
        return std::nullopt;
    }
    const double volts = CalibrationLoads::iVal(number, QLatin1Char('.'));
    if (!std::isfinite(volts)) {
        return std::nullopt;
    }
    return volts;
}

void MvvAcquisition::AcquireLow(ZEX& device) {
    const float reading = device.RMVV().toSingle();
    if (device.ErrorState()) {
        m_low.reset();
    } else {
        m_low = reading;
    }
}

Outcome MvvAcquisition::AcquireHigh(ZEX& device) {
    const float high = device.RMVV().toSingle();
    if (device.ErrorState() || !m_low) {
        return failed(MvvTitle);
    }
    const std::optional<MvvFactors> factors = MvvFactorsFrom(*m_low, high);
    if (!factors) {
        return failed(MvvTitle);
    }
    device.FGAIN(DeviceValue(FactorText(factors->gain)));
    device.FOFFS(DeviceValue(FactorText(factors->offset)));
    return device.ErrorState() ? failed(MvvTitle) : calibrated(MvvTitle);
}

Outcome CalibrateBattery(ZEX& device, MonotonicClock& clock, SupplyInput input,
                         const QString& measuredText, QChar decimalSeparator) {
    device.ResetError();
    const std::optional<double> measured = MeasuredVolts(measuredText, decimalSeparator);
    if (!measured || !(*measured > 0.0)) {
        return failed(BatteryTitle);
    }
    const QString member =
        input == SupplyInput::ThreeVolt ? QStringLiteral("FGB3") : QStringLiteral("FGB9");
    const DeviceValue previous = device.GetByName(member);
    if (device.ErrorState()) {
        return failed(BatteryTitle);
    }

    device.LetByName(member, DeviceValue(1.0f));
    device.RST();
    clock.waitMs(RestartWaitMs);
    const float reading = device.BATTV().toSingle();
    if (device.ErrorState()) {
        return failed(BatteryTitle);
    }
    const std::optional<double> factor = BatteryFactor(*measured, reading);
    if (!factor) {
        // No factor can be made from this reading: the module gets back the one it had.
        device.LetByName(member, previous);
        device.RST();
        clock.waitMs(RestartWaitMs);
        return failed(BatteryTitle);
    }
    device.LetByName(member, DeviceValue(FactorText(*factor)));
    if (device.ErrorState()) {
        return failed(BatteryTitle);
    }
    device.RST();
    clock.waitMs(RestartWaitMs);
    return calibrated(BatteryTitle);
}

} // namespace FactoryCalibration
