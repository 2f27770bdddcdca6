#pragma once

#include "device/DeviceValue.h"

#include <QString>
#include <QStringList>
#include <array>

class ZEX;

// The 147 slots of the device interface in their fixed order, and access to members by name.
// Names match without regard to case ("mvv" reaches MVV, "SerialNumber" reaches SERIALNUMBER);
// only catalogue members are reachable, never a driver's private primitives.
namespace ZexCatalogue {

enum class SlotAccess { Operation, Read, Write, Function };

struct Slot {
    const char* name;
    SlotAccess access;
    DeviceValue (*read)(ZEX&);
    void (*write)(ZEX&, const DeviceValue&);
    void (*call)(ZEX&);
};

inline constexpr int SlotCount = 147;

const std::array<Slot, SlotCount>& Slots();

// Member names in slot order, each once (LINX1 ... LINX6 are six names).
QStringList MemberNames();
// The member's own spelling for a name in any case; raises UnknownMemberError.
QString CanonicalName(const QString& name);
bool IsReadable(const QString& name);
bool IsWritable(const QString& name);
bool IsOperation(const QString& name);

// These raise UnknownMemberError for a name that is no member, or names a member that cannot be
// used that way, and ConversionError for a value the member cannot take.
DeviceValue GetByName(ZEX& device, const QString& name);
DeviceValue LetByName(ZEX& device, const QString& name, const DeviceValue& value);
DeviceValue MethodByName(ZEX& device, const QString& name);

} // namespace ZexCatalogue
