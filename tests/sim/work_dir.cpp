#include "sim/work_dir.hpp"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <stdexcept>

namespace tarvo {
namespace sim {

ScopedWorkDir::ScopedWorkDir() {
    m_previous = std::filesystem::current_path().string();
    char pattern[] = "/tmp/tarvo-work-XXXXXX";
    if (mkdtemp(pattern) == nullptr) {
        throw std::runtime_error(std::string("mkdtemp: ") + std::strerror(errno));
    }
    m_path = pattern;
    std::filesystem::current_path(m_path);
}

ScopedWorkDir::~ScopedWorkDir() {
    std::error_code ec;
    std::filesystem::current_path(m_previous, ec);
    std::filesystem::remove_all(m_path, ec);
}

}  // namespace sim
}  // namespace tarvo
