#include "support/FileSizeLimit.h"

FileSizeLimit::FileSizeLimit(qint64 bytes) {
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    if (getrlimit(RLIMIT_FSIZE, &m_previous) != 0 ||
        sigaction(SIGXFSZ, &ignore, &m_previousAction) != 0) {
        return;
    }
    rlimit limited = m_previous;
    limited.rlim_cur = rlim_t(bytes);
    m_set = setrlimit(RLIMIT_FSIZE, &limited) == 0;
    if (!m_set) {
        sigaction(SIGXFSZ, &m_previousAction, nullptr);
    }
}

FileSizeLimit::~FileSizeLimit() {
    if (m_set) {
        // Raising the soft limit back up to the hard limit needs no privilege.
        setrlimit(RLIMIT_FSIZE, &m_previous);
        sigaction(SIGXFSZ, &m_previousAction, nullptr);
    }
}
