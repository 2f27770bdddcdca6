#pragma once

#include "device/DeviceValue.h"
#include "radio/RadioFactory.h"
#include "radio/RadioParameters.h"

#include <QHash>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

class ManualClock;

// What scripted radio objects answer and what they were asked, shared by every object one
// ScriptedRadioFactory makes, so a test can look after the objects are gone. Times are on the
// manual clock, from the moment pairing starts or the module is addressed.
struct ScriptedRadioScript {
    explicit ScriptedRadioScript(ManualClock& clock)
        : clock(clock) {}
    ManualClock& clock;
    QStringList calls; // "pairing.finish", "link.read GROSS", "station.setChannel 7" ...

    bool interfacePresent = true;
    QList<bool> openAnswers; // one per open(); then openDefault
    bool openDefault = true;
    quint32 baseStationId = 0x12AB;
    quint8 baseStationChannel = 3;
    qint32 errorFlagAfterClose = 0;

    qint64 pairsAfterMs = -1;     // -1: no module powers up
    qint32 statusAfterWindow = 1; // the status once the window has passed without a module
    bool statusStuck = false;     // the status never leaves 99
    quint32 pairedId = 0x1A2B;
    QString pairedModel = QStringLiteral("ZEX");
    qint64 modelKnownAfterMs = 0; // after pairing; -1: never
    qint64 pairingStartedAt = -1;

    // The link: error code 2 ("No response") until the module answers.
    qint64 linkAnswersAfterMs = 0; // from addressing; -1: never
    qint64 addressedAt = 0;
    QString linkModel = QStringLiteral("ZEX");
    int emptyModelAnswers = 0; // the first answers of a module that answers: "" without an error
    qint32 errorCode = 0;
    QHash<RadioParameter, DeviceValue> values;
    QList<QPair<RadioParameter, DeviceValue>> writes;
    quint32 target = 0;
    bool linkClosed = false;

    // Raises RadioRefusedError when called: "pairing.openInterface", "pairing.start",
    // "pairing.status", "pairing.modelNameOfId", "pairing.address", "link.modelName" or
    // "station.setChannel".
    QString refusedOperation;

    int count(const QString& call) const { return int(calls.count(call)); }
    void refuseIfAsked(const QString& operation) const;
};

class ScriptedRadioFactory : public RadioFactory {
public:
    explicit ScriptedRadioFactory(ScriptedRadioScript& script)
        : m_script(script) {}

    std::unique_ptr<RadioHost> createHost() override;
    std::unique_ptr<RadioLink> createLink() override;
    std::unique_ptr<RadioBaseStation> createBaseStation() override;
    std::unique_ptr<RadioPairing> createPairing() override;

private:
    ScriptedRadioScript& m_script;
};
