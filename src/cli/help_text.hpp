#pragma once

#include <string>

namespace cli {

// The overview of the commands, shown by the main help, by the help command
// and after a word that names no command.
const std::string& overview_text();

}  // namespace cli
