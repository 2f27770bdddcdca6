#include "sim/BaseStationProtocol.h"

#include "radio/RadioParameters.h"
#include "radio/RadioWireModule.h"
#include "sim/SimBaseStation.h"

#include <cmath>
#include <limits>

namespace BaseStationProtocol {
namespace {

using RadioWireModule::EncodeError;
using RadioWireModule::EncodeOk;
using RadioWireModule::EncodeRefused;
using RadioWireModule::Request;
namespace Verb = RadioWireModule::Verb;

bool is(const Request& request, const char* verb, int argumentCount) {
    return request.verb == QLatin1String(verb) && request.arguments.size() == argumentCount;
}

std::optional<quint32> unsignedArgument(const QString& text) {
    const std::optional<qint64> value = RadioWireModule::ParseWhole(text);
    if (!value || *value < 0 || *value > std::numeric_limits<quint32>::max()) {
        return std::nullopt;
    }
    return quint32(*value);
}

QByteArray answer(quint32 sequence, const SimBaseStation::Answer& result, const QString& payload) {
    return result.code == SimBaseStation::Ok ? EncodeOk(sequence, payload)
                                             : EncodeError(sequence, result.code);
}

// A module's answer, as late as the module gives it.
Response fromModule(const QByteArray& bytes, const SimBaseStation::Answer& result) {
    return Response{bytes, false, result.delayMs};
}

QByteArray valueText(quint32 sequence, const SimBaseStation::Answer& result,
                     RadioParameters::Form form) {
    if (result.code != SimBaseStation::Ok) {
        return EncodeError(sequence, result.code);
    }
    if (form == RadioParameters::Form::Single) {
        return EncodeOk(sequence, QString::number(double(float(result.value)), 'g', 9));
    }
    return EncodeOk(sequence, QString::number(qint64(std::llround(result.value))));
}

Response refuse(quint32 sequence, const QString& reason, bool closeAfter = false) {
    return Response{EncodeRefused(sequence, reason), closeAfter};
}

Response linkRequest(SimBaseStation& station, const Request& request) {
    const quint32 sequence = request.sequence;
    const std::optional<quint32> id =
        request.arguments.isEmpty() ? std::nullopt : unsignedArgument(request.arguments[0]);
    if (!id) {
        return refuse(sequence, QStringLiteral("a module ID must be a whole number"));
    }
    if (is(request, Verb::LinkModel, 1)) {
        const SimBaseStation::Answer result = station.modelName(*id);
        return fromModule(answer(sequence, result, result.text), result);
    }
    if (is(request, Verb::LinkSave, 1)) {
        const SimBaseStation::Answer result = station.save(*id);
        return fromModule(answer(sequence, result, QString()), result);
    }
    if (is(request, Verb::LinkReset, 1)) {
        const SimBaseStation::Answer result = station.reset(*id);
        return fromModule(answer(sequence, result, QString()), result);
    }
    const bool isGet = is(request, Verb::LinkGet, 2);
    const bool isSet = is(request, Verb::LinkSet, 3);
    if (!isGet && !isSet) {
        return refuse(sequence, QStringLiteral("unknown request or wrong number of arguments"));
    }
    const std::optional<RadioParameter> parameter = RadioParameters::FromName(request.arguments[1]);
    if (!parameter) {
        return refuse(sequence,
                      QStringLiteral("no radio parameter is called ") + request.arguments[1]);
    }
    const RadioParameters::Info& info = RadioParameters::Describe(*parameter);
    if (isGet) {
        const SimBaseStation::Answer result = station.read(*id, request.arguments[1]);
        return fromModule(valueText(sequence, result, info.form), result);
    }
    if (!info.writable) {
        return refuse(sequence, request.arguments[1] + QStringLiteral(" can only be read"));
    }
    const std::optional<DeviceValue> value =
        RadioWireModule::DecodeValue(request.arguments[2], info.form);
    if (!value) {
        return refuse(sequence, QStringLiteral("\"%1\" is not a value for %2")
                                    .arg(request.arguments[2], request.arguments[1]));
    }
    const SimBaseStation::Answer result =
        station.write(*id, request.arguments[1], value->toDouble());
    return fromModule(answer(sequence, result, QString()), result);
}

Response baseStationRequest(SimBaseStation& station, const Request& request) {
    const quint32 sequence = request.sequence;
    const SimBaseStation::Answer noBaseStation{SimBaseStation::NoBaseStation, 0, {}};
    const bool attached = station.isAttached();
    if (is(request, Verb::BaseStationOpen, 0)) {
        return Response{EncodeOk(sequence, attached ? QStringLiteral("1") : QStringLiteral("0"))};
    }
    if (is(request, Verb::BaseStationId, 0)) {
        return Response{attached ? EncodeOk(sequence, QString::number(station.id()))
                                 : answer(sequence, noBaseStation, {})};
    }
    if (is(request, Verb::BaseStationChannel, 0)) {
        return Response{attached ? EncodeOk(sequence, QString::number(station.channel()))
                                 : answer(sequence, noBaseStation, {})};
    }
    if (is(request, Verb::BaseStationSetChannel, 1)) {
        const std::optional<qint64> channel = RadioWireModule::ParseWhole(request.arguments[0]);
        if (!channel || *channel < 0 || *channel > 255) {
            return refuse(sequence, QStringLiteral("a channel is a byte"));
        }
        if (station.stageChannel(int(*channel))) {
            return Response{EncodeOk(sequence)};
        }
        return Response{EncodeError(sequence, attached ? SimBaseStation::Refused
                                                       : SimBaseStation::NoBaseStation)};
    }
    if (is(request, Verb::BaseStationCommit, 0)) {
        if (station.commitChannel()) {
            return Response{EncodeOk(sequence)};
        }
        return Response{EncodeError(sequence, attached ? SimBaseStation::Refused
                                                       : SimBaseStation::NoBaseStation)};
    }
    if (is(request, Verb::BaseStationClose, 0)) {
        return Response{EncodeOk(sequence)};
    }
    return refuse(sequence, QStringLiteral("unknown request or wrong number of arguments"));
}

Response pairingRequest(SimBaseStation& station, int handle, const Request& request) {
    const quint32 sequence = request.sequence;
    if (is(request, Verb::PairStart, 4)) {
        const auto mode = RadioWireModule::ParseWhole(request.arguments[0]);
        const auto seconds = RadioWireModule::ParseWhole(request.arguments[3]);
        const auto isFlag = [](const QString& text) {
            return text == QLatin1String("0") || text == QLatin1String("1");
        };
        if (!mode || !seconds || *seconds < 0 || *seconds > 3600 || !isFlag(request.arguments[1]) ||
            !isFlag(request.arguments[2])) {
            return refuse(sequence, QStringLiteral("pairing takes a mode, two flags and seconds"));
        }
        return Response{
            EncodeOk(sequence, QString::number(station.startPairing(handle, qint32(*seconds))))};
    }
    if (is(request, Verb::PairStatus, 0)) {
        return Response{EncodeOk(sequence, QString::number(station.pairingStatus(handle)))};
    }
    if (is(request, Verb::PairId, 0)) {
        return Response{EncodeOk(sequence, QString::number(station.pairedId(handle)))};
    }
    if (is(request, Verb::PairFinish, 0)) {
        station.finishPairing(handle);
        return Response{EncodeOk(sequence)};
    }
    const bool isModel = is(request, Verb::PairModel, 2);
    const bool isAddress = is(request, Verb::PairAddress, 2);
    if (!isModel && !isAddress) {
        return refuse(sequence, QStringLiteral("unknown request or wrong number of arguments"));
    }
    const std::optional<quint32> id = unsignedArgument(request.arguments[1]);
    if (!RadioWireModule::ParseWhole(request.arguments[0]) || !id) {
        return refuse(sequence, QStringLiteral("a mode and a module ID are whole numbers"));
    }
    if (isModel) {
        const SimBaseStation::Answer result = station.modelNameOf(*id);
        return fromModule(EncodeOk(sequence, result.text), result);
    }
    // Addressing only prepares contact; whether the module answers shows on the link.
    return Response{station.isAttached() ? EncodeOk(sequence)
                                         : EncodeError(sequence, SimBaseStation::NoBaseStation)};
}

} // namespace

Response Answer(SimBaseStation& station, int handle, bool& greeted, const QByteArray& line) {
    const std::optional<Request> request = RadioWireModule::DecodeRequest(line);
    if (!request) {
        return refuse(0, QStringLiteral("malformed request"), true);
    }
    const QString magic = QString::fromLatin1(RadioWireModule::Magic);
    const QString version = QString::number(RadioWireModule::ProtocolVersion);
    if (request->verb == QLatin1String(Verb::Hello)) {
        if (request->arguments == QStringList{magic, version}) {
            greeted = true;
            return Response{EncodeOk(request->sequence, magic + QLatin1Char(' ') + version)};
        }
        return refuse(request->sequence,
                      QStringLiteral("this base station speaks %1 %2 only").arg(magic, version),
                      true);
    }
    if (!greeted) {
        return refuse(request->sequence, QStringLiteral("greet with HELLO first"), true);
    }
    if (request->verb.startsWith(QLatin1String("LINK."))) {
        return linkRequest(station, *request);
    }
    if (request->verb.startsWith(QLatin1String("BS."))) {
        return baseStationRequest(station, *request);
    }
    if (request->verb.startsWith(QLatin1String("PAIR."))) {
        return pairingRequest(station, handle, *request);
    }
    return refuse(request->sequence, QStringLiteral("unknown request ") + request->verb);
}

} // namespace BaseStationProtocol
