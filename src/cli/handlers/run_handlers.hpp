#pragma once

#include "cli/command_args.hpp"
#include "cli/handlers/handler.hpp"

namespace cli {

// The links of the run chain, in chain order. Each acts on its combination
// of options or passes the record on.

// -a: the test cases that apply to the port type of the device under test.
class RunAllHandler : public AbstractHandler<RunArgs> {
public:
    HandleStatus Handle(RunArgs request, LibModules& deps) override;
};

// -t key, or -s, -g and -i together: one test case.
class RunSingleHandler : public AbstractHandler<RunArgs> {
public:
    HandleStatus Handle(RunArgs request, LibModules& deps) override;
};

// -l keys..., with -s and -g as presets for entries that lack them.
class RunListHandler : public AbstractHandler<RunArgs> {
public:
    HandleStatus Handle(RunArgs request, LibModules& deps) override;
};

// -s alone: every catalogue entry of the spec.
class RunSpecHandler : public AbstractHandler<RunArgs> {
public:
    HandleStatus Handle(RunArgs request, LibModules& deps) override;
};

// -g alone: every catalogue entry of the group.
class RunGroupHandler : public AbstractHandler<RunArgs> {
public:
    HandleStatus Handle(RunArgs request, LibModules& deps) override;
};

// -i alone: every catalogue entry with the number.
class RunIDHandler : public AbstractHandler<RunArgs> {
public:
    HandleStatus Handle(RunArgs request, LibModules& deps) override;
};

// -f: every test case, whatever the port type.
class RunAllAllHandler : public AbstractHandler<RunArgs> {
public:
    HandleStatus Handle(RunArgs request, LibModules& deps) override;
};

// The end of the chain: the quickstart, after the not-possible text when no
// link acted.
class RunHelpHandler : public HelpHandler<RunArgs> {
public:
    HandleStatus Handle(RunArgs request, LibModules& deps) override;
};

}  // namespace cli
