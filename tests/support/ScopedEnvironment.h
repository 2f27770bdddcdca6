#pragma once

#include <QByteArray>

// Sets an environment variable for the life of a fixture, then puts back what was there (or
// removes it), so a scratch user never leaks into the next test of the same process.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const QByteArray& value)
        : m_name(name)
        , m_saved(qgetenv(name)) {
        qputenv(name, value);
    }
    ~ScopedEnvironment() {
        if (m_saved.isNull()) {
            qunsetenv(m_name);
        } else {
            qputenv(m_name, m_saved);
        }
    }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    const char* m_name;
    QByteArray m_saved;
};
