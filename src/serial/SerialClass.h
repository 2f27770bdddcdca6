#pragma once

#include "device/ZEX.h"
#include "serial/ZarnbusNumbers.h"

#include <array>

struct Zarnbus2Link;

// A ZEX module on the serial bus. Each parameter is one Zarnbus 2 parameter number, each key or
// calibration step one command number; the serial number, display text, unit/net/hold selection
// and system zero take several transactions. The last value read of every parameter is kept and
// returned while the link is in error, so pages keep showing sensible values.
class SerialClass : public ZEX {
public:
    explicit SerialClass(Zarnbus2Link& link);

    static constexpr float TimeoutSeconds = 1.0f;
    static constexpr qint16 MaxRetries = 2;

    qint16 RetryCounter() const { return m_retryCounter; }
    quint8 station() const { return m_station; }

    void Initialise() override {}
    void OpenInterface() override {}
    void CloseInterface() override {}
    DeviceValue CHANNEL() override { return {}; }
    void CHANNEL(const DeviceValue&) override {}
    DeviceValue BOUNDID() override { return {}; }
    void BOUNDID(const DeviceValue&) override {}
    DeviceValue BOUNDTAG() override { return {}; }
    void BOUNDTAG(const DeviceValue&) override {}
    DeviceValue DOWAKE() override { return {}; }
    void DOWAKE(const DeviceValue&) override {}
    DeviceValue BATTV() override { return readMember(ZarnbusNumber::BATTV); }
    DeviceValue VERS() override { return readMember(ZarnbusNumber::VERS); }
    DeviceValue RMVV() override { return readMember(ZarnbusNumber::RMVV); }
    DeviceValue UMVV() override { return readMember(ZarnbusNumber::UMVV); }
    DeviceValue MVV() override { return readMember(ZarnbusNumber::MVV); }
    DeviceValue GROSS() override { return readMember(ZarnbusNumber::GROSS); }
    DeviceValue NET() override { return readMember(ZarnbusNumber::NET); }
    DeviceValue PEAKG() override { return readMember(ZarnbusNumber::PEAKG); }
    DeviceValue PEAKN() override { return readMember(ZarnbusNumber::PEAKN); }
    DeviceValue TARE() override { return readMember(ZarnbusNumber::TARE); }
    DeviceValue PTARE() override { return readMember(ZarnbusNumber::PTARE); }
    void PTARE(const DeviceValue& v) override { writeMember(ZarnbusNumber::PTARE, v); }
    DeviceValue SYSZERO() override;
    void SYSZERO(const DeviceValue& v) override { writeMember(ZarnbusNumber::SYSZERO, v); }
    DeviceValue FGAIN() override { return readMember(ZarnbusNumber::FGAIN); }
    void FGAIN(const DeviceValue& v) override { writeMember(ZarnbusNumber::FGAIN, v); }
    DeviceValue FOFFS() override { return readMember(ZarnbusNumber::FOFFS); }
    void FOFFS(const DeviceValue& v) override { writeMember(ZarnbusNumber::FOFFS, v); }
    DeviceValue FGB9() override { return readMember(ZarnbusNumber::FGB9); }
    void FGB9(const DeviceValue& v) override { writeMember(ZarnbusNumber::FGB9, v); }
    DeviceValue FGB3() override { return readMember(ZarnbusNumber::FGB3); }
    void FGB3(const DeviceValue& v) override { writeMember(ZarnbusNumber::FGB3, v); }
    DeviceValue ALARM() override { return readMember(ZarnbusNumber::ALARM); }
    void ALARM(const DeviceValue& v) override { writeMember(ZarnbusNumber::ALARM, v); }
    DeviceValue TTYPE() override { return readMember(ZarnbusNumber::TTYPE); }
    void TTYPE(const DeviceValue& v) override { writeMember(ZarnbusNumber::TTYPE, v); }
    DeviceValue DP() override { return readMember(ZarnbusNumber::DP); }
    void DP(const DeviceValue& v) override { writeMember(ZarnbusNumber::DP, v); }
    DeviceValue ZERO() override { return readMember(ZarnbusNumber::ZERO); }
    void ZERO(const DeviceValue& v) override { writeMember(ZarnbusNumber::ZERO, v); }
    DeviceValue Damp() override { return readMember(ZarnbusNumber::Damp); }
    void Damp(const DeviceValue& v) override { writeMember(ZarnbusNumber::Damp, v); }
    DeviceValue THRESH() override { return readMember(ZarnbusNumber::THRESH); }
    void THRESH(const DeviceValue& v) override { writeMember(ZarnbusNumber::THRESH, v); }
    DeviceValue RESOL() override { return readMember(ZarnbusNumber::RESOL); }
    void RESOL(const DeviceValue& v) override { writeMember(ZarnbusNumber::RESOL, v); }
    DeviceValue OFFAUTO() override { return readMember(ZarnbusNumber::OFFAUTO); }
    void OFFAUTO(const DeviceValue& v) override { writeMember(ZarnbusNumber::OFFAUTO, v); }
    DeviceValue SENS() override { return readMember(ZarnbusNumber::SENS); }
    void SENS(const DeviceValue& v) override { writeMember(ZarnbusNumber::SENS, v); }
    DeviceValue STAT() override { return readMember(ZarnbusNumber::STAT); }
    void STAT(const DeviceValue& v) override { writeMember(ZarnbusNumber::STAT, v); }
    DeviceValue Gain() override { return readMember(ZarnbusNumber::Gain); }
    void Gain(const DeviceValue& v) override { writeMember(ZarnbusNumber::Gain, v); }
    DeviceValue OFFS() override { return readMember(ZarnbusNumber::OFFS); }
    void OFFS(const DeviceValue& v) override { writeMember(ZarnbusNumber::OFFS, v); }
    DeviceValue CMVVLO() override { return readMember(ZarnbusNumber::CMVVLO); }
    void CMVVLO(const DeviceValue& v) override { writeMember(ZarnbusNumber::CMVVLO, v); }
    DeviceValue CMVVHI() override { return readMember(ZarnbusNumber::CMVVHI); }
    void CMVVHI(const DeviceValue& v) override { writeMember(ZarnbusNumber::CMVVHI, v); }
    DeviceValue CENGLO() override { return readMember(ZarnbusNumber::CENGLO); }
    void CENGLO(const DeviceValue& v) override { writeMember(ZarnbusNumber::CENGLO, v); }
    DeviceValue CENGHI() override { return readMember(ZarnbusNumber::CENGHI); }
    void CENGHI(const DeviceValue& v) override { writeMember(ZarnbusNumber::CENGHI, v); }
    DeviceValue CALCNT() override { return readMember(ZarnbusNumber::CALCNT); }
    void CALCNT(const DeviceValue& v) override { writeMember(ZarnbusNumber::CALCNT, v); }
    DeviceValue POZ() override { return readMember(ZarnbusNumber::POZ); }
    void POZ(const DeviceValue& v) override { writeMember(ZarnbusNumber::POZ, v); }
    DeviceValue LINP() override { return readMember(ZarnbusNumber::LINP); }
    void LINP(const DeviceValue& v) override { writeMember(ZarnbusNumber::LINP, v); }
    DeviceValue LINX(int index) override;
    void LINX(int index, const DeviceValue& v) override;
    DeviceValue LINK(int index) override;
    void LINK(int index, const DeviceValue& v) override;
    DeviceValue OVERLOAD() override { return readMember(ZarnbusNumber::OVERLOAD); }
    void OVERLOAD(const DeviceValue& v) override { writeMember(ZarnbusNumber::OVERLOAD, v); }
    DeviceValue OVRLOD() override { return readMember(ZarnbusNumber::OVRLOD); }
    void OVRLOD(const DeviceValue& v) override { writeMember(ZarnbusNumber::OVRLOD, v); }
    DeviceValue OVRRNG() override { return readMember(ZarnbusNumber::OVRRNG); }
    void OVRRNG(const DeviceValue& v) override { writeMember(ZarnbusNumber::OVRRNG, v); }
    DeviceValue REM(int index) override;
    void REMK(const DeviceValue& v) override { writeMember(ZarnbusNumber::REMK, v); }
    DeviceValue SLAVE() override { return readMember(ZarnbusNumber::SLAVE); }
    void SLAVE(const DeviceValue& v) override { writeMember(ZarnbusNumber::SLAVE, v); }
    DeviceValue Status() override { return readMember(ZarnbusNumber::Status); }
    DeviceValue VALUE() override { return readMember(ZarnbusNumber::VALUE); }
    DeviceValue BAUD() override { return readMember(ZarnbusNumber::BAUD); }
    void BAUD(const DeviceValue& v) override { writeMember(ZarnbusNumber::BAUD, v); }
    void NetMode(const DeviceValue& v) override;
    DeviceValue NetMode() override;
    void HoldMode(const DeviceValue& v) override;
    DeviceValue HoldMode() override;
    void UnitMode(const DeviceValue& v) override;
    DeviceValue UnitMode() override;
    DeviceValue DISPLAY() override;
    void EasyAll(DeviceValue& ActualDisplay, DeviceValue& DPlaces, DeviceValue& Units,
                 DeviceValue& BattLow, DeviceValue& PEAK, DeviceValue& NET,
                 DeviceValue& OVERLOAD) override;
    void RST() override;
    void DOCALLO() override { PCommand(ZarnbusNumber::DOCALLO); }
    void DOCALHI() override { PCommand(ZarnbusNumber::DOCALHI); }
    void DOKEYPWR() override { PCommand(ZarnbusNumber::DOKEYPWR); }
    void DOKEYTAR() override { PCommand(ZarnbusNumber::DOKEYTAR); }
    void DOKEYUNI() override { PCommand(ZarnbusNumber::DOKEYUNI); }
    void DOKEYHLD() override { PCommand(ZarnbusNumber::DOKEYHLD); }
    void DOOFF() override { PCommand(ZarnbusNumber::DOOFF); }
    void RSTOVRLOD() override {}
    void RSTOVRRNG() override {}
    void ErrorState(bool) override {}
    bool ErrorState() override { return m_retryCounter >= 1; }
    void ResetError() override;
    void WAKE() override;
    void SAVE() override {}
    DeviceValue SERIALNUMBER() override;
    void SERIALNUMBER(const DeviceValue& v) override;
    DeviceValue GetByName(const QString& name) override;
    DeviceValue LetByName(const QString& name, const DeviceValue& value) override;
    DeviceValue MethodByName(const QString& name) override;
    void KEEPAWAKE() override {}
    QString ErrorDescription() override { return m_errorDescription; }
    void DriverStation(quint8 station) override { m_station = station; }
    bool IsR58() override { return false; }
    DeviceValue PeakMode() override { return readMember(ZarnbusNumber::PeakMode); }
    void PeakMode(const DeviceValue& v) override { writeMember(ZarnbusNumber::PeakMode, v); }

private:
    // The three primitives every member is built from; each copies the link's error text.
    void PWrite(quint8 command, float value);
    void PCommand(quint8 command);
    DeviceValue PRead(quint8 command, float lastValue);

    // A read member: the value read (or the last one while the link is in error), kept in the
    // cache.
    DeviceValue readMember(quint8 parameter);
    void writeMember(quint8 parameter, const DeviceValue& value);
    // Status read into a cache entry of its own (the NetMode and HoldMode writes keep theirs).
    qint64 readStatusInto(float& cacheEntry);
    void toggleByKey(const DeviceValue& wanted, float& statusCache, qint64 bitValue,
                     quint8 keyCommand);

    Zarnbus2Link& m_link;
    quint8 m_station = 0;
    qint16 m_retryCounter = 0;
    QString m_errorDescription;

    std::array<float, 128> m_parameterCache{}; // indexed by parameter number
    float m_netModeStatus = 0.0f;
    float m_holdModeStatus = 0.0f;
    double m_serialNumber = 0.0;
};
