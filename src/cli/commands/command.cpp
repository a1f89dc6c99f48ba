#include "cli/commands/command.hpp"

#include <string>
#include <utility>
#include <vector>

namespace po = boost::program_options;

namespace cli {

ArgResolver::ArgResolver(po::options_description desc) : options_desc(std::move(desc)) {}

po::variables_map ArgResolver::operator()(po::parsed_options parsed) {
    std::vector<std::string> tokens =
        po::collect_unrecognized(parsed.options, po::include_positional);
    if (!tokens.empty())
        tokens.erase(tokens.begin());
    po::variables_map vm;
    po::store(po::command_line_parser(tokens).options(options_desc).run(), vm);
    return vm;
}

}  // namespace cli
