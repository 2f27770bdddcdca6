#include "sim/FaultPlan.h"

#include <QRandomGenerator>
#include <array>
#include <cmath>
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

std::optional<FaultPlan::Rule> FaultPlan::ParseRule(const QStringList& words,
                                                    const QList<Kind>& kinds, QString* problem) {
    const auto fail = [problem](const QString& reason) {
        if (problem) {
            *problem = reason;
        }
        return std::nullopt;
    };
    const std::optional<Kind> kind = words.isEmpty() ? std::nullopt : KindFromName(words[0]);
    if (!kind || !kinds.contains(*kind)) {
        QStringList names;
        for (const Kind k : kinds) {
            names.append(KindName(k));
        }
        return fail(QStringLiteral("fault needs a kind: %1, or \"clear\"")
                        .arg(names.join(QStringLiteral(", "))));
    }
    Rule rule;
    rule.kind = *kind;
    const QString how = words.value(1, QStringLiteral("always")).toLower();
    bool ok = false;
    if (how == QLatin1String("always") && words.size() <= 2) {
        rule.mode = Mode::Always;
    } else if (how == QLatin1String("next") && words.size() == 3) {
        rule.mode = Mode::NextFrames;
        rule.remaining = words[2].toInt(&ok);
        if (!ok || rule.remaining < 1) {
            return fail(QStringLiteral("\"next\" needs a number of frames of 1 or more"));
        }
    } else if (const double p = how.toDouble(&ok); ok && std::isfinite(p) && words.size() == 2) {
        if (p <= 0.0 || p > 1.0) {
            return fail(QStringLiteral("a probability lies above 0 and at most 1, e.g. 0.25"));
        }
        rule.mode = Mode::Probability;
        rule.probability = p;
    } else {
        return fail(QStringLiteral("say how often: always, a probability such as 0.25, or next N"));
    }
    return rule;
}

QList<FaultPlan::Kind> FaultPlan::AllKinds() {
    QList<Kind> kinds;
    for (const auto& entry : kNames) {
        kinds.append(entry.first);
    }
    return kinds;
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
