#include "sim/SimRadioModule.h"

#include "radio/RadioParameters.h"

#include <cmath>

namespace {

bool isWholeIn(double value, double lowest, double highest) {
    return value == std::floor(value) && value >= lowest && value <= highest;
}

ModuleConfig radioFirmware(ModuleConfig config) {
    config.limitsInTonnes = true;
    return config;
}

} // namespace

SimRadioModule::SimRadioModule(quint32 id, quint8 channel, QString model,
                               const ModuleConfig& config, MonotonicClock& clock)
    : m_id(id)
    , m_model(std::move(model))
    , m_module(radioFirmware(config), clock)
    , m_activeChannel(channel) {
    m_settings.channel = channel;
    m_saved = m_settings;
}

bool SimRadioModule::isReachable() {
    return m_powered && m_module.isListening();
}

std::optional<double> SimRadioModule::parameter(const QString& name) {
    m_module.noteActivity();
    if (!RadioParameters::FromName(name)) {
        return std::nullopt; // radio offers a subset of the module's parameters
    }
    if (name == QLatin1String("CHANNEL")) {
        return m_settings.channel;
    }
    if (name == QLatin1String("BOUNDID")) {
        return m_settings.boundId;
    }
    if (name == QLatin1String("BOUNDTAG")) {
        return m_settings.boundTag;
    }
    if (name == QLatin1String("DOWAKE")) {
        return m_settings.doWake ? 1 : 0;
    }
    if (name == QLatin1String("SERIALNUMBER")) {
        // Read as the SERL/SERH pair the firmware offers from 3.0 on.
        if (m_module.readByName(QStringLiteral("SERL")).outcome !=
            SimulatedModule::Outcome::Value) {
            return std::nullopt;
        }
        return double(m_module.serialNumber());
    }
    const SimulatedModule::Reply reply = m_module.readByName(name);
    if (reply.outcome != SimulatedModule::Outcome::Value) {
        return std::nullopt;
    }
    return double(reply.value);
}

bool SimRadioModule::setParameter(const QString& name, double value) {
    m_module.noteActivity();
    const std::optional<RadioParameter> parameter = RadioParameters::FromName(name);
    if (!parameter || !RadioParameters::Describe(*parameter).writable) {
        return false;
    }
    if (name == QLatin1String("CHANNEL")) {
        if (!isWholeIn(value, 1, 16)) {
            return false;
        }
        m_settings.channel = quint8(value);
        return true;
    }
    if (name == QLatin1String("BOUNDID")) {
        if (!isWholeIn(value, 0, 0xFFFFFF)) {
            return false;
        }
        m_settings.boundId = value;
        return true;
    }
    if (name == QLatin1String("BOUNDTAG")) {
        if (!isWholeIn(value, 0, 0xFFFF)) {
            return false;
        }
        m_settings.boundTag = value;
        return true;
    }
    if (name == QLatin1String("DOWAKE")) {
        if (value != 0 && value != 1) {
            return false;
        }
        m_settings.doWake = value == 1;
        return true;
    }
    return m_module.writeByName(name, value).outcome == SimulatedModule::Outcome::Acknowledged;
}

void SimRadioModule::reset() {
    m_module.commandByName(QStringLiteral("RST"));
    m_settings = m_saved;
    m_activeChannel = m_saved.channel;
}

void SimRadioModule::joinChannel(quint8 channel) {
    m_settings.channel = channel;
    m_saved.channel = channel;
    m_activeChannel = channel;
}

void SimRadioModule::powerUp() {
    m_module.powerCycle();
    m_settings = m_saved;
    m_activeChannel = m_saved.channel;
    m_powered = true;
    announcePowerUp();
}

void SimRadioModule::powerDown() {
    m_module.switchOff();
    m_powered = false;
}
