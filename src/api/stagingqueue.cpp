#include "api/stagingqueue.hpp"

#include <algorithm>
#include <utility>

namespace tarvo {

void TarvoStagingServices::stage(types::TestData entry) { m_queue.push_back(std::move(entry)); }

void TarvoStagingServices::unstage(const std::string& key) {
    m_queue.erase(std::remove_if(m_queue.begin(), m_queue.end(),
                                 [&key](const types::TestData& e) { return e.key() == key; }),
                  m_queue.end());
}

void TarvoStagingServices::clear() { m_queue.clear(); }

std::vector<types::TestData> TarvoStagingServices::staged() const { return m_queue; }

}  // namespace tarvo
