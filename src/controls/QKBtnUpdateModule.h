#pragma once

#include "device/DeviceValue.h"

#include <QString>
#include <optional>

class QKBtn;
class ZEX;

// Binding a field to a device parameter by name, through the current device object. A name the
// device does not know, or a value it cannot take, is caught here: it shows as a failed refresh
// or a refused write, never as an error escaping to the window's event loop.
namespace QKBtnUpdateModule {

// Configures a field when its page loads. Fields with a list become choice fields; fields with
// a source, allowed characters, a length or a range become text fields.
void SetupField(QKBtn& Field, const QString& Source, const QString& Format, bool IsNumeric,
                const QString& Allowed, qint16 MaxLength, double Min, double Max,
                const QString& List, bool UseListIndex, bool DeferSave, const QString& ToolTip,
                std::optional<bool> UpperCase = std::nullopt);

// Shows the device's value of the field's source (or the given value). False when the field has
// no source and no value, when there is no device, when reading by name failed, or when the
// device's error state is set afterwards.
bool RefreshField(QKBtn& Field, const std::optional<DeviceValue>& Value = std::nullopt);

// Shows a value read from the device, as RefreshField does, without touching the device.
void ShowFieldValue(QKBtn& Field, const DeviceValue& value);

// What a write of the field sends: its list index, number or caption; nothing without a source.
std::optional<DeviceValue> FieldDeviceValue(const QKBtn& Field);
// Writes a field's value to the member named by source. False, with nothing written, when the
// source is empty, the device is in error, or the device refused the name or the value.
bool WriteFieldValue(ZEX& device, const QString& source, const DeviceValue& value);

// Writes the field's value (list index, number or caption) to its source. False, with nothing
// written, when the field has no source, there is no device, the device is in error, or the
// device refused the name or the value.
bool UpdateDeviceFromField(QKBtn& Field);

// Edits of a bound field are refused while the device reports a link failure: the value shown
// is the last one known, and a write would be dropped.
bool FieldAcceptsEdits(const QKBtn& Field);

// The text a field shows for a device value: numbers with the user's decimal separator.
QString ValueText(const DeviceValue& value, QChar decimalSeparator);

} // namespace QKBtnUpdateModule
