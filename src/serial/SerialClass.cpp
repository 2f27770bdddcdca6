#include "serial/SerialClass.h"

#include "device/DeviceErrors.h"
#include "device/StatusWord.h"
#include "device/ZexCatalogue.h"
#include "serial/Zarnbus2Module.h"
#include "util/MonotonicClock.h"

#include <QCoreApplication>
#include <algorithm>
#include <cmath>

namespace {

constexpr double SerialNumberLimit = 4294967295.0;
constexpr double HalfWord = 65536.0;
// System zero arrived with firmware 1.08.
constexpr double FirstFirmwareWithSystemZero = 1.08;
constexpr qint64 ResetSettleMs = 1000;
constexpr int UnitKeyAttempts = 4;

quint8 numberedParameter(int index, quint8 first, int count, const char* member) {
    if (index < 1 || index > count) {
        throw DeviceError(
            QStringLiteral("%1%2 is not a ZEX member").arg(QLatin1String(member)).arg(index));
    }
    return quint8(first + index - 1);
}

// A reply's value as a whole number. Whatever passes the checksum arrives, NaN or 1e38 too; such
// a value counts as 0 instead of going through a conversion whose result is undefined.
qint64 wholeOf(double value) {
    return std::isfinite(value) && std::abs(value) < 9.0e18 ? qint64(value) : 0;
}

qint64 statusBits(float status) {
    return wholeOf(std::nearbyint(double(status)));
}

} // namespace

SerialClass::SerialClass(Zarnbus2Link& link)
    : m_link(link) {}

void SerialClass::PWrite(quint8 command, float value) {
    Zarnbus2Module::ZarnbusTransaction(m_link, m_station, false, command, false, value,
                                       TimeoutSeconds, m_retryCounter, MaxRetries, 0.0f);
    m_errorDescription = m_link.PendingErrorText;
}

void SerialClass::PCommand(quint8 command) {
    Zarnbus2Module::ZarnbusTransaction(m_link, m_station, false, command, true, 0.0f,
                                       TimeoutSeconds, m_retryCounter, MaxRetries, 0.0f);
    m_errorDescription = m_link.PendingErrorText;
}

DeviceValue SerialClass::PRead(quint8 command, float lastValue) {
    const DeviceValue result =
        Zarnbus2Module::ZarnbusTransaction(m_link, m_station, true, command, false, 0.0f,
                                           TimeoutSeconds, m_retryCounter, MaxRetries, lastValue);
    m_errorDescription = m_link.PendingErrorText;
    return result;
}

DeviceValue SerialClass::readMember(quint8 parameter) {
    float& cached = m_parameterCache[parameter];
    cached = PRead(parameter, cached).toSingle();
    return DeviceValue(cached);
}

void SerialClass::writeMember(quint8 parameter, const DeviceValue& value) {
    PWrite(parameter, value.toSingle());
}

DeviceValue SerialClass::SYSZERO() {
    // The firmware version is compared as the decimal text it reads as, so 1.08 itself counts.
    const double version = VERS().toText().toDouble();
    if (version < FirstFirmwareWithSystemZero) {
        return DeviceValue(QStringLiteral("Not supported!"));
    }
    return readMember(ZarnbusNumber::SYSZERO);
}

DeviceValue SerialClass::LINX(int index) {
    return readMember(numberedParameter(index, ZarnbusNumber::LINX1, 6, "LINX"));
}

void SerialClass::LINX(int index, const DeviceValue& v) {
    writeMember(numberedParameter(index, ZarnbusNumber::LINX1, 6, "LINX"), v);
}

DeviceValue SerialClass::LINK(int index) {
    return readMember(numberedParameter(index, ZarnbusNumber::LINK1, 6, "LINK"));
}

void SerialClass::LINK(int index, const DeviceValue& v) {
    writeMember(numberedParameter(index, ZarnbusNumber::LINK1, 6, "LINK"), v);
}

DeviceValue SerialClass::REM(int index) {
    return readMember(numberedParameter(index, ZarnbusNumber::REM1, 5, "REM"));
}

qint64 SerialClass::readStatusInto(float& cacheEntry) {
    cacheEntry = PRead(ZarnbusNumber::Status, cacheEntry).toSingle();
    return statusBits(cacheEntry);
}

void SerialClass::toggleByKey(const DeviceValue& wanted, float& statusCache, qint64 bitValue,
                              quint8 keyCommand) {
    const bool on = wanted.toBool();
    const bool isOn = (readStatusInto(statusCache) & bitValue) == bitValue;
    if (on != isOn) {
        PCommand(keyCommand);
    }
}

