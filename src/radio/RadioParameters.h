#pragma once

#include <QString>
#include <optional>

// The module parameters a radio link carries, and the form each travels in. The names are the
// device members they serve (and the names on the simulated base station's wire).
enum class RadioParameter {
    CHANNEL,
    BOUNDID,
    BOUNDTAG,
    DOWAKE,
    BATTV,
    VERS,
    GROSS,
    NET,
    PEAKG,
    PEAKN,
    TARE,
    VALUE,
    PTARE,
    SYSZERO,
    ALARM,
    ZERO,
    THRESH,
    SENS,
    CENGHI,
    POZ,
    OVERLOAD,
    OVRLOD,
    OVRRNG,
    TTYPE,
    DP,
    RESOL,
    Damp,
    OFFAUTO,
    PeakMode,
    Status,
    SERIALNUMBER,
};

namespace RadioParameters {

// How a value travels. Reads deliver exactly this form; writes take it.
enum class Form {
    Byte,    // whole number 0 to 255
    Whole16, // whole number 0 to 65535 (DOWAKE as read; it is written as a flag)
    Whole32, // signed 32-bit whole number
    Single,  // single-precision float
    Serial,  // unsigned 32-bit whole number, read only
};

struct Info {
    RadioParameter parameter;
    const char* name;
    Form form;
    bool writable;
};

inline constexpr int Count = int(RadioParameter::SERIALNUMBER) + 1;

const Info& Describe(RadioParameter parameter);
QString Name(RadioParameter parameter);
// Exact spelling only: the wire is not a place for guessing.
std::optional<RadioParameter> FromName(const QString& name);

} // namespace RadioParameters
