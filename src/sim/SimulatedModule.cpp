#include "sim/SimulatedModule.h"

#include "serial/ZarnbusNumbers.h"
#include "sim/ModuleDisplay.h"
#include "sim/SimParameterTable.h"
#include "util/MonotonicClock.h"

#include <algorithm>
#include <cmath>

namespace {

namespace N = ZarnbusNumber;
using MeasurementChain::MaxLinearisationPoints;

// The input stage is never perfect: factory calibration (FGAIN, FOFFS) takes these out.
constexpr double InputStageGain = 0.9875;
constexpr double InputStageOffsetMvV = 0.0042;
// Nor are the battery inputs: FGB3 and FGB9 take these out.
constexpr double BatteryInputGain3V = 0.9412;
constexpr double BatteryInputGain9V = 1.0375;
constexpr double LowBattery3V = 2.4;
constexpr double LowBattery9V = 7.0;

constexpr int DampingDisabled = 254;
constexpr double FilterMsPerDampingStep = 10.0;
constexpr qint64 MsPerMinute = 60000;
constexpr double CounterLimit = 65535.0;

constexpr quint32 StatusNet = 1;
constexpr quint32 StatusHold = 2;
constexpr quint32 StatusBatteryLow = 4;
constexpr quint32 StatusOverload = 8;
constexpr quint32 StatusFirstUnitFlag = 16;

// Remote key codes written to REMK.
constexpr int RemoteKeyPower = 1;
constexpr int RemoteKeyTare = 2;
constexpr int RemoteKeyUnits = 3;
constexpr int RemoteKeyHold = 4;

float signedHalf(quint32 half) {
    // The halves of the serial number travel as signed 16-bit numbers.
    return float(qint16(quint16(half & 0xFFFF)));
}

} // namespace

SimulatedModule::SimulatedModule(const ModuleConfig& config, MonotonicClock& clock)
    : m_config(config)
    , m_clock(clock)
    , m_serialNumber(config.serialNumber)
    , m_supplyVoltage(config.supplyVolts == 3 ? 3.0 : 9.0)
    , m_noise(config.serialNumber) {
    m_settlingFrom = appliedInput();
    restoreDefaults();
    start(false);
}

bool SimulatedModule::has(int sinceFirmware) const {
    return SimParameterTable::FirmwareHundredths(m_config.firmware) >= sinceFirmware;
}

void SimulatedModule::restoreDefaults() {
    const LoadCell& cell = m_config.loadCell;
    auto set = [this](int number, double value) { m_stored[number] = float(value); };
    set(N::FGAIN, 1.0 / InputStageGain);
    set(N::FOFFS, InputStageOffsetMvV / InputStageGain);
    set(N::FGB3, 1.0 / BatteryInputGain3V);
    set(N::FGB9, 1.0 / BatteryInputGain9V);
    set(N::ALARM, 90);
    set(N::DP, 3);
    set(N::Damp, 200);
    // The same limits either way: a step of 0.01 mV/V, and the load that gives 3 mV/V.
    const double tonnesPerMvV = cell.capacityTonnes / cell.sensitivityMvV;
    set(N::THRESH, m_config.limitsInTonnes ? 0.01 * tonnesPerMvV : 0.01);
    set(N::SENS, m_config.limitsInTonnes ? 3.0 * tonnesPerMvV : 3.0);
    set(N::STAT, m_config.station);
    set(N::BAUD, m_config.baudRate == 9600 ? 0 : 1);
    set(N::OVERLOAD, 100);
    // Calibrated at the factory with the cell unloaded and at capacity, without linearisation.
    const double low = cell.signalAt(0.0);
    const double high = cell.signalAt(cell.capacityTonnes);
    const double gain = cell.capacityTonnes / (high - low);
    set(N::CMVVLO, low);
    set(N::CMVVHI, high);
    set(N::CENGLO, 0.0);
    set(N::CENGHI, cell.capacityTonnes);
    set(N::Gain, gain);
    set(N::OFFS, gain * low);
    set(N::CALCNT, 1);
}