void SerialClass::NetMode(const DeviceValue& v) {
    toggleByKey(v, m_netModeStatus, StatusWord::NetBit, ZarnbusNumber::DOKEYTAR);
}

DeviceValue SerialClass::NetMode() {
    return DeviceValue((statusBits(Status().toSingle()) & StatusWord::NetBit) != 0);
}

void SerialClass::HoldMode(const DeviceValue& v) {
    toggleByKey(v, m_holdModeStatus, StatusWord::HoldBit, ZarnbusNumber::DOKEYHLD);
}

DeviceValue SerialClass::HoldMode() {
    return DeviceValue((statusBits(Status().toSingle()) & StatusWord::HoldBit) != 0);
}

void SerialClass::UnitMode(const DeviceValue& v) {
    const qint64 unit = std::clamp<qint64>(v.toWhole(), 0, 3);
    const qint64 target = qint64(16) << unit;
    for (int attempt = 0; attempt < UnitKeyAttempts; ++attempt) {
        if ((statusBits(Status().toSingle()) & target) == target) {
            return;
        }
        PCommand(ZarnbusNumber::DOKEYUNI);
        if (QCoreApplication::instance()) {
            QCoreApplication::processEvents();
        }
    }
}

DeviceValue SerialClass::UnitMode() {
    return DeviceValue(StatusWord::UnitModeOf(statusBits(Status().toSingle())));
}

DeviceValue SerialClass::DISPLAY() {
    QString text;
    for (int index = 1; index <= 4; ++index) {
        // Two characters per register, high byte first; taken as 16 bits so a garbled value
        // cannot make a character code outside a byte.
        const qint64 registerValue = wholeOf(std::floor(double(REM(index).toSingle())));
        const quint16 word = quint16(registerValue & 0xFFFF);
        text.append(QChar(char16_t(word >> 8)));
        if (index < 4) {
            text.append(QChar(char16_t(word & 0xFF)));
        }
    }
    text.remove(QChar(u'\0'));
    return DeviceValue(text);
}

void SerialClass::EasyAll(DeviceValue& ActualDisplay, DeviceValue& DPlaces, DeviceValue& Units,
                          DeviceValue& BattLow, DeviceValue& PEAK, DeviceValue& NET,
                          DeviceValue& OVERLOAD) {
    // Nothing reads the status word for this call, so it decodes a word of 0.
    StatusWord::Decode(0, DeviceValue(QString()), ActualDisplay, DPlaces, Units, BattLow, PEAK, NET,
                       OVERLOAD);
}

void SerialClass::RST() {
    PCommand(ZarnbusNumber::RST);
    // The module restarts; give it a full second before the next frame.
    m_link.clock.waitMs(ResetSettleMs);
}

void SerialClass::ResetError() {
    m_retryCounter = 0;
    m_errorDescription.clear();
    m_link.PendingErrorText.clear();
}

void SerialClass::WAKE() {
    Zarnbus2Module::WakeBus(m_link);
}

DeviceValue SerialClass::SERIALNUMBER() {
    double high = readMember(ZarnbusNumber::SERH).toDouble();
    double low = readMember(ZarnbusNumber::SERL).toDouble();
    // The halves travel as signed 16-bit values.
    if (high < 0) {
        high += HalfWord;
    }
    if (low < 0) {
        low += HalfWord;
    }
    m_serialNumber = high * HalfWord + low;
    return DeviceValue(QStringLiteral("%1").arg(wholeOf(std::nearbyint(m_serialNumber)), 10, 10,
                                                QLatin1Char('0')));
}

void SerialClass::SERIALNUMBER(const DeviceValue& v) {
    const double serial = v.toDouble();
    // A high half above 65535 would wrap on the module; refuse what 32 bits cannot hold.
    if (!(serial >= 0.0 && serial <= SerialNumberLimit)) {
        throw ConversionError(
            QStringLiteral("serial number %1 is outside 0 to 4294967295").arg(v.toText()));
    }
    const double high = std::floor(serial / HalfWord);
    const double low = serial - high * HalfWord;
    PWrite(ZarnbusNumber::FSNL, float(low));
    PWrite(ZarnbusNumber::FSNH, float(high));
}

DeviceValue SerialClass::GetByName(const QString& name) {
    return ZexCatalogue::GetByName(*this, name);
}

DeviceValue SerialClass::LetByName(const QString& name, const DeviceValue& value) {
    return ZexCatalogue::LetByName(*this, name, value);
}

DeviceValue SerialClass::MethodByName(const QString& name) {
    return ZexCatalogue::MethodByName(*this, name);
}
