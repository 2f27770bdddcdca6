#pragma once

#include "store/ConfigurationFileModule.h"

#include <QList>
#include <QString>

class LinkLogTap;
class ZEX;

// A restore that checks itself: every value of the file's restore set is written, then read
// back and compared as the module keeps it (single floats). A value the module refuses is told
// apart from a link that stopped answering by watching the link log, since the device interface
// reports both as a link error; after a refusal the error is reset and the restore goes on, so
// one refused value does not cost the rest of the configuration. A link that stops answering
// ends it: what follows would only time out.
namespace ConfigurationVerifyModule {

struct Finding {
    enum class Kind {
        Refused,             // the module answered the write with a NAK
        NotReadBack,         // written, but the module gives back another value
        NotWritten,          // the file's value cannot be written, or the member refused it
        CommunicationFailed, // no answer; the restore stopped here
    };
    Kind kind = Kind::NotReadBack;
    QString key;
    QString written;  // the file's text
    QString readBack; // NotReadBack: what the module gave back
    QString detail;   // NotWritten, CommunicationFailed: why
};

struct VerifyResult {
    ConfigurationFileModule::RestoreOutcome outcome =
        ConfigurationFileModule::RestoreOutcome::Restored;
    QString fileError;
    QList<Finding> findings; // in the restore's order, read-back findings after the writes'
    int valuesWritten = 0;
    int valuesVerified = 0; // read back as written
    bool clean() const {
        return outcome == ConfigurationFileModule::RestoreOutcome::Restored && findings.isEmpty();
    }
};

// tap: the link log of the device's link, watched for refusals; without one a refusal counts as
// a communication failure. A link error still pending at the end is reset, as a restore does.
VerifyResult RestoreVerified(ZEX& device, const QString& path,
                             const ConfigurationFileModule::Options& options, LinkLogTap* tap);

// One line per finding: "DP: refused by the module (7)", "ALARM: wrote 90, read back 85".
QString DescribeFinding(const Finding& finding);

} // namespace ConfigurationVerifyModule
