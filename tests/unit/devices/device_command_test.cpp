// The devices command through the command loop, over a directory that
// records what the handlers ask of it.

#include <gtest/gtest.h>

#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <boost/program_options.hpp>

#include "api/directory.hpp"
#include "cli/commands/device_command.hpp"
#include "cli/tarvo_cli.hpp"
#include "unit/cli/test_support.hpp"
#include "unit/model/log_capture.hpp"

namespace tarvo {
namespace {

namespace po = boost::program_options;

class RecordingDirectory : public Directory {
public:
    std::vector<types::TestData> default_testlist() override { return {}; }
    std::vector<types::TestData> testlist_sorted_on_group() override { return {}; }
    std::vector<types::TestData> testlist_sorted_on_id() override { return {}; }
    std::vector<types::TestData> testlist_filter_spec(float) override { return {}; }
    std::vector<types::TestData> testlist_filter_group(std::string) override { return {}; }
    std::vector<types::TestData> testlist_filter_id(int) override { return {}; }
    std::vector<types::TestData> testlist_filter_spec_and_group(float, std::string) override {
        return {};
    }
    std::vector<types::TestData> testlist_filter_spec_and_id(float, int) override { return {}; }
    std::vector<types::TestData> testlist_filter_group_and_id(std::string, int) override {
        return {};
    }
    types::TestData testinfo(std::string) override { return types::ErrorTestData(); }

    std::vector<core::DeviceInformation> devicelist() override { return devices; }
    core::DeviceInformation current_sut() override { return devices.at(sut); }
    core::TargetInformation current_sut_target() override {
        return core::TargetInformation("", "", 0, 0, "", core::GT16, core::x4, core::endpoint,
                                       core::cem, false, "", port_type, core::type1, false,
                                       false, devices.at(sut).sbdf, true);
    }
    void set_sut(core::DeviceInformation device) override { selected.push_back(device.sbdf); }

    std::vector<core::DeviceInformation> devices;
    size_t sut = 0;
    PORT_TYPE_t port_type = RCEC;
    std::vector<SBDF> selected;
};

core::DeviceInformation device_at(SBDF sbdf) {
    core::DeviceInformation info;
    info.vendor_name = "Unknown vendor";
    info.device_name = "CXL Device";
    info.sbdf = sbdf;
    return info;
}

class DeviceCommandTest : public ::testing::Test {
protected:
    DeviceCommandTest() {
        directory->devices = {device_at(SBDF(0, 0x0d, 0, 0)), device_at(SBDF(0, 0x3a, 0, 1))};
        modules.directory_module = directory;
        cli::init_commands(commands);
    }

    // Runs one prompt line; returns what it wrote after the prompt.
    std::string run_line(const std::string& line) {
        std::istringstream in(line + "\n");
        po::variables_map vm;
        po::parsed_options parsed(nullptr);
        Logger_t logger;
        cli::SuggestionTable suggested;
        std::cout << std::dec;
        testing::internal::CaptureStdout();
        cli::command_loop(true, vm, parsed, commands, suggested, modules, logger, in);
        std::string out = testing::internal::GetCapturedStdout();
        const std::string prompt = "(tarvo) ";
        if (out.rfind(prompt, 0) == 0) out.erase(0, prompt.size());
        const std::string end = prompt + "\n";  // the next prompt, ended by the input's end
        if (out.size() >= end.size() && out.compare(out.size() - end.size(), end.size(), end) == 0)
            out.erase(out.size() - end.size());
        return out;
    }

