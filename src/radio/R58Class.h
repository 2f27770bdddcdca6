#pragma once

#include "device/ZEX.h"
#include "radio/RadioParameters.h"

#include <memory>

class RadioLink;

// A ZEX module reached by radio through the R58 base station. It keeps no state: every supported
// member is one call on the shared radio link, which holds the target module and the error code.
// Members the radio modules do not offer (calibration, linearisation, factory values, keys,
// serial settings) read empty and ignore writes.
class R58Class : public ZEX {
public:
    explicit R58Class(std::shared_ptr<RadioLink> link);

    void Initialise() override {}
    void OpenInterface() override {}
    void CloseInterface() override {}
    DeviceValue CHANNEL() override { return read(RadioParameter::CHANNEL); }
    void CHANNEL(const DeviceValue& v) override { write(RadioParameter::CHANNEL, v); }
    DeviceValue BOUNDID() override { return read(RadioParameter::BOUNDID); }
    void BOUNDID(const DeviceValue& v) override { write(RadioParameter::BOUNDID, v); }
    DeviceValue BOUNDTAG() override { return read(RadioParameter::BOUNDTAG); }
    void BOUNDTAG(const DeviceValue& v) override { write(RadioParameter::BOUNDTAG, v); }
    DeviceValue DOWAKE() override { return read(RadioParameter::DOWAKE); }
    void DOWAKE(const DeviceValue& v) override;
    DeviceValue BATTV() override { return read(RadioParameter::BATTV); }
    DeviceValue VERS() override { return read(RadioParameter::VERS); }
    DeviceValue RMVV() override { return {}; }
    DeviceValue UMVV() override { return {}; }
    DeviceValue MVV() override { return {}; }
    DeviceValue GROSS() override { return read(RadioParameter::GROSS); }
    DeviceValue NET() override { return read(RadioParameter::NET); }
    DeviceValue PEAKG() override { return read(RadioParameter::PEAKG); }
    DeviceValue PEAKN() override { return read(RadioParameter::PEAKN); }
    DeviceValue TARE() override { return read(RadioParameter::TARE); }
    DeviceValue PTARE() override { return read(RadioParameter::PTARE); }
    void PTARE(const DeviceValue& v) override { write(RadioParameter::PTARE, v); }
    DeviceValue SYSZERO() override { return read(RadioParameter::SYSZERO); }
    void SYSZERO(const DeviceValue& v) override { write(RadioParameter::SYSZERO, v); }
    DeviceValue FGAIN() override { return {}; }
    void FGAIN(const DeviceValue&) override {}
    DeviceValue FOFFS() override { return {}; }
    void FOFFS(const DeviceValue&) override {}
    DeviceValue FGB9() override { return {}; }
    void FGB9(const DeviceValue&) override {}
    DeviceValue FGB3() override { return {}; }
    void FGB3(const DeviceValue&) override {}
    DeviceValue ALARM() override { return read(RadioParameter::ALARM); }
    void ALARM(const DeviceValue& v) override { write(RadioParameter::ALARM, v); }
    DeviceValue TTYPE() override { return read(RadioParameter::TTYPE); }
    void TTYPE(const DeviceValue& v) override { write(RadioParameter::TTYPE, v); }
    DeviceValue DP() override { return read(RadioParameter::DP); }
    void DP(const DeviceValue& v) override { write(RadioParameter::DP, v); }
    DeviceValue ZERO() override { return read(RadioParameter::ZERO); }
    void ZERO(const DeviceValue& v) override { write(RadioParameter::ZERO, v); }
    DeviceValue Damp() override { return read(RadioParameter::Damp); }
    void Damp(const DeviceValue& v) override { write(RadioParameter::Damp, v); }
    DeviceValue THRESH() override { return read(RadioParameter::THRESH); }
    void THRESH(const DeviceValue& v) override { write(RadioParameter::THRESH, v); }
    DeviceValue RESOL() override { return read(RadioParameter::RESOL); }
    void RESOL(const DeviceValue& v) override { write(RadioParameter::RESOL, v); }
    DeviceValue OFFAUTO() override { return read(RadioParameter::OFFAUTO); }
    void OFFAUTO(const DeviceValue& v) override { write(RadioParameter::OFFAUTO, v); }
    DeviceValue SENS() override { return read(RadioParameter::SENS); }
    void SENS(const DeviceValue& v) override { write(RadioParameter::SENS, v); }
    DeviceValue STAT() override { return {}; }
    void STAT(const DeviceValue&) override {}
    DeviceValue Gain() override { return {}; }
    void Gain(const DeviceValue&) override {}
    DeviceValue OFFS() override { return {}; }
    void OFFS(const DeviceValue&) override {}
    DeviceValue CMVVLO() override { return {}; }
    void CMVVLO(const DeviceValue&) override {}
    DeviceValue CMVVHI() override { return {}; }
    void CMVVHI(const DeviceValue&) override {}
    DeviceValue CENGLO() override { return {}; }
    void CENGLO(const DeviceValue&) override {}
    DeviceValue CENGHI() override { return read(RadioParameter::CENGHI); }
    void CENGHI(const DeviceValue& v) override { write(RadioParameter::CENGHI, v); }
    DeviceValue CALCNT() override { return {}; }
    void CALCNT(const DeviceValue&) override {}
    DeviceValue POZ() override { return read(RadioParameter::POZ); }
    void POZ(const DeviceValue& v) override { write(RadioParameter::POZ, v); }
    DeviceValue LINP() override { return {}; }
    void LINP(const DeviceValue&) override {}
    DeviceValue LINX(int) override { return {}; }
    void LINX(int, const DeviceValue&) override {}
    DeviceValue LINK(int) override { return {}; }
    void LINK(int, const DeviceValue&) override {}
    DeviceValue OVERLOAD() override { return read(RadioParameter::OVERLOAD); }
    void OVERLOAD(const DeviceValue& v) override { write(RadioParameter::OVERLOAD, v); }
    DeviceValue OVRLOD() override { return read(RadioParameter::OVRLOD); }
    void OVRLOD(const DeviceValue& v) override { write(RadioParameter::OVRLOD, v); }
    DeviceValue OVRRNG() override { return read(RadioParameter::OVRRNG); }
    void OVRRNG(const DeviceValue& v) override { write(RadioParameter::OVRRNG, v); }
    DeviceValue REM(int) override { return {}; }
    void REMK(const DeviceValue&) override {}
    DeviceValue SLAVE() override { return {}; }
    void SLAVE(const DeviceValue&) override {}
    DeviceValue Status() override { return read(RadioParameter::Status); }
    DeviceValue VALUE() override { return read(RadioParameter::VALUE); }
    DeviceValue BAUD() override { return {}; }
    void BAUD(const DeviceValue&) override {}
    // Net, hold and unit selection would press keys the radio modules do not offer.
    void NetMode(const DeviceValue&) override {}
    DeviceValue NetMode() override { return DeviceValue(false); }
    void HoldMode(const DeviceValue&) override {}
    DeviceValue HoldMode() override { return DeviceValue(false); }
    void UnitMode(const DeviceValue&) override {}
    DeviceValue UnitMode() override;
    // The display registers are not offered by radio, so the display reads as "".
    DeviceValue DISPLAY() override { return DeviceValue(QString()); }
    void EasyAll(DeviceValue& ActualDisplay, DeviceValue& DPlaces, DeviceValue& Units,
                 DeviceValue& BattLow, DeviceValue& PEAK, DeviceValue& NET,
                 DeviceValue& OVERLOAD) override;
    void RST() override;
    void DOCALLO() override {}
    void DOCALHI() override {}
    void DOKEYPWR() override {}
    void DOKEYTAR() override {}
    void DOKEYUNI() override {}
    void DOKEYHLD() override {}
    void DOOFF() override {}
    void RSTOVRLOD() override {}
    void RSTOVRRNG() override {}
    void ErrorState(bool) override {}
    bool ErrorState() override;
    // The link's error code belongs to the link; nothing here clears it.
    void ResetError() override {}
    void WAKE() override {}
    void SAVE() override;
    DeviceValue SERIALNUMBER() override { return read(RadioParameter::SERIALNUMBER); }
    // The link offers the serial number for reading only: raises RadioRefusedError.
    void SERIALNUMBER(const DeviceValue& v) override;
    DeviceValue GetByName(const QString& name) override;
    DeviceValue LetByName(const QString& name, const DeviceValue& value) override;
    DeviceValue MethodByName(const QString& name) override;
    void KEEPAWAKE() override {}
    QString ErrorDescription() override;
    void DriverStation(quint8) override {}
    bool IsR58() override { return true; }
    DeviceValue PeakMode() override { return read(RadioParameter::PeakMode); }
    void PeakMode(const DeviceValue& v) override { write(RadioParameter::PeakMode, v); }

    // The caller's value in the form the link takes for this parameter. Raises ConversionError
    // for a value that does not fit (a byte above 255, text that is no number).
    static DeviceValue ToLinkForm(RadioParameter parameter, const DeviceValue& value);

private:
    DeviceValue read(RadioParameter parameter);
    void write(RadioParameter parameter, const DeviceValue& value);

    std::shared_ptr<RadioLink> m_link;
};