void SimulatedModule::start(bool afterPowerLoss) {
    const qint64 now = m_clock.nowMs();
    m_activeStation = int(stored(N::STAT));
    m_activeBaud = stored(N::BAUD) >= 1.0f ? 19200 : 9600;
    m_batteryFactor = stored(m_config.supplyVolts == 3 ? N::FGB3 : N::FGB9);
    m_awake = true;
    m_startedAtMs = afterPowerLoss ? now : now - StartUpMs;
    m_lastActivityMs = now;
    m_netMode = false;
    m_holdMode = false;
    m_tare = 0.0;
    m_powerOnZero = 0.0;
    m_filtered = rawSignal();
    m_filteredAtMs = now;
    const double poz = stored(N::POZ);
    if (const Measurement m = measure(); poz > 0.0 && std::abs(m.gross) <= poz) {
        m_powerOnZero = m.gross;
    }
    const Measurement m = measure();
    m_peakGross = m.gross;
    m_peakNet = m.net;
    m_inOverload = stored(N::CENGHI) > 0.0f && m.gross > overloadLevel();
    m_inOverrange = overrange(m);
}

double SimulatedModule::appliedInput() const {
    return m_appliedSignal ? *m_appliedSignal : m_config.loadCell.signalAt(m_appliedLoad);
}

double SimulatedModule::inputSignal() const {
    const double applied = appliedInput();
    const qint64 elapsed = m_clock.nowMs() - m_settlingSinceMs;
    if (m_settleMs <= 0 || elapsed >= m_settleMs) {
        return applied;
    }
    return m_settlingFrom + (applied - m_settlingFrom) * double(elapsed) / double(m_settleMs);
}

void SimulatedModule::inputChanging() {
    m_settlingFrom = inputSignal();
    m_settlingSinceMs = m_clock.nowMs();
}

double SimulatedModule::rawSignal(double noiseMvV) const {
    return (inputSignal() + noiseMvV) * InputStageGain + InputStageOffsetMvV;
}

double SimulatedModule::noiseSample() {
    return m_noiseMvV > 0.0 ? (m_noise.generateDouble() * 2.0 - 1.0) * m_noiseMvV : 0.0;
}

bool SimulatedModule::beyondThreshold(double rawChange) const {
    if (!m_config.limitsInTonnes) {
        return std::abs(rawChange) > stored(N::THRESH);
    }
    // In tonnes: the change as the calibration turns it into gross.
    const double tonnes = rawChange * double(stored(N::FGAIN)) * double(stored(N::Gain));
    return std::abs(tonnes) > stored(N::THRESH);
}

double SimulatedModule::batteryVolts() const {
    const double gain = m_config.supplyVolts == 3 ? BatteryInputGain3V : BatteryInputGain9V;
    return m_supplyVoltage * gain * m_batteryFactor;
}

double SimulatedModule::overloadLevel() const {
    const double percent = has(400) ? stored(N::OVERLOAD) : 100.0;
    return stored(N::CENGHI) * percent / 100.0;
}

bool SimulatedModule::overrange(const Measurement& m) const {
    const double limit = stored(N::SENS);
    const double reading = m_config.limitsInTonnes ? m.gross : m.umvv;
    // A signal that is no number at all (an absurd input) is beyond any limit too.
    return limit > 0.0 && !(std::abs(reading) <= limit);
}

int SimulatedModule::decimalPlaces() const {
    return MeasurementChain::DecimalPlaces(int(stored(N::DP)));
}

