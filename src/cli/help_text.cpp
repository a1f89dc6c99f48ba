#include "cli/help_text.hpp"

#include <iostream>

namespace cli {

const std::string& overview_text() {
    static const std::string text =
        "For additional help, subcommands include a help menu when ran without options.\n"
        "\n"
        "Available Commands:\n"
        "help\t\t\tShow the help menu.\n"
        "tests\t\t\tShow the available compliance test cases.\n"
        "ftests\t\t\tShow the available compliance test cases filtered.\n"
        "devices\t\t\tShow the available CXL devices.\n"
        "report\t\t\tGenerate a report for previous runs during this session.\n";
    return text;
}

void report_not_available(const std::string& command) {
    std::cout << command << ": not available in this build yet." << std::endl;
}

}  // namespace cli
