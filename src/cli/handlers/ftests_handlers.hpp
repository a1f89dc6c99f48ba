#pragma once

#include "cli/command_args.hpp"
#include "cli/handlers/handler.hpp"

namespace cli {

// One filter of ftests per combination of the options given: each acts when
// exactly its options (spec, group, id) are given, and passes the record on
// otherwise.
class FilterSpecHandler : public AbstractHandler<FTestsArgs> {
public:
    HandleStatus Handle(FTestsArgs request, LibModules& deps) override;
};

class FilterGroupHandler : public AbstractHandler<FTestsArgs> {
public:
    HandleStatus Handle(FTestsArgs request, LibModules& deps) override;
};

class FilterIDHandler : public AbstractHandler<FTestsArgs> {
public:
    HandleStatus Handle(FTestsArgs request, LibModules& deps) override;
};

class FilterGroupIDHandler : public AbstractHandler<FTestsArgs> {
public:
    HandleStatus Handle(FTestsArgs request, LibModules& deps) override;
};

class FilterSpecGroupHandler : public AbstractHandler<FTestsArgs> {
public:
    HandleStatus Handle(FTestsArgs request, LibModules& deps) override;
};

class FilterSpecIDHandler : public AbstractHandler<FTestsArgs> {
public:
    HandleStatus Handle(FTestsArgs request, LibModules& deps) override;
};

// The end of the chain: the quickstart, after the not-possible text when no
// filter acted.
class FilteredTestsHelpHandler : public HelpHandler<FTestsArgs> {
public:
    HandleStatus Handle(FTestsArgs request, LibModules& deps) override;
};

}  // namespace cli
