#pragma once

#include <string>

namespace cli {

// The overview of the commands, shown by the main help, by the help command
// and after a word that names no command.
const std::string& overview_text();

// Written by a command whose handlers are not part of this build.
void report_not_available(const std::string& command);

}  // namespace cli
