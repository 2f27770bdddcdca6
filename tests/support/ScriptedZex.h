#pragma once

#include "device/ZEX.h"

#include <QHash>
#include <QList>
#include <QPair>
#include <QSet>
#include <QStringList>

// A ZEX module kept in a table by member name, for tests of code above the drivers: a read
// returns the table's value (empty when it has none), a write lands in the table and is
// recorded, an operation is recorded. By-name access goes through the catalogue as in the real
// drivers. A member in failingNames fails when used: it leaves the table alone and sets the error
// state, which (like the radio link's error code) each later call sets or clears again, or (like
// the serial driver) stays pending until ResetError when pendingErrors is set.
class ScriptedZex : public ZEX {
public:
    QHash<QString, DeviceValue> values; // by the member's own spelling: "Damp", "LINX1"
    QList<QPair<QString, DeviceValue>> writes;
    QStringList calls; // "get NAME", "set NAME", "call NAME" in order
    QSet<QString> failingNames;
    // Members that raise ConversionError when used, as a driver does for a value it cannot take.
    QSet<QString> refusingNames;
    bool isRadio = true;
    bool pendingErrors = false;

    void Initialise() override { call("Initialise"); }
    void OpenInterface() override { call("OpenInterface"); }
    void CloseInterface() override { call("CloseInterface"); }

#define SCRIPTED_READ(NAME)                                                                        \
    DeviceValue NAME() override {                                                                  \
        return read(QStringLiteral(#NAME));                                                        \
    }
#define SCRIPTED_READ_WRITE(NAME)                                                                  \
    SCRIPTED_READ(NAME)                                                                            \
    void NAME(const DeviceValue& value) override {                                                 \
        write(QStringLiteral(#NAME), value);                                                       \
    }
#define SCRIPTED_OPERATION(NAME)                                                                   \
    void NAME() override {                                                                         \
        call(QStringLiteral(#NAME));                                                               \
    }

    SCRIPTED_READ_WRITE(CHANNEL)
    SCRIPTED_READ_WRITE(BOUNDID)
    SCRIPTED_READ_WRITE(BOUNDTAG)
    SCRIPTED_READ_WRITE(DOWAKE)
    SCRIPTED_READ(BATTV)
    SCRIPTED_READ(VERS)
    SCRIPTED_READ(RMVV)
    SCRIPTED_READ(UMVV)
    SCRIPTED_READ(MVV)
    SCRIPTED_READ(GROSS)
    SCRIPTED_READ(NET)
    SCRIPTED_READ(PEAKG)
    SCRIPTED_READ(PEAKN)
    SCRIPTED_READ(TARE)
    SCRIPTED_READ_WRITE(PTARE)
    SCRIPTED_READ_WRITE(SYSZERO)
    SCRIPTED_READ_WRITE(FGAIN)
    SCRIPTED_READ_WRITE(FOFFS)
    SCRIPTED_READ_WRITE(FGB9)
    SCRIPTED_READ_WRITE(FGB3)
    SCRIPTED_READ_WRITE(ALARM)
    SCRIPTED_READ_WRITE(TTYPE)
    SCRIPTED_READ_WRITE(DP)
    SCRIPTED_READ_WRITE(ZERO)
    SCRIPTED_READ_WRITE(Damp)
    SCRIPTED_READ_WRITE(THRESH)
    SCRIPTED_READ_WRITE(RESOL)
    SCRIPTED_READ_WRITE(OFFAUTO)
    SCRIPTED_READ_WRITE(SENS)
    SCRIPTED_READ_WRITE(STAT)
    SCRIPTED_READ_WRITE(Gain)
    SCRIPTED_READ_WRITE(OFFS)
    SCRIPTED_READ_WRITE(CMVVLO)
    SCRIPTED_READ_WRITE(CMVVHI)
    SCRIPTED_READ_WRITE(CENGLO)
    SCRIPTED_READ_WRITE(CENGHI)
    SCRIPTED_READ_WRITE(CALCNT)
    SCRIPTED_READ_WRITE(POZ)
    SCRIPTED_READ_WRITE(LINP)
    SCRIPTED_READ_WRITE(OVERLOAD)
    SCRIPTED_READ_WRITE(OVRLOD)
    SCRIPTED_READ_WRITE(OVRRNG)
    SCRIPTED_READ_WRITE(SLAVE)
    SCRIPTED_READ(Status)
    SCRIPTED_READ(VALUE)
    SCRIPTED_READ_WRITE(BAUD)
    SCRIPTED_READ_WRITE(NetMode)
    SCRIPTED_READ_WRITE(HoldMode)
    SCRIPTED_READ_WRITE(UnitMode)
    SCRIPTED_READ(DISPLAY)
    SCRIPTED_OPERATION(RST)
    SCRIPTED_OPERATION(DOCALLO)
    SCRIPTED_OPERATION(DOCALHI)
    SCRIPTED_OPERATION(DOKEYPWR)
    SCRIPTED_OPERATION(DOKEYTAR)
    SCRIPTED_OPERATION(DOKEYUNI)
    SCRIPTED_OPERATION(DOKEYHLD)
    SCRIPTED_OPERATION(DOOFF)
    SCRIPTED_OPERATION(RSTOVRLOD)
    SCRIPTED_OPERATION(RSTOVRRNG)
    SCRIPTED_OPERATION(WAKE)
    SCRIPTED_OPERATION(SAVE)
    SCRIPTED_OPERATION(KEEPAWAKE)
    SCRIPTED_READ_WRITE(SERIALNUMBER)
    SCRIPTED_READ_WRITE(PeakMode)

#undef SCRIPTED_READ
#undef SCRIPTED_READ_WRITE
#undef SCRIPTED_OPERATION

    DeviceValue LINX(int index) override {
        return read(numbered("LINX", index));
    }
    void LINX(int index, const DeviceValue& value) override {
        write(numbered("LINX", index), value);
    }
    DeviceValue LINK(int index) override {
        return read(numbered("LINK", index));
    }
    void LINK(int index, const DeviceValue& value) override {
        write(numbered("LINK", index), value);
    }
    DeviceValue REM(int index) override {
        return read(numbered("REM", index));
    }
    void REMK(const DeviceValue& value) override {
        write(QStringLiteral("REMK"), value);
    }
    void EasyAll(DeviceValue&, DeviceValue&, DeviceValue&, DeviceValue&, DeviceValue&, DeviceValue&,
                 DeviceValue&) override {
        call(QStringLiteral("EasyAll"));
    }

    void ErrorState(bool) override {}
    bool ErrorState() override {
        return m_error;
    }
    void ResetError() override {
        m_error = false;
    }
    QString ErrorDescription() override {
        return m_error ? QStringLiteral("No Response") : QString();
    }
    void DriverStation(quint8) override {}
    bool IsR58() override {
        return isRadio;
    }

    DeviceValue GetByName(const QString& name) override;
    DeviceValue LetByName(const QString& name, const DeviceValue& value) override;
    DeviceValue MethodByName(const QString& name) override;

private:
    static QString numbered(const char* stem, int index) {
        return QLatin1String(stem) + QString::number(index);
    }
    // True when the member fails this time; sets or clears the error state as the link would.
    bool failsNow(const QString& name);
    DeviceValue read(const QString& name);
    void write(const QString& name, const DeviceValue& value);
    void call(const QString& name);

    bool m_error = false;
};
