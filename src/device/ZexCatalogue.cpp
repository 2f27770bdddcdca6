#include "device/ZexCatalogue.h"

#include "device/DeviceErrors.h"
#include "device/ZEX.h"

#include <QHash>

namespace ZexCatalogue {
namespace {

constexpr Slot operation(const char* name, void (*call)(ZEX&)) {
    return Slot{name, SlotAccess::Operation, nullptr, nullptr, call};
}
constexpr Slot reader(const char* name, DeviceValue (*read)(ZEX&)) {
    return Slot{name, SlotAccess::Read, read, nullptr, nullptr};
}
constexpr Slot writer(const char* name, void (*write)(ZEX&, const DeviceValue&)) {
    return Slot{name, SlotAccess::Write, nullptr, write, nullptr};
}
constexpr Slot function(const char* name) {
    return Slot{name, SlotAccess::Function, nullptr, nullptr, nullptr};
}

const std::array<Slot, SlotCount> kSlots = {{
    operation("Initialise", [](ZEX& z) { z.Initialise(); }),
    operation("OpenInterface", [](ZEX& z) { z.OpenInterface(); }),
    operation("CloseInterface", [](ZEX& z) { z.CloseInterface(); }),
    reader("CHANNEL", [](ZEX& z) { return z.CHANNEL(); }),
    writer("CHANNEL", [](ZEX& z, const DeviceValue& v) { z.CHANNEL(v); }),
    reader("BOUNDID", [](ZEX& z) { return z.BOUNDID(); }),
    writer("BOUNDID", [](ZEX& z, const DeviceValue& v) { z.BOUNDID(v); }),
    reader("BOUNDTAG", [](ZEX& z) { return z.BOUNDTAG(); }),
    writer("BOUNDTAG", [](ZEX& z, const DeviceValue& v) { z.BOUNDTAG(v); }),
    reader("DOWAKE", [](ZEX& z) { return z.DOWAKE(); }),
    writer("DOWAKE", [](ZEX& z, const DeviceValue& v) { z.DOWAKE(v); }),
    reader("BATTV", [](ZEX& z) { return z.BATTV(); }),
    reader("VERS", [](ZEX& z) { return z.VERS(); }),
    reader("RMVV", [](ZEX& z) { return z.RMVV(); }),
    reader("UMVV", [](ZEX& z) { return z.UMVV(); }),
    reader("MVV", [](ZEX& z) { return z.MVV(); }),
    reader("GROSS", [](ZEX& z) { return z.GROSS(); }),
    reader("NET", [](ZEX& z) { return z.NET(); }),
    reader("PEAKG", [](ZEX& z) { return z.PEAKG(); }),
    reader("PEAKN", [](ZEX& z) { return z.PEAKN(); }),
    reader("TARE", [](ZEX& z) { return z.TARE(); }),
    reader("PTARE", [](ZEX& z) { return z.PTARE(); }),
    writer("PTARE", [](ZEX& z, const DeviceValue& v) { z.PTARE(v); }),
    reader("SYSZERO", [](ZEX& z) { return z.SYSZERO(); }),
    writer("SYSZERO", [](ZEX& z, const DeviceValue& v) { z.SYSZERO(v); }),
    reader("FGAIN", [](ZEX& z) { return z.FGAIN(); }),
    writer("FGAIN", [](ZEX& z, const DeviceValue& v) { z.FGAIN(v); }),
    reader("FOFFS", [](ZEX& z) { return z.FOFFS(); }),
    writer("FOFFS", [](ZEX& z, const DeviceValue& v) { z.FOFFS(v); }),
    reader("FGB9", [](ZEX& z) { return z.FGB9(); }),
    writer("FGB9", [](ZEX& z, const DeviceValue& v) { z.FGB9(v); }),
    reader("FGB3", [](ZEX& z) { return z.FGB3(); }),
    writer("FGB3", [](ZEX& z, const DeviceValue& v) { z.FGB3(v); }),
    reader("ALARM", [](ZEX& z) { return z.ALARM(); }),
    writer("ALARM", [](ZEX& z, const DeviceValue& v) { z.ALARM(v); }),
    reader("TTYPE", [](ZEX& z) { return z.TTYPE(); }),
    writer("TTYPE", [](ZEX& z, const DeviceValue& v) { z.TTYPE(v); }),
    reader("DP", [](ZEX& z) { return z.DP(); }),
    writer("DP", [](ZEX& z, const DeviceValue& v) { z.DP(v); }),
    reader("ZERO", [](ZEX& z) { return z.ZERO(); }),
    writer("ZERO", [](ZEX& z, const DeviceValue& v) { z.ZERO(v); }),
    reader("Damp", [](ZEX& z) { return z.Damp(); }),
    writer("Damp", [](ZEX& z, const DeviceValue& v) { z.Damp(v); }),
    reader("THRESH", [](ZEX& z) { return z.THRESH(); }),
    writer("THRESH", [](ZEX& z, const DeviceValue& v) { z.THRESH(v); }),
    reader("RESOL", [](ZEX& z) { return z.RESOL(); }),
    writer("RESOL", [](ZEX& z, const DeviceValue& v) { z.RESOL(v); }),
    reader("OFFAUTO", [](ZEX& z) { return z.OFFAUTO(); }),
    writer("OFFAUTO", [](ZEX& z, const DeviceValue& v) { z.OFFAUTO(v); }),
    reader("SENS", [](ZEX& z) { return z.SENS(); }),
    writer("SENS", [](ZEX& z, const DeviceValue& v) { z.SENS(v); }),
    reader("STAT", [](ZEX& z) { return z.STAT(); }),
    writer("STAT", [](ZEX& z, const DeviceValue& v) { z.STAT(v); }),
    reader("Gain", [](ZEX& z) { return z.Gain(); }),
    writer("Gain", [](ZEX& z, const DeviceValue& v) { z.Gain(v); }),
    reader("OFFS", [](ZEX& z) { return z.OFFS(); }),
    writer("OFFS", [](ZEX& z, const DeviceValue& v) { z.OFFS(v); }),
    reader("CMVVLO", [](ZEX& z) { return z.CMVVLO(); }),
    writer("CMVVLO", [](ZEX& z, const DeviceValue& v) { z.CMVVLO(v); }),
    reader("CMVVHI", [](ZEX& z) { return z.CMVVHI(); }),
    writer("CMVVHI", [](ZEX& z, const DeviceValue& v) { z.CMVVHI(v); }),
    reader("CENGLO", [](ZEX& z) { return z.CENGLO(); }),
    writer("CENGLO", [](ZEX& z, const DeviceValue& v) { z.CENGLO(v); }),
    reader("CENGHI", [](ZEX& z) { return z.CENGHI(); }),
    writer("CENGHI", [](ZEX& z, const DeviceValue& v) { z.CENGHI(v); }),
    reader("CALCNT", [](ZEX& z) { return z.CALCNT(); }),
    writer("CALCNT", [](ZEX& z, const DeviceValue& v) { z.CALCNT(v); }),
    reader("POZ", [](ZEX& z) { return z.POZ(); }),
    writer("POZ", [](ZEX& z, const DeviceValue& v) { z.POZ(v); }),
    reader("LINP", [](ZEX& z) { return z.LINP(); }),
    writer("LINP", [](ZEX& z, const DeviceValue& v) { z.LINP(v); }),
    reader("LINX1", [](ZEX& z) { return z.LINX(1); }),
    writer("LINX1", [](ZEX& z, const DeviceValue& v) { z.LINX(1, v); }),
    reader("LINX2", [](ZEX& z) { return z.LINX(2); }),
    writer("LINX2", [](ZEX& z, const DeviceValue& v) { z.LINX(2, v); }),
    reader("LINX3", [](ZEX& z) { return z.LINX(3); }),
    writer("LINX3", [](ZEX& z, const DeviceValue& v) { z.LINX(3, v); }),
    reader("LINX4", [](ZEX& z) { return z.LINX(4); }),
    writer("LINX4", [](ZEX& z, const DeviceValue& v) { z.LINX(4, v); }),
    reader("LINX5", [](ZEX& z) { return z.LINX(5); }),
    writer("LINX5", [](ZEX& z, const DeviceValue& v) { z.LINX(5, v); }),
    reader("LINX6", [](ZEX& z) { return z.LINX(6); }),
    writer("LINX6", [](ZEX& z, const DeviceValue& v) { z.LINX(6, v); }),
    reader("LINK1", [](ZEX& z) { return z.LINK(1); }),
    writer("LINK1", [](ZEX& z, const DeviceValue& v) { z.LINK(1, v); }),
    reader("LINK2", [](ZEX& z) { return z.LINK(2); }),
    writer("LINK2", [](ZEX& z, const DeviceValue& v) { z.LINK(2, v); }),
    reader("LINK3", [](ZEX& z) { return z.LINK(3); }),
    writer("LINK3", [](ZEX& z, const DeviceValue& v) { z.LINK(3, v); }),
    reader("LINK4", [](ZEX& z) { return z.LINK(4); }),
    writer("LINK4", [](ZEX& z, const DeviceValue& v) { z.LINK(4, v); }),
    reader("LINK5", [](ZEX& z) { return z.LINK(5); }),
    writer("LINK5", [](ZEX& z, const DeviceValue& v) { z.LINK(5, v); }),
    reader("LINK6", [](ZEX& z) { return z.LINK(6); }),
    writer("LINK6", [](ZEX& z, const DeviceValue& v) { z.LINK(6, v); }),
    reader("OVERLOAD", [](ZEX& z) { return z.OVERLOAD(); }),
    writer("OVERLOAD", [](ZEX& z, const DeviceValue& v) { z.OVERLOAD(v); }),
    reader("OVRLOD", [](ZEX& z) { return z.OVRLOD(); }),
    writer("OVRLOD", [](ZEX& z, const DeviceValue& v) { z.OVRLOD(v); }),
    reader("OVRRNG", [](ZEX& z) { return z.OVRRNG(); }),
    writer("OVRRNG", [](ZEX& z, const DeviceValue& v) { z.OVRRNG(v); }),
    reader("REM1", [](ZEX& z) { return z.REM(1); }),
    reader("REM2", [](ZEX& z) { return z.REM(2); }),
    reader("REM3", [](ZEX& z) { return z.REM(3); }),
    reader("REM4", [](ZEX& z) { return z.REM(4); }),
    reader("REM5", [](ZEX& z) { return z.REM(5); }),
    writer("REMK", [](ZEX& z, const DeviceValue& v) { z.REMK(v); }),
    reader("SLAVE", [](ZEX& z) { return z.SLAVE(); }),
    writer("SLAVE", [](ZEX& z, const DeviceValue& v) { z.SLAVE(v); }),
    reader("Status", [](ZEX& z) { return z.Status(); }),
    reader("VALUE", [](ZEX& z) { return z.VALUE(); }),
    reader("BAUD", [](ZEX& z) { return z.BAUD(); }),
    writer("BAUD", [](ZEX& z, const DeviceValue& v) { z.BAUD(v); }),
    writer("NetMode", [](ZEX& z, const DeviceValue& v) { z.NetMode(v); }),
    reader("NetMode", [](ZEX& z) { return z.NetMode(); }),
    writer("HoldMode", [](ZEX& z, const DeviceValue& v) { z.HoldMode(v); }),
    reader("HoldMode", [](ZEX& z) { return z.HoldMode(); }),
    writer("UnitMode", [](ZEX& z, const DeviceValue& v) { z.UnitMode(v); }),
    reader("UnitMode", [](ZEX& z) { return z.UnitMode(); }),
    reader("DISPLAY", [](ZEX& z) { return z.DISPLAY(); }),
    operation("EasyAll",
              [](ZEX& z) {
                  DeviceValue display, places, units, battLow, peak, net, overload;
                  z.EasyAll(display, places, units, battLow, peak, net, overload);
              }),
    operation("RST", [](ZEX& z) { z.RST(); }),
    operation("DOCALLO", [](ZEX& z) { z.DOCALLO(); }),
    operation("DOCALHI", [](ZEX& z) { z.DOCALHI(); }),
    operation("DOKEYPWR", [](ZEX& z) { z.DOKEYPWR(); }),
    operation("DOKEYTAR", [](ZEX& z) { z.DOKEYTAR(); }),
    operation("DOKEYUNI", [](ZEX& z) { z.DOKEYUNI(); }),
    operation("DOKEYHLD", [](ZEX& z) { z.DOKEYHLD(); }),
    operation("DOOFF", [](ZEX& z) { z.DOOFF(); }),
    operation("RSTOVRLOD", [](ZEX& z) { z.RSTOVRLOD(); }),
    operation("RSTOVRRNG", [](ZEX& z) { z.RSTOVRRNG(); }),
    writer("ErrorState", [](ZEX& z, const DeviceValue& v) { z.ErrorState(v.toBool()); }),
    reader("ErrorState", [](ZEX& z) { return DeviceValue(z.ErrorState()); }),
    operation("ResetError", [](ZEX& z) { z.ResetError(); }),
    operation("WAKE", [](ZEX& z) { z.WAKE(); }),
    operation("SAVE", [](ZEX& z) { z.SAVE(); }),
    reader("SERIALNUMBER", [](ZEX& z) { return z.SERIALNUMBER(); }),
    writer("SERIALNUMBER", [](ZEX& z, const DeviceValue& v) { z.SERIALNUMBER(v); }),
    function("GetByName"),
    function("LetByName"),
    function("MethodByName"),
    operation("KEEPAWAKE", [](ZEX& z) { z.KEEPAWAKE(); }),
    reader("ErrorDescription", [](ZEX& z) { return DeviceValue(z.ErrorDescription()); }),
    writer("DriverStation",
           [](ZEX& z, const DeviceValue& v) {
               const qint64 station = v.toWhole();
               if (station < 0 || station > 255) {
                   throw ConversionError(QStringLiteral("station %1 is not a byte").arg(station));
               }
               z.DriverStation(quint8(station));
           }),
    reader("IsR58", [](ZEX& z) { return DeviceValue(z.IsR58()); }),
    reader("PeakMode", [](ZEX& z) { return z.PeakMode(); }),
    writer("PeakMode", [](ZEX& z, const DeviceValue& v) { z.PeakMode(v); }),
}};

struct Member {
    const Slot* read = nullptr;
    const Slot* write = nullptr;
    const Slot* operation = nullptr;
    const Slot* function = nullptr;
};

const QHash<QString, Member>& membersByLowerName() {
    static const QHash<QString, Member> members = [] {
        QHash<QString, Member> byName;
        for (const Slot& slot : kSlots) {
            Member& member = byName[QString::fromLatin1(slot.name).toLower()];
            switch (slot.access) {
            case SlotAccess::Read:
                member.read = &slot;
                break;
            case SlotAccess::Write:
                member.write = &slot;
                break;
            case SlotAccess::Operation:
                member.operation = &slot;
                break;
            case SlotAccess::Function:
                member.function = &slot;
                break;
            }
        }
        return byName;
    }();
    return members;
}

const Member* lookUp(const QString& name) {
    const auto& members = membersByLowerName();
    const auto found = members.constFind(name.toLower());
    return found == members.constEnd() ? nullptr : &found.value();
}

const Member& findMember(const QString& name) {
    const Member* member = lookUp(name);
    if (!member) {
        throw UnknownMemberError(name, QStringLiteral("\"%1\" is not a member of ZEX").arg(name));
    }
    return *member;
}

} // namespace

const std::array<Slot, SlotCount>& Slots() {
    return kSlots;
}

QStringList MemberNames() {
    QStringList names;
    for (const Slot& slot : kSlots) {
        const QString name = QString::fromLatin1(slot.name);
        if (!names.contains(name)) {
            names.append(name);
        }
    }
    return names;
}

QString CanonicalName(const QString& name) {
    const Member& member = findMember(name);
    for (const Slot* slot : {member.read, member.write, member.operation, member.function}) {
        if (slot) {
            return QString::fromLatin1(slot->name);
        }
    }
    return name;
}

bool IsReadable(const QString& name) {
    const Member* member = lookUp(name);
    return member && member->read;
}

bool IsWritable(const QString& name) {
    const Member* member = lookUp(name);
    return member && member->write;
}

bool IsOperation(const QString& name) {
    const Member* member = lookUp(name);
    return member && member->operation;
}

DeviceValue GetByName(ZEX& device, const QString& name) {
    const Member& member = findMember(name);
    if (!member.read) {
        throw UnknownMemberError(name,
                                 QStringLiteral("ZEX member \"%1\" cannot be read").arg(name));
    }
    return member.read->read(device);
}

DeviceValue LetByName(ZEX& device, const QString& name, const DeviceValue& value) {
    const Member& member = findMember(name);
    if (!member.write) {
        throw UnknownMemberError(name,
                                 QStringLiteral("ZEX member \"%1\" cannot be written").arg(name));
    }
    member.write->write(device, value);
    return DeviceValue();
}

DeviceValue MethodByName(ZEX& device, const QString& name) {
    const Member& member = findMember(name);
    if (!member.operation) {
        throw UnknownMemberError(name,
                                 QStringLiteral("ZEX member \"%1\" is not an operation").arg(name));
    }
    member.operation->call(device);
    return DeviceValue();
}

} // namespace ZexCatalogue
