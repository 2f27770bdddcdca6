#pragma once

#include <QString>
#include <QtGlobal>

class RadioSupport;
struct RadioUi;

// The radio connection procedures the Home page runs: pairing with a module that is being
// powered up, connecting to a module by its typed ID, and setting the base station's channel.
// They talk to the user only through RadioUi. On success the new R58Class is the current device;
// on any other outcome, a refused radio call included, the radio link is left aimed at the module
// it was aimed at before (the current device's) and no notice stays open. Every wait is on the
// radio support's monotonic clock; none is unbounded.
namespace RadioProcedures {

enum class Outcome {
    Connected,          // a supported module is now the current device
    NotSupported,       // a module answered with a model this toolkit does not support
    PairingFailed,      // pairing ended without a module, or Escape
    IdentificationLost, // paired, but the model name never arrived
    CannotDetect,       // manual connection: no module answered
    InvalidId,          // manual connection: the typed ID names no module; nothing was done
};

struct Result {
    Outcome outcome = Outcome::PairingFailed;
    quint32 moduleId = 0;
    QString model;
    QString problem; // for InvalidId: why the ID was not usable
};

inline constexpr qint32 PairingSeconds = 10;
// How long past the pairing window the status may stay "pairing" before we stop waiting.
inline constexpr qint64 PairingGraceMs = 3000;
inline constexpr qint64 PairingPollMs = 50;
inline constexpr qint64 IdentifyLimitMs = 8000;
inline constexpr qint64 IdentifyPauseMs = 300;
inline constexpr qint64 ManualLimitMs = 15000;
inline constexpr qint64 ManualPauseMs = 400;
inline constexpr qint64 EscapePollMs = 50;
inline constexpr qint64 ChannelSettleMs = 1000;
inline constexpr int LowestChannel = 1;
inline constexpr int HighestChannel = 16;

Result Pair(RadioSupport& radio, const RadioUi& ui);
// typedId: the ID field's text (1 to 6 hexadecimal digits).
Result DoManualConnection(RadioSupport& radio, const RadioUi& ui, const QString& typedId);

struct ChannelResult {
    bool succeeded = false;
    QString problem; // a channel outside 1 to 16, or the base station's refusal
};
ChannelResult SetBaseStationChannel(RadioSupport& radio, const RadioUi& ui, int channel);
// Opens a base-station object, reads its channel and releases it (0 when none answers).
quint8 ReadBaseStationChannel(RadioSupport& radio);

// "Connected to ZEX of ID 1A2B on channel 5".
QString ConnectedText(const QString& model, quint32 moduleId, const QString& channel);

} // namespace RadioProcedures
