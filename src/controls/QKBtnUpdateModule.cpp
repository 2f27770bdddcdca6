#include "controls/QKBtnUpdateModule.h"

#include "controls/CaptionModule.h"
#include "controls/QKBtn.h"
#include "device/CurrentDevice.h"
#include "device/DeviceErrors.h"
#include "device/ZEX.h"
#include "util/NumberFormatModule.h"

#include <cmath>

namespace QKBtnUpdateModule {

void SetupField(QKBtn& Field, const QString& Source, const QString& Format, bool IsNumeric,
                const QString& Allowed, qint16 MaxLength, double Min, double Max,
                const QString& List, bool UseListIndex, bool DeferSave, const QString& ToolTip,
                std::optional<bool> UpperCase) {
    Field.Allowed(Allowed);
    Field.Source(Source);
    Field.Format(Format);
    Field.IsNumeric(IsNumeric);
    Field.MaxLength(MaxLength);
    Field.Min(Min);
    Field.Max(Max);
    if (!List.isEmpty()) {
        Field.Editable(QKBtn::EditList);
    } else if (!Source.isEmpty() || !Allowed.isEmpty() || MaxLength != 0 || Min != 0.0 ||
               Max != 0.0) {
        Field.Editable(QKBtn::EditText);
    }
    Field.List(List);
    Field.UseListIndex(UseListIndex);
    Field.DeferSave(DeferSave);
    Field.SetToolTip(ToolTip);
    // Callers pass the flag only to turn upper case on; its value is not looked at.
    if (UpperCase.has_value()) {
        Field.UpperCase(true);
    }
}

QString ValueText(const DeviceValue& value, QChar separator) {
    QString text = value.toText();
    if (value.isNumber() && separator != QChar(u'.')) {
        text.replace(QChar(u'.'), separator);
    }
    return text;
}

void ShowFieldValue(QKBtn& Field, const DeviceValue& value) {
    if (Field.UseListIndex()) {
        const double number =
            value.isText() ? CaptionModule::LeadingNumber(value.toText()) : value.toDouble();
        Field.ListIndex(CaptionModule::ToInt16(std::fabs(number)));
    } else {
        Field.Caption(ValueText(value, NumberFormatModule::UserDecimalSeparator()));
    }
}

bool RefreshField(QKBtn& Field, const std::optional<DeviceValue>& Value) {
    ZEX* device = CurrentDevice::Get();
    DeviceValue value;
    if (Value.has_value()) {
        value = *Value;
    } else {
        if (Field.Source().isEmpty() || !device) {
            return false;
        }
        try {
            value = device->GetByName(Field.Source());
        } catch (const DeviceError&) {
            return false;
        }
    }
    ShowFieldValue(Field, value);
    return device && !device->ErrorState();
}

std::optional<DeviceValue> FieldDeviceValue(const QKBtn& Field) {
    if (Field.Source().isEmpty()) {
        return std::nullopt;
    }
    if (Field.UseListIndex()) {
        return DeviceValue(int(Field.ListIndex()));
    }
    if (Field.IsNumeric()) {
        return DeviceValue(Field.VALUE());
    }
    return DeviceValue(Field.Caption());
}

bool WriteFieldValue(ZEX& device, const QString& source, const DeviceValue& value) {
    if (source.isEmpty() || device.ErrorState()) {
        return false;
    }
    try {
        device.LetByName(source, value);
    } catch (const DeviceError&) {
        return false;
    }
    return true;
}

bool UpdateDeviceFromField(QKBtn& Field) {
    ZEX* device = CurrentDevice::Get();
    const std::optional<DeviceValue> value = FieldDeviceValue(Field);
    if (!value || !device) {
        return false;
    }
    return WriteFieldValue(*device, Field.Source(), *value);
}

bool FieldAcceptsEdits(const QKBtn& Field) {
    if (Field.Source().isEmpty()) {
        return true;
    }
    return !CurrentDevice::ErrorPending();
}

} // namespace QKBtnUpdateModule
