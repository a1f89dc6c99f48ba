#include "cli/tarvo_cli.hpp"

#include <exception>
#include <stdexcept>
#include <vector>

#include "api/tarvodirectory.hpp"
#include "api/tarvotester.hpp"
#include "api/tarvoutility.hpp"
#include "cli/commands/device_command.hpp"
#include "cli/commands/filteredtests_command.hpp"
#include "cli/commands/help_command.hpp"
#include "cli/commands/report_command.hpp"
#include "cli/commands/run_command.hpp"
#include "cli/commands/tests_command.hpp"
#include "cli/help_text.hpp"
#include "cli/testcase_table.hpp"
#include "cli/utility.hpp"
#include "common/console.hpp"
#include "services/servicebuilder.hpp"

namespace po = boost::program_options;

namespace cli {

namespace {

using tarvo::say_in_red;

constexpr const char* version = "2.0.8";
constexpr const char* caption = "usage tarvo [--help] [--version] <command> <args>";
constexpr const char* default_testcase_file = "../etc/testcases.json";
constexpr const char* red = "\x1b[31m";
constexpr const char* reset_colour = "\x1b[0m";

// The prompt's line table: only the command word and its arguments, so the
// program's own options are unknown there.
const po::options_description& interactive_options() {
    static const po::options_description interactiveopts = [] {
        po::options_description desc(caption);
        desc.add_options()
            ("command", po::value<std::string>(), "Command to execute")
            ("subargs", po::value<std::vector<std::string>>(), "Arguments to command");
        return desc;
    }();
    return interactiveopts;
}

void report_invalid_command(const std::string& word, const SuggestionTable& suggested) {
    std::cout << red << word << " was not a valid command.\n" << reset_colour;
    const auto suggestion = suggested.find(word);
    if (suggestion != suggested.end())
        std::cout << "Did you perhaps mean: " << suggestion->second << " ?\n\n";
    std::cout << "\n" << overview_text() << std::endl;
}

// The registered name a word stands for: its plural, its singular, or the
// word itself, in that order. Both forms are logged before the lookup.
std::string lookup_name(const std::string& word, const CommandRegistry& commands,
                        Logger_t& logger) {
    const std::string plural = word + "s";
    // An empty word has no singular; it can only be looked up as itself.
    const std::string singular = word.empty() ? word : word.substr(0, word.size() - 1);
    BOOST_LOG_SEV(logger, debug_1) << "Command with trailing 's': " << plural;
    BOOST_LOG_SEV(logger, debug_1) << "Command with no trailing 's': " << singular;
    if (commands.count(plural))
        return plural;
    if (commands.count(singular))
        return singular;
    return word;
}

// Resolves and runs one command; the user-input errors of its tokens and of
// the facades are shown in red and end only this line.
void run_guarded(Command& command, const po::variables_map& vm, const po::parsed_options& parsed,
                 const CommandRegistry& commands, LibModules& modules) {
    try {
        command.resolve_args(parsed);
        command.execute(modules);
        command.reset();
        if (vm.count("report"))
            commands.at("report")->execute(modules);
        return;
    } catch (const std::invalid_argument&) {
        say_in_red("One of the arguments was invalid.");
    } catch (const po::error& e) {
        say_in_red(e.what());
    } catch (const std::length_error&) {
        say_in_red("Perhaps mispelled?");
    } catch (const std::out_of_range&) {
        say_in_red("One of the arguments was invalid.");
    } catch (const std::exception& e) {
        say_in_red(e.what());
    }
    // The next line starts from defaults, also after an error.
    command.reset();
}

}  // namespace

void init_commands(CommandRegistry& commands) {
    commands["run"] = std::make_shared<RunCommand>();
    commands["tests"] = std::make_shared<TestsCommand>();
    commands["ftests"] = std::make_shared<FilteredTestsCommand>();
    commands["devices"] = std::make_shared<DeviceCommand>();
    commands["report"] = std::make_shared<ReportCommand>();
    commands["csv_report"] = std::make_shared<CSVReportCommand>();
    commands["help"] = std::make_shared<HelpCommand>();
}

void init_suggested_commands(SuggestionTable& suggested) {
    suggested["filteredtest"] = "ftests";
    suggested["rin"] = "run";
    suggested["deivce"] = "devices";
    suggested["tes"] = "tests";
    suggested["tet"] = "tests";
}

po::options_description main_options() {
    po::options_description global(caption);
    global.add_options()
        ("help", "Display the help message")
        ("version", "Display the version number")
        ("minimal,M", "Run with minimal messaging.")
        ("verbose,V", "Run with verbose messaging.")
        ("vverbose", "Run with very verbose messaging.")
        ("verbosity", po::value<int>(), "Assign verbosity level")
        ("interactive,I", "Run app in interactive mode.")
        ("report,R", "Generate a report at the end of this run. (Only in Non-Interactive Mode)")
        ("testcasefile,I", po::value<std::string>(), "Input file to use")
        ("nout,N", "Stop all JSON output")
        ("quiet,Q", "Set program output to no-output.")
        ("command", po::value<std::string>(), "Command to execute")
        ("subargs", po::value<std::vector<std::string>>(), "Arguments to command");
    return global;
}

po::positional_options_description command_positions() {
    po::positional_options_description pos;
    pos.add("command", 1).add("subargs", -1);
    return pos;
}

po::parsed_options parse_command_line(int argc, const char* const argv[],
                                      const po::options_description& global,
                                      po::variables_map& vm) {
    static const po::positional_options_description pos = command_positions();
    po::parsed_options parsed =
        po::command_line_parser(argc, argv).options(global).positional(pos).allow_unregistered().run();
    po::store(parsed, vm);
    return parsed;
}

int verbosity_of(const po::variables_map& vm) {
    if (vm.count("verbosity"))
        return vm["verbosity"].as<int>();
    if (vm.count("vverbose"))
        return 10;
    if (vm.count("verbose"))
        return 6;
    if (vm.count("minimal"))
        return 1;
    return 5;
}

boost::optional<po::parsed_options> process_interactive(po::variables_map& vm, std::istream& in) {
    static const po::positional_options_description interactivepos = command_positions();
    vm.clear();
    std::cout << "(tarvo) " << std::flush;
    std::string line;
    if (!std::getline(in, line))
        return boost::none;
    po::parsed_options parsed = po::command_line_parser(tokenize(line))
                                    .options(interactive_options())
                                    .positional(interactivepos)
                                    .allow_unregistered()
                                    .run();
    po::store(parsed, vm);
    return parsed;
}

int command_loop(bool is_interactive, po::variables_map& vm, po::parsed_options parsed,
                 const CommandRegistry& commands, const SuggestionTable& suggested,
                 LibModules& modules, Logger_t& logger, std::istream& in) {
    for (;;) {
        if (is_interactive) {
            boost::optional<po::parsed_options> line;
            try {
                line = process_interactive(vm, in);
            } catch (const std::exception& e) {
                std::cout << std::endl;
                say_in_red(e.what());
                continue;
            }
            if (!line) {
                // The end of the input ends the program as "exit" does.
                std::cout << std::endl;
                return 0;
            }
            parsed = *line;
        }
        if (!vm.count("command")) {
            std::cout << "No command was given." << std::endl;
            continue;
        }

        const std::string word = vm["command"].as<std::string>();
        BOOST_LOG_SEV(logger, debug_1) << "Command sent: " << word;
        const auto found = commands.find(lookup_name(word, commands, logger));
        if (found != commands.end()) {
            run_guarded(*found->second, vm, parsed, commands, modules);
            if (!is_interactive)
                return 0;
            continue;
        }
        if (word == "exit")
            return 0;
        report_invalid_command(word, suggested);
        if (!is_interactive)
            return 1;
    }
}

int tarvo_main(int argc, const char* const argv[]) {
    const po::options_description global = main_options();
    po::variables_map vm;
    po::parsed_options parsed(&global);
    int verbosity = 5;
    try {
        parsed = parse_command_line(argc, argv, global, vm);
        verbosity = verbosity_of(vm);
    } catch (const std::exception& e) {
        say_in_red(e.what());
        return 1;
    }

    if (vm.count("quiet")) {
        std::cout.setstate(std::ios::failbit);
        std::cerr.setstate(std::ios::failbit);
    }
    if (vm.count("help")) {
        std::cout << global << "\n" << overview_text() << std::endl;
        return 0;
    }
    if (vm.count("version")) {
        std::cout << "tarvo version " << version << std::endl;
        return 0;
    }
    std::string filepath = vm.count("testcasefile") ? vm["testcasefile"].as<std::string>() : "";

    Logger_t main_logger;
    Logging::add_common_attributes();
    Logging::add_filter(verbosity);
    if (!vm.count("nout"))
        Logging::start_json_sink();
    Logging::start_console_sink(true);
    Logging::start_logfile_sink();
    BOOST_LOG_SEV(main_logger, debug_1) << "Logging has been initialized.";

    const bool is_interactive = !vm.count("command") || vm.count("interactive");
    if (is_interactive)
        std::cout << "type \"help\" for a list of commands.\n" << std::endl;
    BOOST_LOG_SEV(main_logger, debug_1) << "is_interactive is set to: " << (is_interactive ? 1 : 0);

    if (filepath.empty())
        filepath = default_testcase_file;
    tarvo::ServiceBuilder service_builder(filepath);
    BOOST_LOG_SEV(main_logger, debug_1) << "Service Builder initialized to " << filepath;

    auto stager = service_builder.BuildCompStagingServices();
    BOOST_LOG_SEV(main_logger, debug_1) << "Stager initialized.";
    auto testerserv = service_builder.BuildCompTestServicesWithTestcases(build_testcase_map());
    BOOST_LOG_SEV(main_logger, debug_1) << "Compliance Tester initialized.";
    auto devices = service_builder.BuildDeviceServices();
    BOOST_LOG_SEV(main_logger, debug_1) << "Devices initialized.";
    auto testinfo = service_builder.BuildComplianceTestInformationServices();
    BOOST_LOG_SEV(main_logger, debug_1) << "Test Information initialized.";
    auto reports = service_builder.BuildHTMLTestGenServices();
    BOOST_LOG_SEV(main_logger, debug_1) << "Test Reports initialized.";
    auto history = service_builder.BuildTestHistoryServices();
    BOOST_LOG_SEV(main_logger, debug_1) << "Test History initialized.";
    auto generators = service_builder.BuildTarvoGeneratorServices();
    BOOST_LOG_SEV(main_logger, debug_1) << "Generators initialized.";

    LibModules libModules;
    libModules.directory_module = std::make_shared<tarvo::TarvoDirectory>(testinfo, devices);
    libModules.tester_module =
        std::make_shared<tarvo::TarvoTester>(stager, testerserv, devices, testinfo);
    libModules.utility_module = std::make_shared<tarvo::TarvoUtility>(reports, history, generators);
    BOOST_LOG_SEV(main_logger, debug_1) << "Library Modules initialized.";

    CommandRegistry commands;
    SuggestionTable suggested;
    init_commands(commands);
    init_suggested_commands(suggested);

    return command_loop(is_interactive, vm, parsed, commands, suggested, libModules, main_logger);
}

}  // namespace cli
