#pragma once

// What the test table binds a key to, for the tests that check each key
// names the function of its number.

#include <string>

#include "cli/testcase_table.hpp"

namespace tabletest {

using Fn = tarvo::core::TestResult (*)(tarvo::core::Testools&);

// The plain function key is bound to; nullptr when the key is absent or
// bound to anything else, so a comparison with a test function fails.
inline Fn bound(const tarvo::TestcaseMap& table, const std::string& key) {
    const auto it = table.find(key);
    if (it == table.end()) return nullptr;
    const Fn* fn = it->second.target<Fn>();
    return fn != nullptr ? *fn : nullptr;
}

}  // namespace tabletest
