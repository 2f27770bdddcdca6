#pragma once

#include <QChar>
#include <QString>
#include <optional>

class MonotonicClock;
class ZEX;

// The production-line adjustments of a module: the factory mV/V calibration of its input stage
// (FGAIN, FOFFS from readings at -2.5 and +2.5 mV/V) and the gain factor of its battery input
// (FGB3 or FGB9). The calculations refuse what would divide by zero, give a reversed or absurd
// factor, or write "Inf"; the procedures then write nothing from the refused values.
namespace FactoryCalibration {

struct MvvFactors {
    double gain = 1.0;
    double offset = 0.0;
};

// gain = 5 / (reading2 - reading1), the difference in single precision; offset = gain *
// reading1 + 2.5, so the module shows -2.5 at reading 1 and +2.5 at reading 2. Nothing when
// reading 2 is not above reading 1 or the result is no finite single float.
std::optional<MvvFactors> MvvFactorsFrom(float reading1, float reading2);

// measured / reading, for a measured voltage and a battery reading both above 0. Nothing
// otherwise, or when the result is no finite single float.
std::optional<double> BatteryFactor(double measuredVolts, float batteryReading);

// A factor as the module is given it: "0.0000000", always with "." as the decimal point.
QString FactorText(double value);

// The measured voltage as typed: the user's decimal separator stands for "."; nothing when the
// text holds no number.
std::optional<double> MeasuredVolts(const QString& text, QChar decimalSeparator);

struct Outcome {
    bool succeeded = false;
    QString title;
    QString message; // "Module Calibrated" or "An Error Ocurred - Please retry calibration!"
};

// The two acquisitions of the mV/V calibration, kept between the button presses.
class MvvAcquisition {
public:
    // ACQUIRE1: the raw signal with -2.5 mV/V applied. A reading taken while the link is in
    // error is not kept.
    void AcquireLow(ZEX& device);
    // ACQUIRE2: the raw signal with +2.5 mV/V applied; then FGAIN and FOFFS are written, unless
    // a reading is missing, was taken in error, or the two do not give a usable span.
    Outcome AcquireHigh(ZEX& device);

    std::optional<float> lowReading() const { return m_low; }

private:
    std::optional<float> m_low;
};

inline constexpr qint64 RestartWaitMs = 5000;
enum class SupplyInput { ThreeVolt = 0, NineVolt = 1 };

// Battery calibration: a neutral factor, a restart and 5 s, the battery reading, then the factor
// that makes the reading the measured voltage, a restart and 5 s. The waits are on the clock.
// A measured voltage that is no number or not above 0 is refused before anything is written; a
// battery reading of 0 puts the factor that was there back.
Outcome CalibrateBattery(ZEX& device, MonotonicClock& clock, SupplyInput input,
                         const QString& measuredText, QChar decimalSeparator);

} // namespace FactoryCalibration
