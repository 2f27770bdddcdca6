#pragma once

#include <QtGlobal>
#include <csignal>
#include <sys/resource.h>

// While it lives, no file of this process can grow beyond `bytes`: a write past the limit fails
// with EFBIG, as one fails with ENOSPC on a full disk, but without needing one (or root). The
// signal such a write raises is ignored, so the writer sees the failed call. Both come back as
// they were at the end of the scope.
class FileSizeLimit {
public:
    explicit FileSizeLimit(qint64 bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

    // False when the limit could not be set; the scope then limits nothing.
    bool isSet() const { return m_set; }

private:
    rlimit m_previous{};
    struct sigaction m_previousAction {};
    bool m_set = false;
};
