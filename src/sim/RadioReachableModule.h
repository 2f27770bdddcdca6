#pragma once

#include <QString>
#include <QtGlobal>
#include <functional>
#include <optional>

// A radio module as the simulated base station sees it: an ID, a model name, the channel it
// works on, its radio parameter set by name, and the moment it is powered up (which pairing
// listens for). The base station is its only user and serialises every call.
class RadioReachableModule {
public:
    virtual ~RadioReachableModule() = default;

    virtual quint32 radioId() const = 0;
    virtual QString modelName() const = 0;
    // The channel the module's radio works on now.
    virtual quint8 channel() const = 0;
    // Switched on (it may still be starting up).
    virtual bool isPoweredUp() const = 0;
    // Powered and able to answer.
    virtual bool isReachable() = 0;

    // The radio parameter set, by the device member's name (CHANNEL, GROSS, Damp, SERIALNUMBER
    // ...). nullopt: the module refused (unknown to it, or a value it does not accept).
    virtual std::optional<double> parameter(const QString& name) = 0;
    virtual bool setParameter(const QString& name, double value) = 0;
    // RST: the module restarts; radio settings not saved are lost.
    virtual void reset() = 0;
    // SAVE: the module keeps its radio settings.
    virtual void save() = 0;
    // Pairing puts the module on the base station's channel.
    virtual void joinChannel(quint8 channel) = 0;

    virtual void powerUp() = 0;
    virtual void powerDown() = 0;
    // Called (with the module's ID) each time the module is powered up.
    void setPoweredUpHandler(std::function<void(quint32)> handler) {
        m_poweredUp = std::move(handler);
    }

protected:
    void announcePowerUp() {
        if (m_poweredUp) {
            m_poweredUp(radioId());
        }
    }

private:
    std::function<void(quint32)> m_poweredUp;
};
