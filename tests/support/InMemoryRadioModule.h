#pragma once

#include "sim/RadioReachableModule.h"

#include <QHash>

// A radio module that is a table of values: enough for the base station and socket tests. The
// module model behind zex-sim's radio modules is the simulator's own.
class InMemoryRadioModule : public RadioReachableModule {
public:
    InMemoryRadioModule(quint32 id, quint8 channel, QString model = QStringLiteral("ZEX"))
        : m_id(id)
        , m_channel(channel)
        , m_model(std::move(model)) {}

    QHash<QString, double> values; // by radio parameter name; a missing name is refused
    bool poweredUp = true;
    int resets = 0;
    int saves = 0;

    quint32 radioId() const override { return m_id; }
    QString modelName() const override { return m_model; }
    quint8 channel() const override { return m_channel; }
    bool isPoweredUp() const override { return poweredUp; }
    bool isReachable() override { return poweredUp; }
    std::optional<double> parameter(const QString& name) override {
        if (name == QLatin1String("CHANNEL")) {
            return m_channel;
        }
        const auto found = values.constFind(name);
        return found == values.constEnd() ? std::nullopt : std::optional<double>(*found);
    }
    bool setParameter(const QString& name, double value) override {
        if (!values.contains(name)) {
            return false;
        }
        values[name] = value;
        return true;
    }
    void reset() override { ++resets; }
    void save() override { ++saves; }
    void joinChannel(quint8 channel) override { m_channel = channel; }
    void powerUp() override {
        poweredUp = true;
        announcePowerUp();
    }
    void powerDown() override { poweredUp = false; }

private:
    quint32 m_id;
    quint8 m_channel;
    QString m_model;
};
