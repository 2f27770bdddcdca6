#pragma once

#include "linklog/LinkLogTap.h"

class QTextStream;

// zexctl --trace: each transaction as a link log line on standard error, as it ends, between
// the command's own messages.
class ZexCtlTrace : public LinkLogSink {
public:
    ZexCtlTrace(QTextStream& err, bool withBytes);
    void record(const LinkLogRecord& record) override;

private:
    QTextStream& m_err;
    bool m_withBytes;
};