SimulatedModule::Measurement SimulatedModule::measure() const {
    std::array<double, MaxLinearisationPoints> linx{};
    std::array<double, MaxLinearisationPoints> link{};
    for (int i = 0; i < MaxLinearisationPoints; ++i) {
        linx[i] = stored(N::LINX1 + i);
        link[i] = stored(N::LINK1 + i);
    }
    Measurement m;
    m.raw = m_filtered;
    m.umvv = double(stored(N::FGAIN)) * m.raw - stored(N::FOFFS);
    m.mvv = MeasurementChain::Linearise(m.umvv, int(stored(N::LINP)), linx, link);
    const double preTare = has(300) ? stored(N::PTARE) : 0.0;
    m.gross = double(stored(N::Gain)) * m.mvv - stored(N::OFFS) - stored(N::SYSZERO) - preTare -
              m_powerOnZero;
    m.net = m.gross - m_tare;
    return m;
}

SimulatedModule::Measurement SimulatedModule::evaluate() {
    const qint64 now = m_clock.nowMs();
    const double offMinutes = stored(N::OFFAUTO);
    if (m_awake && offMinutes > 0 && now - m_lastActivityMs >= qint64(offMinutes * MsPerMinute)) {
        m_awake = false;
    }

    const double target = rawSignal(noiseSample());
    const int damping = int(stored(N::Damp));
    // A filter state that overflowed would stay NaN for good; it restarts from the input.
    if (!m_awake || damping >= DampingDisabled || !std::isfinite(m_filtered) ||
        beyondThreshold(target - m_filtered)) {
        m_filtered = target;
    } else {
        const double tauMs = (DampingDisabled - damping) * FilterMsPerDampingStep;
        m_filtered =
            target + (m_filtered - target) * std::exp(-double(now - m_filteredAtMs) / tauMs);
    }
    m_filteredAtMs = now;

    const Measurement m = measure();
    if (!m_awake) {
        return m;
    }
    m_peakGross = std::max(m_peakGross, m.gross);
    m_peakNet = std::max(m_peakNet, m.net);
    const bool overload = stored(N::CENGHI) > 0.0f && m.gross > overloadLevel();
    if (overload && !m_inOverload) {
        m_stored[N::OVRLOD] = float(std::min<double>(stored(N::OVRLOD) + 1, CounterLimit));
    }
    m_inOverload = overload;
    const bool outOfRange = overrange(m);
    if (outOfRange && !m_inOverrange) {
        m_stored[N::OVRRNG] = float(std::min<double>(stored(N::OVRRNG) + 1, CounterLimit));
    }
    m_inOverrange = outOfRange;
    return m;
}

float SimulatedModule::displayedValue(const Measurement& m) const {
    double tonnes = m_netMode ? m.net : m.gross;
    if (m_holdMode) {
        tonnes = m_netMode ? m_peakNet : m_peakGross;
    }
    const double value = DisplayUnits::FromTonnes(tonnes, DisplayUnits::Unit(m_unit),
                                                  DisplayUnits::TonType(int(stored(N::TTYPE))));
    const int places = decimalPlaces();
    return float(MeasurementChain::RoundToStep(
        value, MeasurementChain::ResolutionStep(int(stored(N::RESOL)), places)));
}

QString SimulatedModule::displayText() {
    const Measurement m = evaluate();
    if (overrange(m)) {
        return ModuleDisplay::OverrangeText();
    }
    return ModuleDisplay::ValueText(displayedValue(m), decimalPlaces());
}

quint32 SimulatedModule::statusWord() {
    evaluate();
    const double lowBattery = m_config.supplyVolts == 3 ? LowBattery3V : LowBattery9V;
    quint32 status = StatusFirstUnitFlag << m_unit;
    status |= quint32(decimalPlaces()) << 8;
    if (m_netMode) {
        status |= StatusNet;
    }
    if (m_holdMode) {
        status |= StatusHold;
    }
    if (batteryVolts() < lowBattery) {
        status |= StatusBatteryLow;
    }
    if (m_inOverload) {
        status |= StatusOverload;
    }
    return status;
}

float SimulatedModule::gross() {
    return float(evaluate().gross);
}

float SimulatedModule::net() {
    return float(evaluate().net);
}

