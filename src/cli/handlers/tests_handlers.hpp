#pragma once

#include "cli/command_args.hpp"
#include "cli/handlers/handler.hpp"

namespace cli {

// tests, or tests --sort spec: the catalogue in its default order, then a
// hint on sorting.
class TestsShowHandler : public AbstractHandler<TestsArgs> {
public:
    HandleStatus Handle(TestsArgs request, LibModules& deps) override;
};

// tests --sort group or --sort id: the catalogue in that order.
class TestsShowSortedHandler : public AbstractHandler<TestsArgs> {
public:
    HandleStatus Handle(TestsArgs request, LibModules& deps) override;
};

}  // namespace cli
