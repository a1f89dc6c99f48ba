#pragma once

#include <memory>
#include <string>

#include "core/testcases/testfunction.hpp"
#include "services/deviceservices.hpp"
#include "services/generatorservices.hpp"
#include "services/historyservices.hpp"
#include "services/reportservices.hpp"
#include "services/stagingservices.hpp"
#include "services/testinfoservices.hpp"
#include "services/testservices.hpp"

namespace tarvo {

// Builds the services once each, in the order of the Build operations below.
// The builder owns what several services share (the history of this
// process), so each service receives it when built.
class ServiceBuilder {
public:
    explicit ServiceBuilder(std::string testcase_file);

    std::shared_ptr<StagingServices> BuildCompStagingServices();
    std::shared_ptr<TestServices> BuildCompTestServicesWithTestcases(TestcaseMap testcases);
    std::shared_ptr<DeviceServices> BuildDeviceServices();
    std::shared_ptr<TestInfoServices> BuildComplianceTestInformationServices();
    std::shared_ptr<ReportServices> BuildHTMLTestGenServices();
    std::shared_ptr<HistoryServices> BuildTestHistoryServices();
    std::shared_ptr<GeneratorServices> BuildTarvoGeneratorServices();

    const std::string& testcase_file() const { return m_testcase_file; }

private:
    std::string m_testcase_file;
    std::shared_ptr<History> m_history;
};

}  // namespace tarvo