std::optional<float> SimulatedModule::readValue(int number) {
    const Measurement m = evaluate();
    switch (number) {
    case N::BATTV:
        return float(batteryVolts());
    case N::SERL:
        return signedHalf(m_serialNumber);
    case N::SERH:
        return signedHalf(m_serialNumber >> 16);
    case N::VERS:
        return float(m_config.firmware);
    case N::RMVV:
        return float(m.raw);
    case N::UMVV:
        return float(m.umvv);
    case N::MVV:
        return float(m.mvv);
    case N::GROSS:
        return float(m.gross);
    case N::NET:
        return float(m.net);
    case N::PEAKG:
        return float(m_peakGross);
    case N::PEAKN:
        return float(m_peakNet);
    case N::TARE:
        return float(m_tare);
    case N::Status:
        return float(statusWord());
    case N::VALUE:
        return displayedValue(m);
    default:
        break;
    }
    if (number >= N::REM1 && number < N::REM1 + ModuleDisplay::RegisterCount) {
        return ModuleDisplay::Registers(displayText())[number - N::REM1];
    }
    return stored(number);
}

bool SimulatedModule::store(int number, double value) {
    switch (number) {
    case N::FSNL:
        m_serialNumber = (m_serialNumber & 0xFFFF0000u) | (quint32(qint64(value)) & 0xFFFFu);
        return true;
    case N::FSNH:
        m_serialNumber = (m_serialNumber & 0xFFFFu) | ((quint32(qint64(value)) & 0xFFFFu) << 16);
        return true;
    case N::REMK: {
        static constexpr std::array<Key, 4> keys = {Key::Power, Key::Tare, Key::Units, Key::Hold};
        static_assert(RemoteKeyPower == 1 && RemoteKeyTare == 2 && RemoteKeyUnits == 3 &&
                      RemoteKeyHold == 4);
        pressKey(keys[std::clamp(int(value), RemoteKeyPower, RemoteKeyHold) - 1]);
        return true;
    }
    case N::SYSZERO:
    case N::Gain:
    case N::OFFS:
    case N::POZ:
        // A new calibration or zero makes the zero taken at power-on meaningless.
        m_powerOnZero = 0.0;
        break;
    default:
        break;
    }
    m_stored[number] = float(value);
    return true;
}

void SimulatedModule::calibratePoint(bool high) {
    const Measurement m = evaluate();
    m_stored[high ? N::CMVVHI : N::CMVVLO] = float(m.mvv);
}

bool SimulatedModule::runCommand(int number) {
    switch (number) {
    case N::RST:
        start(true);
        return true;
    case N::DOCALLO:
        calibratePoint(false);
        return true;
    case N::DOCALHI: {
        const double lowMvV = stored(N::CMVVLO);
        const double highMvV = evaluate().mvv;
        if (float(highMvV) == float(lowMvV)) {
            return false; // no span: the module keeps its calibration
        }
        calibratePoint(true);
        const double gain =
            (double(stored(N::CENGHI)) - stored(N::CENGLO)) / (double(stored(N::CMVVHI)) - lowMvV);
        store(N::Gain, gain);
        store(N::OFFS, gain * lowMvV - stored(N::CENGLO));
        m_stored[N::CALCNT] = float(std::min<double>(stored(N::CALCNT) + 1, CounterLimit));
        return true;
    }
    case N::DOKEYPWR:
        pressKey(Key::Power);
        return true;
    case N::DOKEYTAR:
        pressKey(Key::Tare);
        return true;
    case N::DOKEYUNI:
        pressKey(Key::Units);
        return true;
    case N::DOKEYHLD:
        pressKey(Key::Hold);
        return true;
    case N::DOOFF:
        switchOff();
        return true;
    default:
        return false;
    }
}

SimulatedModule::Reply SimulatedModule::read(int number) {
    const SimParameterTable::Entry* entry = SimParameterTable::Find(number);
    if (!entry || !has(entry->sinceFirmware) || !SimParameterTable::IsReadable(*entry)) {
        return {};
    }
    const std::optional<float> value = readValue(number);
    return value ? Reply{Outcome::Value, *value} : Reply{};
}

