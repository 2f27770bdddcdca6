#include "radio/RadioParameters.h"

#include <array>

namespace RadioParameters {
namespace {

using P = RadioParameter;

constexpr std::array<Info, Count> kTable = {{
    {P::CHANNEL, "CHANNEL", Form::Byte, true},
    {P::BOUNDID, "BOUNDID", Form::Whole32, true},
    {P::BOUNDTAG, "BOUNDTAG", Form::Whole32, true},
    {P::DOWAKE, "DOWAKE", Form::Whole16, true},
    {P::BATTV, "BATTV", Form::Single, false},
    {P::VERS, "VERS", Form::Single, false},
    {P::GROSS, "GROSS", Form::Single, false},
    {P::NET, "NET", Form::Single, false},
    {P::PEAKG, "PEAKG", Form::Single, false},
    {P::PEAKN, "PEAKN", Form::Single, false},
    {P::TARE, "TARE", Form::Single, false},
    {P::VALUE, "VALUE", Form::Single, false},
    {P::PTARE, "PTARE", Form::Single, true},
    {P::SYSZERO, "SYSZERO", Form::Single, true},
    {P::ALARM, "ALARM", Form::Single, true},
    {P::ZERO, "ZERO", Form::Single, true},
    {P::THRESH, "THRESH", Form::Single, true},
    {P::SENS, "SENS", Form::Single, true},
    {P::CENGHI, "CENGHI", Form::Single, true},
    {P::POZ, "POZ", Form::Single, true},
    {P::OVERLOAD, "OVERLOAD", Form::Single, true},
    {P::OVRLOD, "OVRLOD", Form::Single, true},
    {P::OVRRNG, "OVRRNG", Form::Single, true},
    {P::TTYPE, "TTYPE", Form::Byte, true},
    {P::DP, "DP", Form::Byte, true},
    {P::RESOL, "RESOL", Form::Byte, true},
    {P::Damp, "Damp", Form::Byte, true},
    {P::OFFAUTO, "OFFAUTO", Form::Byte, true},
    {P::PeakMode, "PeakMode", Form::Byte, true},
    {P::Status, "Status", Form::Whole32, false},
    {P::SERIALNUMBER, "SERIALNUMBER", Form::Serial, false},
}};

static_assert([] {
    for (int i = 0; i < Count; ++i) {
        if (int(kTable[size_t(i)].parameter) != i) {
            return false;
        }
    }
    return true;
}());

} // namespace

const Info& Describe(RadioParameter parameter) {
    return kTable[size_t(parameter)];
}

QString Name(RadioParameter parameter) {
    return QString::fromLatin1(Describe(parameter).name);
}

std::optional<RadioParameter> FromName(const QString& name) {
    for (const Info& info : kTable) {
        if (name == QLatin1String(info.name)) {
            return info.parameter;
        }
    }
    return std::nullopt;
}

} // namespace RadioParameters
