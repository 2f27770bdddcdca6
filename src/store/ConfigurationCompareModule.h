#pragma once

#include "store/ConfigurationFileModule.h"

#include <QList>
#include <QString>

class DeviceValue;
class ZEX;

// Comparing a connected module with a configuration file: every value a restore of the file
// would write is read from the module and set beside the file's, so the technician sees what a
// restore would change before doing it. Numbers are compared as the module keeps them, as single
// floats, so "0.1" in the file matches the 0.1 the module returns.
namespace ConfigurationCompareModule {

struct Difference {
    QString key;
    QString fileText;   // as the file holds it
    QString moduleText; // as read from the module
    QString problem;    // set when a restore could not write the file's value ("is not a number")
};

enum class CompareOutcome {
    Compared,    // every value was read (see differences)
    InvalidFile, // "Type" is not "ZEX": the module was not read
    Unreadable,  // the file could not be read (fileError): the module was not read
    LinkFailed,  // the module did not answer (failedKey): the comparison stopped there
};

struct CompareResult {
    CompareOutcome outcome = CompareOutcome::Compared;
    QList<Difference> differences;
    QString fileError;
    QString failedKey;
    int valuesCompared = 0;
    bool agrees() const { return outcome == CompareOutcome::Compared && differences.isEmpty(); }
};

// True when the module holds what a restore of fileText would give it: both taken as single
// floats, the module's value to the seven significant digits a file keeps (as a save writes it).
// A module value that is no number never matches.
bool SameAsStored(const QString& fileText, const DeviceValue& moduleValue);

// Reads the module's value of every key in the file's restore set (ReadRestoreSet) and lists
// those that differ, in the restore's order. A link error pending before a read, or arising from
// it, ends the comparison: a value read then is the driver's last known one and proves nothing.
// The error is left pending for the caller to show, as after any failed read.
CompareResult CompareZEX(ZEX& device, const QString& path,
                         const ConfigurationFileModule::Options& options);

// "DP: 3 in the file, 2 in the module", one line for a list or a dialog.
QString DescribeDifference(const Difference& difference);

} // namespace ConfigurationCompareModule
