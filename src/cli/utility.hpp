#pragma once

#include <string>
#include <vector>

namespace cli {

// The words of a prompt line: split at blanks only (a tab stays inside its
// word), empty words dropped.
std::vector<std::string> tokenize(const std::string& input);

}  // namespace cli
