#pragma once

#include <string>
#include <vector>

#include <boost/shared_ptr.hpp>

#include "common/logging.hpp"

namespace cfgtests {

// One captured log record: its severity and text.
struct LogRecord {
    severity_level severity;
    std::string text;

    bool operator==(const LogRecord& other) const {
        return severity == other.severity && text == other.text;
    }
};

std::ostream& operator<<(std::ostream& os, const LogRecord& record);

// Collects the records of the process-wide logging core while it lives,
// except the debug and trace records of the transport layers.
class LogCapture {
public:
    LogCapture();
    ~LogCapture();
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    std::vector<LogRecord> records() const;
    void clear();

private:
    struct Backend;
    struct Sink;
    boost::shared_ptr<Sink> m_sink;
    boost::shared_ptr<Backend> m_backend;
};

}  // namespace cfgtests
