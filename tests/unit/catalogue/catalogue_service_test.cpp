#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <string>

#include "api/catalogue.hpp"
#include "unit/cli/test_support.hpp"

using testsupport::Capture;

TEST(PortList, NamesATokenOrAllWhateverItsBlanksAndCase) {
    EXPECT_TRUE(tarvo::port_list_names("EP", "EP"));
    EXPECT_TRUE(tarvo::port_list_names("RP, usp ,DSP", "USP"));
    EXPECT_TRUE(tarvo::port_list_names("all", "RCEC"));
    EXPECT_FALSE(tarvo::port_list_names("LEP", "EP"));
    EXPECT_FALSE(tarvo::port_list_names("EP,RCIEP", "RCEC"));
    EXPECT_FALSE(tarvo::port_list_names("", "EP"));
}

TEST(PortList, EveryNamedPortTypeHasItsToken) {
    EXPECT_STREQ(tarvo::port_token(PCIE_EP), "EP");
    EXPECT_STREQ(tarvo::port_token(LEGACY_PCIE_EIP), "LEP");
    EXPECT_STREQ(tarvo::port_token(RP), "RP");
    EXPECT_STREQ(tarvo::port_token(UP_SWITCH), "USP");
    EXPECT_STREQ(tarvo::port_token(DP_SWITCH), "DSP");
    EXPECT_STREQ(tarvo::port_token(RCIEP), "RCIEP");
    EXPECT_STREQ(tarvo::port_token(RCEC), "RCEC");
    EXPECT_EQ(tarvo::port_token(PCIE_PCI_BRIDGE), nullptr);
    EXPECT_EQ(tarvo::port_token(static_cast<PORT_TYPE_t>(15)), nullptr);
}

TEST(CatalogueService, AFileThatCannotBeReadIsOneRedLineAndAnEmptyCatalogue) {
    testsupport::TempDir dir;
    std::ofstream(dir.path() + "/empty.json");
    std::ofstream(dir.path() + "/bad.json") << "{\"a\": {\"parse\": true}}";
    for (const std::string name : {"missing.json", "empty.json", "bad.json"}) {
        const std::string path = dir.path() + "/" + name;
        Capture out;
        tarvo::TarvoTestInfoServices catalogue(path);
        const std::string text = out.text();
        const std::string head = "\x1b[31mCannot load the test-case file \"" + path + "\": ";
        EXPECT_EQ(text.compare(0, head.size(), head), 0) << text;
        EXPECT_EQ(text.find('\n'), text.size() - 1) << text;
        EXPECT_EQ(text.substr(text.size() - 5), "\x1b[0m\n");
        EXPECT_TRUE(catalogue.list().empty());
        EXPECT_TRUE(catalogue.list_for_port(PCIE_EP).empty());
    }
}

TEST(CatalogueService, TheShippedFileLoadsSilently) {
    Capture out;
    tarvo::TarvoTestInfoServices catalogue(TARVO_SOURCE_DIR "/etc/testcases.json");
    EXPECT_EQ(out.text(), "");
    EXPECT_EQ(catalogue.list().size(), 53u);
    // Every endpoint run covers the memory-device register tests in order.
    std::vector<std::string> mmr;
    for (const auto& e : catalogue.list_for_port(PCIE_EP))
        if (e.group() == "MMR")
            mmr.push_back(e.key());
    EXPECT_EQ(mmr.front(), "2/MMR/1");
    EXPECT_NE(std::find(mmr.begin(), mmr.end(), "2/MMR/12"), mmr.end());
}
