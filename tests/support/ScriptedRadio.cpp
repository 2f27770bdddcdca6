#include "support/ScriptedRadio.h"

#include "radio/RadioBaseStation.h"
#include "radio/RadioErrorCodes.h"
#include "radio/RadioHost.h"
#include "radio/RadioLink.h"
#include "radio/RadioPairing.h"
#include "radio/RadioRefusedError.h"
#include "util/MonotonicClock.h"

namespace {

class ScriptedHost : public RadioHost {};

class ScriptedLink : public RadioLink {
public:
    explicit ScriptedLink(ScriptedRadioScript& s)
        : m_s(s) {}

    void setTarget(quint32 id) override {
        m_s.calls << QStringLiteral("link.setTarget %1").arg(id, 0, 16);
        m_s.target = id;
    }
    qint32 errorCode() override { return m_s.errorCode; }
    QString modelName() override {
        m_s.calls << QStringLiteral("link.modelName");
        m_s.refuseIfAsked(QStringLiteral("link.modelName"));
        if (!exchange()) {
            return QString();
        }
        if (m_s.emptyModelAnswers > 0) {
            --m_s.emptyModelAnswers;
            return QString();
        }
        return m_s.linkModel;
    }
    DeviceValue readParameter(RadioParameter p) override {
        m_s.calls << QStringLiteral("link.read ") + RadioParameters::Name(p);
        return exchange() ? m_s.values.value(p) : DeviceValue();
    }
    void writeParameter(RadioParameter p, const DeviceValue& v) override {
        if (!RadioParameters::Describe(p).writable) {
            throw RadioRefusedError(RadioParameters::Name(p), QStringLiteral("read only"));
        }
        m_s.calls << QStringLiteral("link.write ") + RadioParameters::Name(p);
        m_s.writes.append({p, v});
        if (exchange()) {
            m_s.values[p] = v;
        }
    }
    void save() override {
        m_s.calls << QStringLiteral("link.save");
        exchange();
    }
    void reset() override {
        m_s.calls << QStringLiteral("link.reset");
        exchange();
    }
    void close() override {
        m_s.calls << QStringLiteral("link.close");
        m_s.linkClosed = true;
    }

private:
    bool exchange() {
        const bool answers = m_s.linkAnswersAfterMs >= 0 &&
                             m_s.clock.nowMs() - m_s.addressedAt >= m_s.linkAnswersAfterMs;
        m_s.errorCode = answers ? RadioErrorCodes::None : RadioErrorCodes::NoResponse;
        return m_s.errorCode == RadioErrorCodes::None;
    }
    ScriptedRadioScript& m_s;
};

class ScriptedBaseStation : public RadioBaseStation {
public:
    explicit ScriptedBaseStation(ScriptedRadioScript& s)
        : m_s(s) {}
    bool open() override {
        m_s.calls << QStringLiteral("station.open");
        return m_s.openAnswers.isEmpty() ? m_s.openDefault : m_s.openAnswers.takeFirst();
    }
    quint32 baseStationId() override { return m_s.baseStationId; }
    quint8 channel() override { return m_s.baseStationChannel; }
    void setChannel(quint8 channel) override {
        m_s.calls << QStringLiteral("station.setChannel %1").arg(channel);
        m_s.refuseIfAsked(QStringLiteral("station.setChannel"));
    }
    void commit() override { m_s.calls << QStringLiteral("station.commit"); }
    void close() override {
        m_s.calls << QStringLiteral("station.close");
        m_errorFlag = m_s.errorFlagAfterClose;
    }
    qint32 errorFlag() override { return m_errorFlag; }

private:
    ScriptedRadioScript& m_s;
    qint32 m_errorFlag = 0;
};

class ScriptedPairing : public RadioPairing {
public:
    explicit ScriptedPairing(ScriptedRadioScript& s)
        : m_s(s) {}
    void openInterface() override {
        m_s.calls << QStringLiteral("pairing.openInterface");
        m_s.refuseIfAsked(QStringLiteral("pairing.openInterface"));
    }
    bool interfacePresent(qint32 a, qint32 b) override {
        m_s.calls << QStringLiteral("pairing.interfacePresent %1 %2").arg(a).arg(b);
        return m_s.interfacePresent;
    }
    void startPairing(qint32 mode, bool first, bool second, qint32 seconds) override {
        m_s.calls << QStringLiteral("pairing.start %1 %2 %3 %4")
                         .arg(mode)
                         .arg(first)
                         .arg(second)
                         .arg(seconds);
        m_s.refuseIfAsked(QStringLiteral("pairing.start"));
        m_s.pairingStartedAt = m_s.clock.nowMs();
        m_windowMs = qint64(seconds) * 1000;
    }
    qint32 pairingStatus() override {
        m_s.refuseIfAsked(QStringLiteral("pairing.status"));
        const qint64 since = m_s.clock.nowMs() - m_s.pairingStartedAt;
        if (m_s.statusStuck) {
            return StillPairing;
        }
        if (m_s.pairsAfterMs >= 0 && since >= m_s.pairsAfterMs && m_s.pairsAfterMs < m_windowMs) {
            return 0;
        }
        return since >= m_windowMs ? m_s.statusAfterWindow : StillPairing;
    }
    quint32 pairedId() override { return pairingStatus() == 0 ? m_s.pairedId : 0; }
    QString modelNameOfId(qint32 mode, quint32 id) override {
        m_s.calls << QStringLiteral("pairing.modelNameOfId %1 %2").arg(mode).arg(id, 0, 16);
        m_s.refuseIfAsked(QStringLiteral("pairing.modelNameOfId"));
        const qint64 pairedAt = m_s.pairingStartedAt + m_s.pairsAfterMs;
        const bool known =
            m_s.modelKnownAfterMs >= 0 && m_s.clock.nowMs() - pairedAt >= m_s.modelKnownAfterMs;
        return known && id == m_s.pairedId ? m_s.pairedModel : QString();
    }
    void addressModule(qint32 mode, quint32 id) override {
        m_s.calls << QStringLiteral("pairing.address %1 %2").arg(mode).arg(id, 0, 16);
        m_s.refuseIfAsked(QStringLiteral("pairing.address"));
        m_s.addressedAt = m_s.clock.nowMs();
    }
    void finish() override { m_s.calls << QStringLiteral("pairing.finish"); }

private:
    ScriptedRadioScript& m_s;
    qint64 m_windowMs = 0;
};

} // namespace

std::unique_ptr<RadioHost> ScriptedRadioFactory::createHost() {
    m_script.calls << QStringLiteral("host.create");
    return std::make_unique<ScriptedHost>();
}

std::unique_ptr<RadioLink> ScriptedRadioFactory::createLink() {
    m_script.calls << QStringLiteral("link.create");
    return std::make_unique<ScriptedLink>(m_script);
}

std::unique_ptr<RadioBaseStation> ScriptedRadioFactory::createBaseStation() {
    m_script.calls << QStringLiteral("station.create");
    return std::make_unique<ScriptedBaseStation>(m_script);
}

std::unique_ptr<RadioPairing> ScriptedRadioFactory::createPairing() {
    m_script.calls << QStringLiteral("pairing.create");
    return std::make_unique<ScriptedPairing>(m_script);
}

void ScriptedRadioScript::refuseIfAsked(const QString& operation) const {
    if (refusedOperation == operation) {
        throw RadioRefusedError(operation, QStringLiteral("refused by the script"));
    }
}
