#include "cli/help_text.hpp"

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

}  // namespace cli
