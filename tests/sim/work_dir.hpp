#pragma once

#include <string>

namespace tarvo {
namespace sim {

// A fresh temporary directory made the working directory while alive; the
// previous working directory comes back and the directory is removed at the
// end. For code that reads or writes files relative to the working directory.
class ScopedWorkDir {
public:
    ScopedWorkDir();
    ~ScopedWorkDir();
    ScopedWorkDir(const ScopedWorkDir&) = delete;
    ScopedWorkDir& operator=(const ScopedWorkDir&) = delete;

    const std::string& path() const { return m_path; }

private:
    std::string m_path;
    std::string m_previous;
};

}  // namespace sim
}  // namespace tarvo
