#include "api/history.hpp"

#include <utility>

namespace tarvo {

TarvoHistoryServices::TarvoHistoryServices(std::shared_ptr<History> history)
    : m_history(std::move(history)) {}

std::shared_ptr<History> TarvoHistoryServices::history() { return m_history; }

}  // namespace tarvo
