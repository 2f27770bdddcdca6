#include "controls/QKBtnUpdateModule.h"

#include "controls/CaptionModule.h"
#include "controls/QKBtn.h"
#include "device/CurrentDevice.h"
#include "device/DeviceErrors.h"
#include "device/ZEX.h"
#include "util/ApplicationState.h"

#include <cmath>

namespace QKBtnUpdateModule {

namespace {

QChar decimalSeparator() {
    const QString separator = AppState().DecimalSeparator;
    return separator.isEmpty() ? QChar(u'.') : separator.at(0);
}

} // namespace

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
    if (Field.UseListIndex()) {
        const double number =
            value.isText() ? CaptionModule::LeadingNumber(value.toText()) : value.toDouble();
        Field.ListIndex(CaptionModule::ToInt16(std::fabs(number)));
    } else {
        Field.Caption(ValueText(value, decimalSeparator()));
    }
    return device && !device->ErrorState();
}

bool UpdateDeviceFromField(QKBtn& Field) {
    ZEX* device = CurrentDevice::Get();
    if (Field.Source().isEmpty() || !device || device->ErrorState()) {
        return false;
    }
    DeviceValue value;
    if (Field.UseListIndex()) {
        value = DeviceValue(int(Field.ListIndex()));
    } else if (Field.IsNumeric()) {
        value = DeviceValue(Field.VALUE());
    } else {
        value = DeviceValue(Field.Caption());
    }
    try {
        device->LetByName(Field.Source(), value);
    } catch (const DeviceError&) {
        return false;
    }
    return true;
}

bool FieldAcceptsEdits(const QKBtn& Field) {
    if (Field.Source().isEmpty()) {
        return true;
    }
    ZEX* device = CurrentDevice::Get();
    return !device || !device->ErrorState();
}

} // namespace QKBtnUpdateModule
