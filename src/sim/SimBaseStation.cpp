#include "sim/SimBaseStation.h"

#include "sim/RadioReachableModule.h"
#include "util/MonotonicClock.h"

#include <QStringList>
#include <algorithm>

namespace {

// A pairing window is what the caller asks for, within reason.
constexpr qint32 LongestPairingSeconds = 60;

QString hex(quint32 id) {
    return QString::number(id, 16).toUpper();
}

} // namespace

SimBaseStation::SimBaseStation(BaseStationConfig config, MonotonicClock& clock)
    : m_config(config)
    , m_clock(clock)
    , m_random(config.seed) {
    m_config.channel = quint8(std::clamp<int>(m_config.channel, 1, 16));
}

SimBaseStation::~SimBaseStation() = default;

bool SimBaseStation::addModule(std::unique_ptr<RadioReachableModule> module) {
    std::lock_guard lock(m_mutex);
    if (!module || find(module->radioId())) {
        return false;
    }
    module->setPoweredUpHandler([this](quint32 id) { heardPowerUp(id); });
    m_modules.push_back(std::move(module));
    return true;
}

bool SimBaseStation::isAttached() const {
    std::lock_guard lock(m_mutex);
    return m_config.attached;
}

quint32 SimBaseStation::id() const {
    std::lock_guard lock(m_mutex);
    return m_config.id;
}

quint8 SimBaseStation::channel() const {
    std::lock_guard lock(m_mutex);
    return m_config.channel;
}

bool SimBaseStation::stageChannel(int channel) {
    std::lock_guard lock(m_mutex);
    if (!m_config.attached || channel < 1 || channel > 16) {
        return false;
    }
    m_stagedChannel = quint8(channel);
    return true;
}

bool SimBaseStation::commitChannel() {
    std::lock_guard lock(m_mutex);
    if (!m_config.attached || !m_stagedChannel) {
        return false;
    }
    m_config.channel = *m_stagedChannel;
    m_stagedChannel.reset();
    return true;
}

qint32 SimBaseStation::startPairing(int handle, qint32 seconds) {
    std::lock_guard lock(m_mutex);
    if (!m_config.attached) {
        m_sessions[handle] = Session{0, PairingNoBaseStation, 0};
        return PairingNoBaseStation;
    }
    const qint64 windowMs = qint64(std::clamp(seconds, 1, LongestPairingSeconds)) * 1000;
    m_sessions[handle] = Session{m_clock.nowMs() + windowMs, PairingListening, 0};
    return PairingListening;
}

qint32 SimBaseStation::pairingStatus(int handle) {
    std::lock_guard lock(m_mutex);
    expireSessions();
    const auto found = m_sessions.constFind(handle);
    return found == m_sessions.constEnd() ? PairingNotStarted : found->status;
}

quint32 SimBaseStation::pairedId(int handle) {
    std::lock_guard lock(m_mutex);
    expireSessions();
    return m_sessions.value(handle).pairedId;
}

void SimBaseStation::finishPairing(int handle) {
    std::lock_guard lock(m_mutex);
    m_sessions.remove(handle);
}

SimBaseStation::Answer SimBaseStation::modelNameOf(quint32 moduleId) {
    std::lock_guard lock(m_mutex);
    Answer answer;
    if (RadioReachableModule* module = reach(moduleId, answer)) {
        answer.text = module->modelName();
    }
    answer.code = Ok; // pairing learns only whether a name came
    return answer;
}

SimBaseStation::Answer SimBaseStation::modelName(quint32 moduleId) {
    std::lock_guard lock(m_mutex);
    Answer answer;
    if (RadioReachableModule* module = reach(moduleId, answer)) {
        answer.text = module->modelName();
    }
    return answer;
}

SimBaseStation::Answer SimBaseStation::read(quint32 moduleId, const QString& name) {
    std::lock_guard lock(m_mutex);
    Answer answer;
    if (RadioReachableModule* module = reach(moduleId, answer)) {
        const std::optional<double> value = module->parameter(name);
        if (value) {
            answer.value = *value;
        } else {
            answer.code = Refused;
        }
    }
    return answer;
}

SimBaseStation::Answer SimBaseStation::write(quint32 moduleId, const QString& name, double value) {
    std::lock_guard lock(m_mutex);
    Answer answer;
    if (RadioReachableModule* module = reach(moduleId, answer)) {
        if (!module->setParameter(name, value)) {
            answer.code = Refused;
        }
    }
    return answer;
}

SimBaseStation::Answer SimBaseStation::save(quint32 moduleId) {
    std::lock_guard lock(m_mutex);
    Answer answer;
    if (RadioReachableModule* module = reach(moduleId, answer)) {
        module->save();
    }
    return answer;
}

SimBaseStation::Answer SimBaseStation::reset(quint32 moduleId) {
    std::lock_guard lock(m_mutex);
    Answer answer;
    if (RadioReachableModule* module = reach(moduleId, answer)) {
        module->reset();
    }
    return answer;
}

bool SimBaseStation::powerUp(quint32 moduleId) {
    std::lock_guard lock(m_mutex);
    RadioReachableModule* module = find(moduleId);
    if (module) {
        module->powerUp(); // announces itself: heardPowerUp
    }
    return module;
}

