#pragma once

#include "linklog/LinkLogRecord.h"
#include "linklog/LinkLogTap.h"

#include <mutex>

// A sink that keeps the last record it was given, so a procedure can learn why the transaction
// it just made failed: the device interface only says that the link is in error, not whether
// the module refused the value or did not answer.
class LinkLogWatch : public LinkLogSink {
public:
    void record(const LinkLogRecord& record) override;
    // Forgets what was seen, before the transactions to be judged.
    void reset();
    // True when a transaction since the last reset ended with the module's refusal.
    bool sawRefusal() const;

private:
    mutable std::mutex m_mutex;
    bool m_sawRefusal = false;
};
