#pragma once

#include "sim/RadioReachableModule.h"
#include "sim/SimulatedModule.h"

// A radio module: the same physical module model as on the serial bus, behind a
// radio front end that holds the radio settings (channel, bound module ID and
// tag, wake flag). Written settings are kept by SAVE and take effect when the
// module restarts (RST or power up), as on the real front end; pairing sets the
// channel at once. Its firmware takes SENS and THRESH in tonnes.
class SimRadioModule : public RadioReachableModule {
public:
    SimRadioModule(quint32 id, quint8 channel, QString model, const ModuleConfig& config,
                   MonotonicClock& clock);

    SimulatedModule& module() { return m_module; }

    quint32 radioId() const override { return m_id; }
    QString modelName() const override { return m_model; }
    quint8 channel() const override { return m_activeChannel; }
    bool isPoweredUp() const override { return m_powered; }
    bool isReachable() override;
    std::optional<double> parameter(const QString& name) override;
    bool setParameter(const QString& name, double value) override;
    void reset() override;
    void save() override { m_saved = m_settings; }
    void joinChannel(quint8 channel) override;
    void powerUp() override;
    void powerDown() override;

private:
    struct RadioSettings {
        quint8 channel = 1;
        double boundId = 0;
        double boundTag = 0;
        bool doWake = false;
    };

    quint32 m_id;
    QString m_model;
    SimulatedModule m_module;
    RadioSettings m_settings; // as written
    RadioSettings m_saved;    // as kept
    quint8 m_activeChannel;
    bool m_powered = true;
};
