#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include <boost/algorithm/string/classification.hpp>
#include <boost/algorithm/string/split.hpp>

#include "api/tarvotester.hpp"
#include "cli/testcase_table.hpp"
#include "core/testproperties.hpp"

namespace {

// The 53 keys of the test table.
std::set<std::string> table_keys() {
    std::set<std::string> keys;
    auto add = [&keys](const std::string& prefix, std::vector<int> numbers) {
        for (int n : numbers)
            keys.insert(prefix + std::to_string(n));
    };
    add("1.1/CFG/", {1, 2, 3, 4, 5, 6, 7, 8, 13, 14});
    add("2/CFG/", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 18, 19, 20, 21, 22, 23, 24});
    add("2/RST/", {6, 7});
    add("2/MMR/", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16});
    add("2/MEM/", {1, 2});
    return keys;
}

std::vector<tarvo::types::TestData> shipped() {
    const auto load = tarvo::TestProperties::load_file(TARVO_SOURCE_DIR "/etc/testcases.json");
    EXPECT_TRUE(load.ok()) << load.error;
    return load.catalogue.list();
}

}  // namespace

TEST(ShippedCatalogue, HasOneEntryForEachTableKeyAndNoOther) {
    std::set<std::string> keys;
    for (const auto& e : shipped())
        keys.insert(e.key());
    EXPECT_EQ(keys.size(), 53u);
    EXPECT_EQ(keys, table_keys());
}

TEST(ShippedCatalogue, EveryEntryIsWellFormed) {
    const std::set<std::string> tokens = {"EP", "LEP", "RP", "USP", "DSP", "RCIEP", "RCEC", "ALL"};
    std::map<std::string, tarvo::types::TestData> by_key;
    for (const auto& e : shipped())
        by_key.emplace(e.key(), e);
    for (const auto& [key, e] : by_key) {
        // The key is the identifier as the run command forms it.
        EXPECT_EQ(tarvo::testkey_of(std::to_string(e.spec()), e.group(), std::to_string(e.id())),
                  key);
        EXPECT_TRUE(e.enabled_flag()) << key;
        EXPECT_FALSE(e.name().empty()) << key;
        EXPECT_LE(e.name().size(), 64u) << key;
        EXPECT_FALSE(e.description().empty()) << key;
        EXPECT_FALSE(e.reference().empty()) << key;
        std::vector<std::string> ports;
        const std::string port = e.port();
        boost::split(ports, port, boost::is_any_of(","));
        for (const auto& p : ports)
            EXPECT_EQ(tokens.count(p), 1u) << key << ": port token '" << p << "'";
        // A dependency is an earlier test of the same spec and group.
        for (const auto& dep : e.dependencies()) {
            ASSERT_EQ(by_key.count(dep), 1u) << key << " depends on " << dep;
            const auto& d = by_key.at(dep);
            EXPECT_TRUE(d.spec() == e.spec() && d.group() == e.group() && d.id() < e.id())
                << key << " depends on " << dep;
        }
    }
    EXPECT_EQ(by_key.at("2/MMR/8").dependencies(), (std::vector<std::string>{"2/MMR/1", "2/MMR/5"}));
    EXPECT_EQ(by_key.at("2/MMR/16").dependencies(), (std::vector<std::string>{"2/MMR/12"}));
    EXPECT_NE(by_key.at("2/RST/7").reference().find("14.9.7"), std::string::npos);
}

TEST(ShippedCatalogue, EveryBoundTestHasAnEntry) {
    const std::set<std::string> keys = table_keys();
    const auto table = cli::build_testcase_map();
    for (const auto& binding : table)
        EXPECT_EQ(keys.count(binding.first), 1u) << binding.first;
    if (table.size() < keys.size())
        GTEST_SKIP() << "the test table binds " << table.size() << " of " << keys.size()
                     << " keys in this build";
    EXPECT_EQ(table.size(), keys.size());
}
