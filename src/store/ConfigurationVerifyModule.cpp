#include "store/ConfigurationVerifyModule.h"

#include "device/DeviceErrors.h"
#include "device/DeviceValue.h"
#include "device/ZEX.h"
#include "linklog/LinkLogWatch.h"
#include "store/ConfigurationCompareModule.h"

#include <memory>

namespace ConfigurationVerifyModule {
namespace {

using namespace ConfigurationFileModule;
using Kind = Finding::Kind;

Finding Found(Kind kind, const RestoreItem& item, const QString& detail = QString()) {
    return Finding{kind, item.key, item.text, QString(), detail};
}

class Verifier {
public:
    Verifier(ZEX& device, LinkLogTap* tap, VerifyResult& result)
        : m_device(device)
        , m_watch(std::make_shared<LinkLogWatch>())
        , m_subscription(tap, m_watch)
        , m_canTellRefusals(tap != nullptr)
        , m_result(result) {}

    // False when the link stopped answering.
    bool write(const RestoreItem& item) {
        if (!item.problem.isEmpty()) {
            m_result.findings.append(Found(
                Kind::NotWritten, item, QStringLiteral("the file's value %1").arg(item.problem)));
            return true;
        }
        if (m_device.ErrorState()) {
            return linkFailed(item, Phase::Writing);
        }
        m_watch->reset();
        try {
            m_device.LetByName(item.key, DeviceValue(item.text));
        } catch (const DeviceError& failure) {
            m_result.findings.append(Found(Kind::NotWritten, item, failure.message()));
            return true;
        }
        if (!m_device.ErrorState()) {
            m_written.append(item);
            ++m_result.valuesWritten;
            return true;
        }
        if (m_canTellRefusals && m_watch->sawRefusal()) {
            m_result.findings.append(Found(Kind::Refused, item));
            // The serial driver would drop every later write while the error is pending.
            m_device.ResetError();
            return true;
        }
        return linkFailed(item, Phase::Writing);
    }

    // False when the link stopped answering.
    bool readBack() {
        for (const RestoreItem& item : std::as_const(m_written)) {
            if (m_device.ErrorState()) {
                return linkFailed(item, Phase::ReadingBack);
            }
            const DeviceValue value = m_device.GetByName(item.key);
            if (m_device.ErrorState()) {
                return linkFailed(item, Phase::ReadingBack);
            }
            if (ConfigurationCompareModule::SameAsStored(item.text, value)) {
                ++m_result.valuesVerified;
            } else {
                Finding finding = Found(Kind::NotReadBack, item);
                finding.readBack = value.toText();
                m_result.findings.append(finding);
            }
        }
        return true;
    }

private:
    enum class Phase { Writing, ReadingBack };

    bool linkFailed(const RestoreItem& item, Phase phase) {
        m_result.findings.append(
            Found(Kind::CommunicationFailed, item,
                  QStringLiteral("Communications Failure: ") + m_device.ErrorDescription() +
                      (phase == Phase::Writing ? QStringLiteral(" while writing it")
                                               : QStringLiteral(" while reading it back"))));
        return false;
    }

    ZEX& m_device;
    std::shared_ptr<LinkLogWatch> m_watch;
    LinkLogSubscription m_subscription;
    bool m_canTellRefusals;
    VerifyResult& m_result;
    QList<RestoreItem> m_written;
};

void ReportProgress(const Options& options, int percent) {
    if (options.progress) {
        options.progress(percent);
    }
}

} // namespace

VerifyResult RestoreVerified(ZEX& device, const QString& path, const Options& options,
                             LinkLogTap* tap) {
    VerifyResult result;
    const RestoreSet set = ReadRestoreSet(path, options);
    result.outcome = set.outcome;
    result.fileError = set.fileError;
    if (set.outcome != RestoreOutcome::Restored) {
        return result;
    }
    ReportProgress(options, 10);

    Verifier verifier(device, tap, result);
    bool answering = true;
    for (const RestoreItem& item : set.items) {
        if (item.isProgress()) {
            ReportProgress(options, item.progress);
        } else if (!verifier.write(item)) {
            answering = false;
            break;
        }
    }
    if (answering) {
        verifier.readBack();
    }
    if (device.ErrorState()) {
        device.ResetError();
    }
    return result;
}

QString DescribeFinding(const Finding& finding) {
    switch (finding.kind) {
    case Kind::Refused:
        return QStringLiteral("%1: refused by the module (%2)").arg(finding.key, finding.written);
    case Kind::NotReadBack:
        return QStringLiteral("%1: wrote %2, read back %3")
            .arg(finding.key, finding.written,
                 finding.readBack.isEmpty() ? QStringLiteral("no value") : finding.readBack);
    case Kind::NotWritten:
        return QStringLiteral("%1: not written (%2)").arg(finding.key, finding.detail);
    case Kind::CommunicationFailed:
        return QStringLiteral("%1: %2; nothing after it was done").arg(finding.key, finding.detail);
    }
    return QString();
}

} // namespace ConfigurationVerifyModule
