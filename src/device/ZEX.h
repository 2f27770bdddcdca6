#pragma once

#include "device/DeviceValue.h"

#include <QString>

// The device interface: one connected ZEX module, whatever the link. Members are the module's
// own mnemonics, declared in the interface's slot order (ZexCatalogue holds the same order with
// each slot's name and access). A read that a driver does not support returns an empty value,
// a write it does not support is ignored. LINX, LINK and REM are numbered members (LINX1 ...
// LINX6); here they take their number as an argument.
class ZEX {
public:
    virtual ~ZEX() = default;

    virtual void Initialise() = 0;
    virtual void OpenInterface() = 0;
    virtual void CloseInterface() = 0;
    virtual DeviceValue CHANNEL() = 0;
    virtual void CHANNEL(const DeviceValue& New_CHANNEL) = 0;
    virtual DeviceValue BOUNDID() = 0;
    virtual void BOUNDID(const DeviceValue& New_BOUNDID) = 0;
    virtual DeviceValue BOUNDTAG() = 0;
    virtual void BOUNDTAG(const DeviceValue& New_BOUNDTAG) = 0;
    virtual DeviceValue DOWAKE() = 0;
    virtual void DOWAKE(const DeviceValue& New_DOWAKE) = 0;
    virtual DeviceValue BATTV() = 0;
    virtual DeviceValue VERS() = 0;
    virtual DeviceValue RMVV() = 0;
    virtual DeviceValue UMVV() = 0;
    virtual DeviceValue MVV() = 0;
    virtual DeviceValue GROSS() = 0;
    virtual DeviceValue NET() = 0;
    virtual DeviceValue PEAKG() = 0;
    virtual DeviceValue PEAKN() = 0;
    virtual DeviceValue TARE() = 0;
    virtual DeviceValue PTARE() = 0;
    virtual void PTARE(const DeviceValue& New_PTARE) = 0;
    virtual DeviceValue SYSZERO() = 0;
    virtual void SYSZERO(const DeviceValue& New_SYSZERO) = 0;
    virtual DeviceValue FGAIN() = 0;
    virtual void FGAIN(const DeviceValue& New_FGAIN) = 0;
    virtual DeviceValue FOFFS() = 0;
    virtual void FOFFS(const DeviceValue& New_FOFFS) = 0;
    virtual DeviceValue FGB9() = 0;
    virtual void FGB9(const DeviceValue& New_FGB9) = 0;
    virtual DeviceValue FGB3() = 0;
    virtual void FGB3(const DeviceValue& New_FGB3) = 0;
    virtual DeviceValue ALARM() = 0;
    virtual void ALARM(const DeviceValue& New_ALARM) = 0;
    virtual DeviceValue TTYPE() = 0;
    virtual void TTYPE(const DeviceValue& New_TTYPE) = 0;
    virtual DeviceValue DP() = 0;
    virtual void DP(const DeviceValue& New_DP) = 0;
    virtual DeviceValue ZERO() = 0;
    virtual void ZERO(const DeviceValue& New_ZERO) = 0;
    virtual DeviceValue Damp() = 0;
    virtual void Damp(const DeviceValue& New_Damp) = 0;
    virtual DeviceValue THRESH() = 0;
    virtual void THRESH(const DeviceValue& New_THRESH) = 0;
    virtual DeviceValue RESOL() = 0;
    virtual void RESOL(const DeviceValue& New_RESOL) = 0;
    virtual DeviceValue OFFAUTO() = 0;
    virtual void OFFAUTO(const DeviceValue& New_OFFAUTO) = 0;
    virtual DeviceValue SENS() = 0;
    virtual void SENS(const DeviceValue& New_SENS) = 0;
    virtual DeviceValue STAT() = 0;
    virtual void STAT(const DeviceValue& New_STAT) = 0;
    virtual DeviceValue Gain() = 0;
    virtual void Gain(const DeviceValue& New_Gain) = 0;
    virtual DeviceValue OFFS() = 0;
    virtual void OFFS(const DeviceValue& New_OFFS) = 0;
    virtual DeviceValue CMVVLO() = 0;
    virtual void CMVVLO(const DeviceValue& New_CMVVLO) = 0;
    virtual DeviceValue CMVVHI() = 0;
    virtual void CMVVHI(const DeviceValue& New_CMVVHI) = 0;
    virtual DeviceValue CENGLO() = 0;
    virtual void CENGLO(const DeviceValue& New_CENGLO) = 0;
    virtual DeviceValue CENGHI() = 0;
    virtual void CENGHI(const DeviceValue& New_CENGHI) = 0;
    virtual DeviceValue CALCNT() = 0;
    virtual void CALCNT(const DeviceValue& New_CALCNT) = 0;
    virtual DeviceValue POZ() = 0;
    virtual void POZ(const DeviceValue& New_POZ) = 0;
    virtual DeviceValue LINP() = 0;
    virtual void LINP(const DeviceValue& New_LINP) = 0;
    virtual DeviceValue LINX(int index) = 0;
    virtual void LINX(int index, const DeviceValue& New_LINX) = 0;
    virtual DeviceValue LINK(int index) = 0;
    virtual void LINK(int index, const DeviceValue& New_LINK) = 0;
    virtual DeviceValue OVERLOAD() = 0;
    virtual void OVERLOAD(const DeviceValue& New_OVERLOAD) = 0;
    virtual DeviceValue OVRLOD() = 0;
    virtual void OVRLOD(const DeviceValue& New_OVRLOD) = 0;
    virtual DeviceValue OVRRNG() = 0;
    virtual void OVRRNG(const DeviceValue& New_OVRRNG) = 0;
    virtual DeviceValue REM(int index) = 0;
    virtual void REMK(const DeviceValue& New_REMK) = 0;
    virtual DeviceValue SLAVE() = 0;
    virtual void SLAVE(const DeviceValue& New_SLAVE) = 0;
    virtual DeviceValue Status() = 0;
    virtual DeviceValue VALUE() = 0;
    virtual DeviceValue BAUD() = 0;
    virtual void BAUD(const DeviceValue& New_BAUD) = 0;
    virtual void NetMode(const DeviceValue& New_NetMode) = 0;
    virtual DeviceValue NetMode() = 0;
    virtual void HoldMode(const DeviceValue& New_HoldMode) = 0;
    virtual DeviceValue HoldMode() = 0;
    virtual void UnitMode(const DeviceValue& New_UnitMode) = 0;
    virtual DeviceValue UnitMode() = 0;
    virtual DeviceValue DISPLAY() = 0;
    // Decodes a status word into its seven parts; see the drivers for where the word comes from.
    virtual void EasyAll(DeviceValue& ActualDisplay, DeviceValue& DPlaces, DeviceValue& Units,
                         DeviceValue& BattLow, DeviceValue& PEAK, DeviceValue& NET,
                         DeviceValue& OVERLOAD) = 0;
    virtual void RST() = 0;
    virtual void DOCALLO() = 0;
    virtual void DOCALHI() = 0;
    virtual void DOKEYPWR() = 0;
    virtual void DOKEYTAR() = 0;
    virtual void DOKEYUNI() = 0;
    virtual void DOKEYHLD() = 0;
    virtual void DOOFF() = 0;
    virtual void RSTOVRLOD() = 0;
    virtual void RSTOVRRNG() = 0;
    // Writing ErrorState has no effect on any driver; the slot exists for the interface's shape.
    virtual void ErrorState(bool New_ErrorState) = 0;
    virtual bool ErrorState() = 0;
    virtual void ResetError() = 0;
    virtual void WAKE() = 0;
    virtual void SAVE() = 0;
    virtual DeviceValue SERIALNUMBER() = 0;
    virtual void SERIALNUMBER(const DeviceValue& New_SERIALNUMBER) = 0;
    // Access by the member's name, matched without regard to case. An unknown name, or a member
    // used the wrong way, raises UnknownMemberError; link failures stay in ErrorState.
    virtual DeviceValue GetByName(const QString& name) = 0;
    virtual DeviceValue LetByName(const QString& name, const DeviceValue& value) = 0;
    virtual DeviceValue MethodByName(const QString& name) = 0;
    virtual void KEEPAWAKE() = 0;
    virtual QString ErrorDescription() = 0;
    virtual void DriverStation(quint8 New_DriverStation) = 0;
    virtual bool IsR58() = 0;
    virtual DeviceValue PeakMode() = 0;
    virtual void PeakMode(const DeviceValue& New_PeakMode) = 0;
};