    // A sink of its own keeps the loop's records off the console.
    LogCapture log;
    std::shared_ptr<RecordingDirectory> directory = std::make_shared<RecordingDirectory>();
    cli::LibModules modules;
    cli::CommandRegistry commands;
};

const char kHelp[] =
    "tarvo device [options]\nCheck current system under test.\n\tdevice --sut\n"
    "Set a device to be tested.\n\tdevice --set Bus:Dev.Fun\n\n";
const char kFormat[] =
    "SUT format not met. Please provide format SEG:BUS:DEV.FUN or BUS:DEV.FUN\n";

TEST_F(DeviceCommandTest, SetAcceptsTheAddressForms) {
    const struct {
        const char* text;
        SBDF expected;
    } accepted[] = {
        {"3a:00.1", SBDF(0, 0x3a, 0, 1)},  {"0:3a:00.1", SBDF(0, 0x3a, 0, 1)},
        {":3a:0.1", SBDF(0, 0x3a, 0, 1)},  {"03a:00.1", SBDF(0, 0x3a, 0, 1)},
        {"0D:1f.7", SBDF(0, 0x0d, 0x1f, 7)}, {"0d:00x0", SBDF(0, 0x0d, 0, 0)},
        {"0a:00.1", SBDF(0, 0x0a, 0, 1)},  {"0:0a:0.1", SBDF(0, 0x0a, 0, 1)},
        {"3a:000", SBDF(0, 0x3a, 0, 0)},   {"3a:1234", SBDF(0, 0x3a, 0x12, 4)},
    };
    for (const auto& c : accepted) {
        SCOPED_TRACE(c.text);
        directory->selected.clear();
        EXPECT_EQ(run_line(std::string("devices --set ") + c.text), "");
        ASSERT_EQ(directory->selected.size(), 1u);
        EXPECT_EQ(directory->selected[0].sbdf(), c.expected.sbdf());
    }
}

TEST_F(DeviceCommandTest, SetRejectsOtherTexts) {
    // A device number above 0x1f would spill into the bus number.
    for (const char* text : {"0000:3a:00.1", "3a:00.8", "3:00.1", "3a:20.0", "3a:ff.1", "zz:00.0",
                             "3a:00.1x", "::3a:00.1",
                             "00:3a:00.1", "3a:00"}) {
        SCOPED_TRACE(text);
        directory->selected.clear();
        EXPECT_EQ(run_line(std::string("devices --set ") + text), kFormat);
        EXPECT_TRUE(directory->selected.empty());
    }
}

TEST_F(DeviceCommandTest, ShowSutWritesAddressPortTypeAndLegend) {
    directory->sut = 1;
    EXPECT_EQ(run_line("devices --sut"),
              "3a:0.1 \tCurrent Target\n"
              "a\tPort Type\n"
              "\n\nPort Types as indicated: \n"
              "PCIE_EP = 0\nLEGACY_PCIE_EIP = 1\nRP = 4\nUP_SWITCH = 0x5\nDP_SWITCH = 0x6\n"
              "PCIE_PCI_BRIDGE = 0x7\nPCI_PCIE_BRIDGE = 0x8\nRCIEP = 9\nRCEC = 0xA\n");
    // The console's number base is as it was.
    std::ostringstream probe;
    probe.flags(std::cout.flags());
    probe << 10;
    EXPECT_EQ(probe.str(), "10");
}

TEST_F(DeviceCommandTest, ListWritesEveryDeviceThenTheSut) {
    directory->sut = 1;
    EXPECT_EQ(run_line("devices --list"),
              "[d:0.0] Unknown vendor - CXL Device\n"
              "[3a:0.1] Unknown vendor - CXL Device\n"
              "3a:0.1  Current CXL Device\n\n");
    EXPECT_EQ(run_line("device -l"), run_line("devices --list"));  // plural rule
    EXPECT_FALSE(std::cout.flags() & std::ios_base::hex);
}

TEST_F(DeviceCommandTest, FirstMatchingOptionWins) {
    const std::string sut = run_line("devices --sut");
    const std::string list = run_line("devices --list");
    EXPECT_EQ(run_line("devices --sut --list"), sut);
    EXPECT_EQ(run_line("devices --set 3a:00.1 --list"), "");
    EXPECT_EQ(directory->selected.size(), 1u);
    EXPECT_EQ(run_line("devices --sut --set 3a:00.1"), sut);
    EXPECT_EQ(directory->selected.size(), 1u);
    EXPECT_EQ(run_line("devices -s"), sut);
    EXPECT_NE(list, sut);
}

TEST_F(DeviceCommandTest, HelpTexts) {
    EXPECT_EQ(run_line("devices"), testsupport::not_possible + kHelp);
    EXPECT_EQ(run_line("devices -h --sut"), kHelp);
    EXPECT_EQ(run_line("devices --help"), kHelp);
    EXPECT_TRUE(directory->selected.empty());
}

TEST_F(DeviceCommandTest, ResultsOfTheChain) {
    cli::DeviceCommand command;
    const po::options_description no_options;
    const auto execute = [&](std::vector<std::string> tokens) {
        tokens.insert(tokens.begin(), "devices");
        command.resolve_args(po::command_line_parser(tokens).options(no_options).allow_unregistered().run());
        testing::internal::CaptureStdout();
        const int status = command.execute(modules);
        testing::internal::GetCapturedStdout();
        command.reset();
        return status;
    };
    EXPECT_EQ(execute({}), cli::INVALID_INPUT);
    EXPECT_EQ(execute({"-h"}), cli::PASS);
    EXPECT_EQ(execute({"--list"}), cli::PASS);
    EXPECT_EQ(execute({"--set", "bad"}), cli::PASS);
    EXPECT_EQ(command.args().setSut, "");  // reset
}

TEST_F(DeviceCommandTest, NoDeviceSaysSo) {
    directory->devices.clear();
    EXPECT_EQ(run_line("devices --sut"), "\x1b[31mNo CXL device was found.\x1b[0m\n");
    EXPECT_EQ(run_line("devices --list"), "\x1b[31mNo CXL device was found.\x1b[0m\n");
}

}  // namespace
}  // namespace tarvo
