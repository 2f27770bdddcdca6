#include "shell/RefreshBatch.h"

#include "controls/QKBtn.h"
#include "controls/QKBtnUpdateModule.h"
#include "device/DeviceErrors.h"
#include "device/ZEX.h"

void RefreshBatch::field(QKBtn* field) {
    if (!field) {
        return;
    }
    QPointer<QKBtn> guard(field);
    const QString source = field->Source();
    add([guard, source](ZEX& device) -> Show {
        if (source.isEmpty()) {
            return {};
        }
        DeviceValue value;
        try {
            value = device.GetByName(source);
        } catch (const DeviceError&) {
            return {}; // a name the device does not know leaves the field as it was
        }
        return [guard, value] {
            if (guard) {
                QKBtnUpdateModule::ShowFieldValue(*guard, value);
            }
        };
    });
}

QList<RefreshBatch::Show> RefreshBatch::run(ZEX* device) const {
    QList<Show> shows;
    if (!device) {
        return shows;
    }
    try {
        for (const Step& step : m_steps) {
            if (Show show = step(*device)) {
                shows.append(std::move(show));
            }
        }
    } catch (...) {
        // The page's failure ends its refresh; it is not the window's to report.
    }
    return shows;
}
