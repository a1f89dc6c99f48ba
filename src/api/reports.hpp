#pragma once

#include "common/logging.hpp"
#include "services/generatorservices.hpp"
#include "services/reportservices.hpp"

namespace tarvo {

class TarvoReportServices : public ReportServices {
public:
    void write_report(const GeneratorMaker& make) override;

private:
    Logger_t m_logger;
};

// The HTML and CSV generators of the core library.
class TarvoGeneratorServices : public GeneratorServices {
public:
    std::unique_ptr<core::Generator> html_generator(std::shared_ptr<History> history) override;
    std::unique_ptr<core::Generator> csv_generator(std::shared_ptr<History> history) override;
};

}  // namespace tarvo