bool SimBaseStation::powerDown(quint32 moduleId) {
    std::lock_guard lock(m_mutex);
    RadioReachableModule* module = find(moduleId);
    if (module) {
        module->powerDown();
    }
    return module;
}

bool SimBaseStation::withModule(quint32 moduleId,
                                const std::function<void(RadioReachableModule&)>& function) {
    std::lock_guard lock(m_mutex);
    RadioReachableModule* module = find(moduleId);
    if (module) {
        function(*module);
    }
    return module;
}

QString SimBaseStation::describe() {
    std::lock_guard lock(m_mutex);
    QStringList lines;
    if (m_config.attached) {
        lines << QStringLiteral("base station %1 on channel %2")
                     .arg(hex(m_config.id))
                     .arg(m_config.channel);
    } else {
        lines << QStringLiteral("no base station attached");
    }
    expireSessions();
    for (const Session& session : std::as_const(m_sessions)) {
        if (session.status == PairingListening) {
            lines << QStringLiteral("pairing is listening");
            break;
        }
    }
    for (const auto& module : m_modules) {
        lines << QStringLiteral("radio module %1: %2 on channel %3, %4")
                     .arg(hex(module->radioId()), module->modelName())
                     .arg(module->channel())
                     .arg(!module->isPoweredUp()  ? QStringLiteral("powered down")
                          : module->isReachable() ? QStringLiteral("powered up")
                                                  : QStringLiteral("starting up"));
    }
    return lines.join(QLatin1Char('\n'));
}

RadioReachableModule* SimBaseStation::find(quint32 moduleId) const {
    for (const auto& module : m_modules) {
        if (module->radioId() == moduleId) {
            return module.get();
        }
    }
    return nullptr;
}

RadioReachableModule* SimBaseStation::reach(quint32 moduleId, Answer& answer) {
    if (!m_config.attached) {
        answer.code = NoBaseStation;
        return nullptr;
    }
    RadioReachableModule* module = find(moduleId);
    if (!module || !module->isReachable() || module->channel() != m_config.channel) {
        answer.code = NoResponse;
        return nullptr;
    }
    answer.code = Ok;
    const auto plan = m_faults.find(moduleId);
    const std::optional<FaultPlan::Kind> fault =
        plan == m_faults.end() ? std::nullopt : plan->draw(m_random);
    if (fault == FaultPlan::Kind::Silence) {
        answer.code = NoResponse;
        return nullptr;
    }
    if (fault == FaultPlan::Kind::Nak) {
        answer.code = Refused;
        return nullptr;
    }
    if (fault == FaultPlan::Kind::Delay) {
        answer.delayMs = m_faultDelayMs;
    }
    return module;
}

QList<FaultPlan::Kind> SimBaseStation::RadioFaultKinds() {
    // The base station makes sense of what arrives by radio: a spoilt frame is no answer at all.
    return {FaultPlan::Kind::Silence, FaultPlan::Kind::Nak, FaultPlan::Kind::Delay};
}

bool SimBaseStation::addFault(quint32 moduleId, const FaultPlan::Rule& rule) {
    std::lock_guard lock(m_mutex);
    if (!find(moduleId) || !RadioFaultKinds().contains(rule.kind)) {
        return false;
    }
    m_faults[moduleId].add(rule);
    return true;
}

void SimBaseStation::clearFaults(std::optional<quint32> moduleId) {
    std::lock_guard lock(m_mutex);
    if (moduleId) {
        m_faults.remove(*moduleId);
    } else {
        m_faults.clear();
    }
}

void SimBaseStation::setFaultDelayMs(int ms) {
    std::lock_guard lock(m_mutex);
    m_faultDelayMs = ms;
}

int SimBaseStation::faultDelayMs() const {
    std::lock_guard lock(m_mutex);
    return m_faultDelayMs;
}

QString SimBaseStation::describeFaults() {
    std::lock_guard lock(m_mutex);
    QStringList lines;
    for (const auto& module : m_modules) {
        const auto plan = m_faults.constFind(module->radioId());
        if (plan == m_faults.constEnd()) {
            continue;
        }
        for (const FaultPlan::Rule& rule : plan->rules()) {
            lines << QStringLiteral("radio module %1: %2")
                         .arg(hex(module->radioId()), FaultPlan::Describe(rule, m_faultDelayMs));
        }
    }
    return lines.join(QLatin1Char('\n'));
}

void SimBaseStation::expireSessions() {
    const qint64 now = m_clock.nowMs();
    for (Session& session : m_sessions) {
        if (session.status == PairingListening && now >= session.endsAtMs) {
            session.status = PairingTimedOut;
        }
    }
}

void SimBaseStation::heardPowerUp(quint32 moduleId) {
    expireSessions();
    bool joined = false;
    for (Session& session : m_sessions) {
        if (session.status == PairingListening) {
            session.status = PairingSucceeded;
            session.pairedId = moduleId;
            joined = true;
        }
    }
    if (joined) {
        if (RadioReachableModule* module = find(moduleId)) {
            module->joinChannel(m_config.channel);
        }
    }
}
