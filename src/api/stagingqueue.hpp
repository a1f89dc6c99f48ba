#pragma once

#include "services/stagingservices.hpp"

namespace tarvo {

// The staging queue in memory.
class TarvoStagingServices : public StagingServices {
public:
    void stage(types::TestData entry) override;
    void unstage(const std::string& key) override;
    void clear() override;
    std::vector<types::TestData> staged() const override;

private:
    std::vector<types::TestData> m_queue;
};

}  // namespace tarvo
