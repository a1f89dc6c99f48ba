#pragma once

#include <cstdlib>
#include <ctime>
#include <string>

// Sets the local time zone to UTC while it lives.
class UtcZone {
public:
    UtcZone() {
        const char* tz = std::getenv("TZ");
        m_had = tz != nullptr;
        if (m_had) m_old = tz;
        setenv("TZ", "UTC", 1);
        tzset();
    }
    ~UtcZone() {
        if (m_had) setenv("TZ", m_old.c_str(), 1); else unsetenv("TZ");
        tzset();
    }

private:
    bool m_had;
    std::string m_old;
};
