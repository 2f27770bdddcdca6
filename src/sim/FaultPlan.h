#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

class QRandomGenerator;

// Faults a module (or the whole bus) puts on its replies: always, with a probability, or for the
// next N frames addressed to it. Rules are tried in the order they were added; the first that
// fires decides the frame.
class FaultPlan {
public:
    enum class Kind {
        Silence,      // the frame is not heard: no effect, no reply
        Nak,          // the frame is refused (station, 0x15) and has no effect
        BadChecksum,  // a read reply's checksum is wrong; an ACK/NAK's code byte is spoiled
        WrongStation, // the reply carries the next station number
        Garbage,      // random bytes instead of the reply, never starting with the station
        ShortReply,   // only the first half of the reply
        LongReply,    // one byte too many
        Delay,        // the reply comes delayMs late
    };
    enum class Mode { Always, Probability, NextFrames };

    struct Rule {
        Kind kind = Kind::Silence;
        Mode mode = Mode::Always;
        double probability = 1.0; // Mode::Probability
        int remaining = 0;        // Mode::NextFrames
    };

    void add(const Rule& rule) { m_rules.append(rule); }
    void clear() { m_rules.clear(); }
    bool isEmpty() const { return m_rules.isEmpty(); }
    const QList<Rule>& rules() const { return m_rules; }

    // The fault for one frame, if any; uses up one of a "next N frames" rule's frames.
    std::optional<Kind> draw(QRandomGenerator& random);

    int delayMs() const { return m_delayMs; }
    void setDelayMs(int ms) { m_delayMs = ms; }

    // A rule from the words "KIND [always | PROBABILITY | next N]" (the console's, after
    // "fault"), for one of these kinds; nullopt with the reason in *problem.
    static std::optional<Rule> ParseRule(const QStringList& words, const QList<Kind>& kinds,
                                         QString* problem);
    static QList<Kind> AllKinds();
    static QString KindName(Kind kind);
    static std::optional<Kind> KindFromName(const QString& name);
    static QStringList KindNames();
    // "nak always", "silence with probability 0.25", "delay for the next 3 frames (1500 ms)".
    static QString Describe(const Rule& rule, int delayMs);

private:
    QList<Rule> m_rules;
    int m_delayMs = 1500;
};
