#include "cli/ZexCtlTrace.h"

#include "linklog/LinkLogFormat.h"

#include <QTextStream>

ZexCtlTrace::ZexCtlTrace(QTextStream& err, bool withBytes)
    : m_err(err)
    , m_withBytes(withBytes) {}

void ZexCtlTrace::record(const LinkLogRecord& record) {
    m_err << LinkLogFormat::Line(record, m_withBytes) << '\n';
    m_err.flush();
}
