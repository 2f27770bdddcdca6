#include "store/ConfigurationCompareModule.h"

#include "device/DeviceErrors.h"
#include "device/DeviceValue.h"
#include "device/ZEX.h"

namespace ConfigurationCompareModule {

using namespace ConfigurationFileModule;

bool SameAsStored(const QString& fileText, const DeviceValue& moduleValue) {
    bool ok = false;
    const float fileValue = float(fileText.toDouble(&ok));
    if (!ok || moduleValue.isEmpty()) {
        return false;
    }
    float stored = 0.0f;
    try {
        stored = moduleValue.toSingle();
    } catch (const ConversionError&) {
        return false; // "Not supported!" and other text
    }
    if (stored == fileValue) {
        return true;
    }
    // A configuration file keeps seven significant digits, not every bit of a single: a value
    // the module computed itself (a calibration's gain) comes back from its own file a hair
    // away. What the file cannot tell apart does not count as a difference.
    return float(DeviceValue(stored).toText().toDouble()) == fileValue;
}

CompareResult CompareZEX(ZEX& device, const QString& path, const Options& options) {
    CompareResult result;
    const RestoreSet set = ReadRestoreSet(path, options);
    switch (set.outcome) {
    case RestoreOutcome::Restored:
        break;
    case RestoreOutcome::InvalidFile:
        result.outcome = CompareOutcome::InvalidFile;
        return result;
    case RestoreOutcome::Unreadable:
        result.outcome = CompareOutcome::Unreadable;
        result.fileError = set.fileError;
        return result;
    }
    if (options.progress) {
        options.progress(10);
    }
    for (const RestoreItem& item : set.items) {
        if (item.isProgress()) {
            if (options.progress) {
                options.progress(item.progress);
            }
            continue;
        }
        if (device.ErrorState()) {
            result.outcome = CompareOutcome::LinkFailed;
            result.failedKey = item.key;
            return result;
        }
        const DeviceValue value = device.GetByName(item.key);
        if (device.ErrorState()) {
            result.outcome = CompareOutcome::LinkFailed;
            result.failedKey = item.key;
            return result;
        }
        ++result.valuesCompared;
        if (!item.problem.isEmpty() || !SameAsStored(item.text, value)) {
            result.differences.append(
                Difference{item.key, item.text, value.toText(), item.problem});
        }
    }
    return result;
}

QString DescribeDifference(const Difference& difference) {
    const QString moduleText =
        difference.moduleText.isEmpty() ? QStringLiteral("no value") : difference.moduleText;
    QString line = QStringLiteral("%1: %2 in the file, %3 in the module")
                       .arg(difference.key, difference.fileText, moduleText);
    if (!difference.problem.isEmpty()) {
        line += QStringLiteral(" (the file's value %1; a restore leaves it out)")
                    .arg(difference.problem);
    }
    return line;
}

} // namespace ConfigurationCompareModule