SimulatedModule::Reply SimulatedModule::write(int number, double value) {
    const SimParameterTable::Entry* entry = SimParameterTable::Find(number);
    if (!entry || !has(entry->sinceFirmware) || !SimParameterTable::IsWritable(*entry) ||
        !std::isfinite(value)) {
        return {};
    }
    if (entry->wholeNumber) {
        value = std::round(value);
    }
    if (value < entry->minimum || value > entry->maximum) {
        return {};
    }
    evaluate();
    return store(number, value) ? Reply{Outcome::Acknowledged} : Reply{};
}

SimulatedModule::Reply SimulatedModule::command(int number) {
    const SimParameterTable::Entry* entry = SimParameterTable::Find(number);
    if (!entry || !has(entry->sinceFirmware) ||
        entry->access != SimParameterTable::Access::Command) {
        return {};
    }
    evaluate();
    return runCommand(number) ? Reply{Outcome::Acknowledged} : Reply{};
}

SimulatedModule::Reply SimulatedModule::readByName(const QString& name) {
    const SimParameterTable::Entry* entry = SimParameterTable::FindByName(name);
    return entry ? read(entry->number) : Reply{};
}

SimulatedModule::Reply SimulatedModule::writeByName(const QString& name, double value) {
    const SimParameterTable::Entry* entry = SimParameterTable::FindByName(name);
    return entry ? write(entry->number, value) : Reply{};
}

SimulatedModule::Reply SimulatedModule::commandByName(const QString& name) {
    const SimParameterTable::Entry* entry = SimParameterTable::FindByName(name);
    return entry ? command(entry->number) : Reply{};
}

bool SimulatedModule::isListening() {
    evaluate();
    return m_awake && m_clock.nowMs() - m_startedAtMs >= StartUpMs;
}

bool SimulatedModule::isAwake() {
    evaluate();
    return m_awake;
}

void SimulatedModule::setAppliedLoad(double tonnes) {
    evaluate();
    inputChanging();
    m_appliedSignal.reset();
    m_appliedLoad = tonnes;
    evaluate();
}

void SimulatedModule::setAppliedSignal(double mvv) {
    evaluate();
    inputChanging();
    m_appliedSignal = mvv;
    evaluate();
}

void SimulatedModule::setSupplyVoltage(double volts) {
    m_supplyVoltage = volts;
}

void SimulatedModule::setNoise(double mvv) {
    evaluate();
    m_noiseMvV = std::abs(mvv);
}

void SimulatedModule::setSettleMs(qint64 ms) {
    evaluate();
    // A ramp under way goes on from where the input is now.
    inputChanging();
    m_settleMs = std::max<qint64>(ms, 0);
}

void SimulatedModule::pressKey(Key key) {
    const Measurement m = evaluate();
    noteActivity();
    switch (key) {
    case Key::Power:
        switchOff();
        break;
    case Key::Tare:
        // Tare takes the gross as the tare and shows net; pressed again it returns to gross.
        m_netMode = !m_netMode;
        m_tare = m_netMode ? m.gross : 0.0;
        m_peakNet = m.gross - m_tare;
        break;
    case Key::Units:
        m_unit = (m_unit + 1) % 4;
        break;
    case Key::Hold:
        m_holdMode = !m_holdMode;
        // Standard peak hold captures from the moment it is switched on; continuous keeps the
        // peaks since power-on.
        if (m_holdMode && stored(N::PeakMode) < 0.5f) {
            m_peakGross = m.gross;
            m_peakNet = m.net;
        }
        break;
    }
}

void SimulatedModule::powerCycle() {
    start(true);
}

void SimulatedModule::switchOff() {
    m_awake = false;
}

void SimulatedModule::wake() {
    if (!m_awake) {
        m_awake = true;
        m_lastActivityMs = m_clock.nowMs();
        evaluate();
    }
}

void SimulatedModule::noteActivity() {
    m_lastActivityMs = m_clock.nowMs();
}
