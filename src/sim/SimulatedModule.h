#pragma once

#include "device/DisplayUnits.h"
#include "sim/LoadCell.h"
#include "sim/MeasurementChain.h"

#include <QRandomGenerator>
#include <QString>
#include <QtGlobal>
#include <array>
#include <optional>

class MonotonicClock;

// How a module leaves the factory: its identity, supply input, bus settings and load cell.
struct ModuleConfig {
    int station = 1;
    double firmware = 4.1;
    quint32 serialNumber = 1000001;
    int supplyVolts = 9;  // the supply input in use: 3 or 9
    int baudRate = 19200; // 9600 or 19200
    LoadCell loadCell;
    // A radio module's firmware takes SENS (the largest gross) and THRESH (the filter's bypass
    // step) in tonnes; a serial module's in mV/V.
    bool limitsInTonnes = false;
};

// One ZEX module as a physical thing: its stored parameters, the measurement chain from the load
// on its cell to its display, its keys, status word, power and sleep. It knows nothing of any
// link: the serial bus and a radio front end both put requests to it by number or by name.
class SimulatedModule {
public:
    enum class Key { Power, Tare, Units, Hold };
    enum class Outcome { Value, Acknowledged, Refused };
    struct Reply {
        Outcome outcome = Outcome::Refused;
        float value = 0.0f;
    };

    SimulatedModule(const ModuleConfig& config, MonotonicClock& clock);

    // Requests. A number or name the module's firmware lacks, a read of a write-only parameter,
    // a write of a read-only one and a value outside the accepted range are refused.
    Reply read(int number);
    Reply write(int number, double value);
    Reply command(int number);
    Reply readByName(const QString& name);
    Reply writeByName(const QString& name, double value);
    Reply commandByName(const QString& name);

    // Whether requests reach the module now: it is awake and not starting up.
    bool isListening();
    // The station and baud rate in force (written ones take effect at the next start).
    int station() const { return m_activeStation; }
    int baudRate() const { return m_activeBaud; }
    double firmware() const { return m_config.firmware; }
    int supplyVolts() const { return m_config.supplyVolts; }
    quint32 serialNumber() const { return m_serialNumber; }
    bool isAwake();

    // The world around the module.
    void setAppliedLoad(double tonnes);
    // Drives the input with a calibrator instead of the load cell.
    void setAppliedSignal(double mvv);
    std::optional<double> appliedSignal() const { return m_appliedSignal; }
    double appliedLoad() const { return m_appliedLoad; }
    void setSupplyVoltage(double volts);
    double supplyVoltage() const { return m_supplyVoltage; }
    // Random noise of up to ± this many mV/V on the input, drawn afresh at every sample.
    void setNoise(double mvv);
    double noise() const { return m_noiseMvV; }
    // A new load or signal reaches the input over this time, on a straight ramp (0: at once).
    void setSettleMs(qint64 ms);
    qint64 settleMs() const { return m_settleMs; }
    void pressKey(Key key);
    void powerCycle();
    void switchOff();
    void wake();
    // Bus traffic addressed to the module keeps it from switching itself off.
    void noteActivity();

    // What the module shows and holds, for the operator.
    QString displayText();
    quint32 statusWord();
    float gross();
    float net();

    static constexpr qint64 StartUpMs = 300;

private:
    struct Measurement {
        double raw = 0, umvv = 0, mvv = 0, gross = 0, net = 0;
    };

    float stored(int number) const { return m_stored[number]; }
    bool has(int sinceFirmware) const;
    void restoreDefaults();
    void start(bool afterPowerLoss);
    // Brings the filter, peaks, counters and automatic switch-off up to now.
    Measurement evaluate();
    Measurement measure() const;
    // The signal the cell or calibrator gives now, on its way to the applied one while settling.
    double inputSignal() const;
    double appliedInput() const;
    double rawSignal(double noiseMvV = 0.0) const;
    double noiseSample();
    // Starts the ramp from what the input gives now to the newly applied load or signal.
    void inputChanging();
    // Whether a change of the filter's input is beyond THRESH, which bypasses the filter.
    bool beyondThreshold(double rawChange) const;
    double batteryVolts() const;
    double overloadLevel() const;
    float displayedValue(const Measurement& m) const;
    int decimalPlaces() const;
    bool overrange(const Measurement& m) const;
    std::optional<float> readValue(int number);
    bool store(int number, double value);
    bool runCommand(int number);
    void calibratePoint(bool high);

    ModuleConfig m_config;
    MonotonicClock& m_clock;
    std::array<float, 128> m_stored{};
    quint32 m_serialNumber = 0;

    double m_appliedLoad = 0.0;
    std::optional<double> m_appliedSignal;
    double m_supplyVoltage = 0.0;
    double m_noiseMvV = 0.0;
    QRandomGenerator m_noise;
    qint64 m_settleMs = 0;
    double m_settlingFrom = 0.0;
    qint64 m_settlingSinceMs = 0;
    // FGB3 or FGB9 as the module read it at its last start: a written factor waits for RST.
    double m_batteryFactor = 1.0;

    double m_filtered = 0.0;
    qint64 m_filteredAtMs = 0;
    double m_tare = 0.0;
    double m_powerOnZero = 0.0;
    double m_peakGross = 0.0;
    double m_peakNet = 0.0;
    bool m_netMode = false;
    bool m_holdMode = false;
    int m_unit = int(DisplayUnits::Unit::Ton);
    bool m_inOverload = false;
    bool m_inOverrange = false;

    bool m_awake = true;
    qint64 m_startedAtMs = 0;
    qint64 m_lastActivityMs = 0;
    int m_activeStation = 1;
    int m_activeBaud = 19200;
};
