#pragma once

#include <memory>

#include "services/historyservices.hpp"

namespace tarvo {

class TarvoHistoryServices : public HistoryServices {
public:
    explicit TarvoHistoryServices(std::shared_ptr<History> history);
    std::shared_ptr<History> history() override;

private:
    std::shared_ptr<History> m_history;
};

}  // namespace tarvo
