#pragma once

#include <iostream>
#include <memory>
#include <string>
#include <unordered_map>

#include <boost/optional.hpp>
#include <boost/program_options.hpp>

#include "cli/commands/command.hpp"
#include "cli/libmodules.hpp"
#include "common/logging.hpp"

namespace cli {

using CommandRegistry = std::unordered_map<std::string, std::shared_ptr<Command>>;
using SuggestionTable = std::unordered_map<std::string, std::string>;

void init_commands(CommandRegistry& commands);
void init_suggested_commands(SuggestionTable& suggested);

// The program's own options, and the positions of the command word and its
// arguments (shared with the prompt's line table).
boost::program_options::options_description main_options();
boost::program_options::positional_options_description command_positions();

// Parses the program's command line against `global`; options it does not
// know and the command's words stay in the result for the command.
boost::program_options::parsed_options parse_command_line(
    int argc, const char* const argv[], const boost::program_options::options_description& global,
    boost::program_options::variables_map& vm);

// 5, or what --verbosity, --vverbose, --verbose or --minimal ask for (the
// first of these that was given).
int verbosity_of(const boost::program_options::variables_map& vm);

// Prompts, reads one line from `in` and parses its words into `vm` (cleared
// first). Returns the parsed line; nothing at the end of the input.
boost::optional<boost::program_options::parsed_options> process_interactive(
    boost::program_options::variables_map& vm, std::istream& in = std::cin);

// Runs the command of `vm`/`parsed` once (one-shot), or reads and runs lines
// from `in` until "exit" or the end of the input (interactive). Returns the
// exit status of the program.
int command_loop(bool is_interactive, boost::program_options::variables_map& vm,
                 boost::program_options::parsed_options parsed, const CommandRegistry& commands,
                 const SuggestionTable& suggested, LibModules& modules, Logger_t& logger,
                 std::istream& in = std::cin);

// The whole program: options, logging, services, facades, commands, loop.
int tarvo_main(int argc, const char* const argv[]);

}  // namespace cli
