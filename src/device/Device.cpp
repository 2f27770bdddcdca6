#include "device/Device.h"

#include "device/DeviceErrors.h"

namespace {

QString itemAt(const QStringList& collection, qint16 index, const char* what) {
    if (index < 1 || index > collection.size()) {
        throw DeviceError(QStringLiteral("%1 %2 does not exist (the model has %3)")
                              .arg(QLatin1String(what))
                              .arg(index)
                              .arg(collection.size()));
    }
    return collection.at(index - 1);
}

} // namespace

QString Device::ButtonImage(qint16 Index) const {
    return itemAt(ButtonImageCollection, Index, "button image");
}

QString Device::ButtonToolTip(qint16 Index) const {
    return itemAt(ButtonTooltipCollection, Index, "button tooltip");
}
