#include "radio/R58Class.h"

#include "device/DeviceErrors.h"
#include "device/StatusWord.h"
#include "device/ZexCatalogue.h"
#include "radio/RadioErrorCodes.h"
#include "radio/RadioLink.h"
#include "radio/RadioRefusedError.h"

#include <limits>

namespace {

qint64 wholeInRange(const DeviceValue& value, qint64 lowest, qint64 highest, const char* what) {
    const qint64 whole = value.toWhole(); // rounds half to even: 2.6 becomes 3, 2.5 becomes 2
    if (whole < lowest || whole > highest) {
        throw ConversionError(QStringLiteral("%1 does not fit %2 (%3 to %4)")
                                  .arg(value.toText(), QLatin1String(what))
                                  .arg(lowest)
                                  .arg(highest));
    }
    return whole;
}

} // namespace

R58Class::R58Class(std::shared_ptr<RadioLink> link)
    : m_link(std::move(link)) {
    if (!m_link) {
        throw DeviceError(QStringLiteral("R58Class needs a radio link"));
    }
}

DeviceValue R58Class::ToLinkForm(RadioParameter parameter, const DeviceValue& value) {
    using Form = RadioParameters::Form;
    switch (RadioParameters::Describe(parameter).form) {
    case Form::Byte:
        return DeviceValue(wholeInRange(value, 0, 255, "a byte"));
    case Form::Whole16:
        return DeviceValue(wholeInRange(value, 0, 65535, "a 16-bit number"));
    case Form::Whole32:
        return DeviceValue(wholeInRange(value, std::numeric_limits<qint32>::min(),
                                        std::numeric_limits<qint32>::max(), "a 32-bit number"));
    case Form::Single:
        return DeviceValue(value.toSingle());
    case Form::Serial:
        return DeviceValue(
            wholeInRange(value, 0, std::numeric_limits<quint32>::max(), "a serial number"));
    }
    return value;
}

DeviceValue R58Class::read(RadioParameter parameter) {
    return m_link->readParameter(parameter);
}

void R58Class::write(RadioParameter parameter, const DeviceValue& value) {
    m_link->writeParameter(parameter, ToLinkForm(parameter, value));
}

void R58Class::DOWAKE(const DeviceValue& v) {
    // Read as a 16-bit number, written as a flag.
    m_link->writeParameter(RadioParameter::DOWAKE, DeviceValue(v.toBool()));
}

DeviceValue R58Class::UnitMode() {
    const qint64 status = Status().toWhole();
    return DeviceValue(StatusWord::UnitModeOf(status));
}

void R58Class::EasyAll(DeviceValue& ActualDisplay, DeviceValue& DPlaces, DeviceValue& Units,
                       DeviceValue& BattLow, DeviceValue& PEAK, DeviceValue& NET,
                       DeviceValue& OVERLOAD) {
    // Nothing reads the status word for this call, so it decodes a word of 0.
    StatusWord::Decode(0, DeviceValue(QString()), ActualDisplay, DPlaces, Units, BattLow, PEAK, NET,
                       OVERLOAD);
}

void R58Class::RST() {
    m_link->reset();
}

void R58Class::SAVE() {
    m_link->save();
}

bool R58Class::ErrorState() {
    return m_link->errorCode() != RadioErrorCodes::None;
}

QString R58Class::ErrorDescription() {
    return RadioErrorCodes::Describe(m_link->errorCode());
}

void R58Class::SERIALNUMBER(const DeviceValue&) {
    throw RadioRefusedError(QStringLiteral("writing SERIALNUMBER"),
                            QStringLiteral("a radio module's serial number can only be read"));
}

DeviceValue R58Class::GetByName(const QString& name) {
    return ZexCatalogue::GetByName(*this, name);
}

DeviceValue R58Class::LetByName(const QString& name, const DeviceValue& value) {
    return ZexCatalogue::LetByName(*this, name, value);
}

DeviceValue R58Class::MethodByName(const QString& name) {
    return ZexCatalogue::MethodByName(*this, name);
}
