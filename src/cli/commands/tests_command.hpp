#pragma once

#include <memory>

#include "cli/command_args.hpp"
#include "cli/commands/command.hpp"
#include "cli/handlers/handler.hpp"

namespace cli {

// Lists the test-case catalogue, optionally sorted.
class TestsCommand : public Command {
public:
    TestsCommand();

    int execute(LibModules& deps) override;
    void resolve_args(boost::program_options::parsed_options parsed) override;
    void reset() override;

    const TestsArgs& args() const { return tests_args; }

private:
    TestsArgs tests_args;
    std::shared_ptr<AbstractHandler<TestsArgs>> tests_handler;
};

}  // namespace cli
