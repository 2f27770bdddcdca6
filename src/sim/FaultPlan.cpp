#include "sim/FaultPlan.h"

#include <QRandomGenerator>
#include <array>
#include <utility>

namespace {

const std::array<std::pair<FaultPlan::Kind, const char*>, 8> kNames = {{
    {FaultPlan::Kind::Silence, "silence"},
    {FaultPlan::Kind::Nak, "nak"},
    {FaultPlan::Kind::BadChecksum, "checksum"},
    {FaultPlan::Kind::WrongStation, "station"},
    {FaultPlan::Kind::Garbage, "garbage"},
    {FaultPlan::Kind::ShortReply, "short"},
    {FaultPlan::Kind::LongReply, "long"},
    {FaultPlan::Kind::Delay, "delay"},
}};

} // namespace

std::optional<FaultPlan::Kind> FaultPlan::draw(QRandomGenerator& random) {
    for (int i = 0; i < m_rules.size(); ++i) {
        Rule& rule = m_rules[i];
        switch (rule.mode) {
        case Mode::Always:
            return rule.kind;
        case Mode::Probability:
            if (random.generateDouble() < rule.probability) {
                return rule.kind;
            }
            break;
        case Mode::NextFrames: {
            const Kind kind = rule.kind;
            if (--rule.remaining <= 0) {
                m_rules.removeAt(i);
            }
            return kind;
        }
        }
    }
    return std::nullopt;
}

QString FaultPlan::KindName(Kind kind) {
    for (const auto& [k, name] : kNames) {
        if (k == kind) {
            return QLatin1String(name);
        }
    }
    return QString();
}

std::optional<FaultPlan::Kind> FaultPlan::KindFromName(const QString& name) {
    for (const auto& [kind, text] : kNames) {
        if (name.compare(QLatin1String(text), Qt::CaseInsensitive) == 0) {
            return kind;
        }
    }
    return std::nullopt;
}

QStringList FaultPlan::KindNames() {
    QStringList names;
    for (const auto& entry : kNames) {
        names.append(QLatin1String(entry.second));
    }
    return names;
}

QString FaultPlan::Describe(const Rule& rule, int delayMs) {
    QString text = KindName(rule.kind);
    switch (rule.mode) {
    case Mode::Always:
        text += QStringLiteral(" always");
        break;
    case Mode::Probability:
        text += QStringLiteral(" with probability %1").arg(rule.probability);
        break;
    case Mode::NextFrames:
        text += QStringLiteral(" for the next %1 frame%2")
                    .arg(rule.remaining)
                    .arg(rule.remaining == 1 ? "" : "s");
        break;
    }
    if (rule.kind == Kind::Delay) {
        text += QStringLiteral(" (%1 ms)").arg(delayMs);
    }
    return text;
}
