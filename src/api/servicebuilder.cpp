#include "services/servicebuilder.hpp"

#include <utility>

#include "api/catalogue.hpp"
#include "api/devicedirectory.hpp"
#include "api/history.hpp"
#include "api/reports.hpp"
#include "api/stagingqueue.hpp"
#include "api/testrunner.hpp"

namespace tarvo {

ServiceBuilder::ServiceBuilder(std::string testcase_file)
    : m_testcase_file(std::move(testcase_file)), m_history(std::make_shared<TestHistory>()) {}

std::shared_ptr<StagingServices> ServiceBuilder::BuildCompStagingServices() {
    return std::make_shared<TarvoStagingServices>();
}

std::shared_ptr<TestServices> ServiceBuilder::BuildCompTestServicesWithTestcases(
    TestcaseMap testcases) {
    return std::make_shared<TarvoTestServices>(std::move(testcases), m_history);
}

std::shared_ptr<DeviceServices> ServiceBuilder::BuildDeviceServices() {
    return std::make_shared<TarvoDeviceServices>();
}

std::shared_ptr<TestInfoServices> ServiceBuilder::BuildComplianceTestInformationServices() {
    return std::make_shared<TarvoTestInfoServices>(m_testcase_file);
}

std::shared_ptr<ReportServices> ServiceBuilder::BuildHTMLTestGenServices() {
    return std::make_shared<TarvoReportServices>();
}

std::shared_ptr<HistoryServices> ServiceBuilder::BuildTestHistoryServices() {
    return std::make_shared<TarvoHistoryServices>(m_history);
}

std::shared_ptr<GeneratorServices> ServiceBuilder::BuildTarvoGeneratorServices() {
    return std::make_shared<TarvoGeneratorServices>();
}

}  // namespace tarvo
