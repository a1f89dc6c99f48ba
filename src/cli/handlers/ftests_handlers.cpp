#include "cli/handlers/ftests_handlers.hpp"

#include <iostream>

#include "cli/utility.hpp"

namespace cli {

namespace {

// Whether the record gives exactly these of the three filter options.
bool gives(const FTestsArgs& r, bool spec, bool group, bool id) {
    return r.hasSpec() == spec && r.hasGroup() == group && r.hasID() == id;
}

float spec_of(const FTestsArgs& r) { return static_cast<float>(r.spec); }

}  // namespace

HandleStatus FilterSpecHandler::Handle(FTestsArgs request, LibModules& deps) {
    if (!gives(request, true, false, false))
        return AbstractHandler<FTestsArgs>::Handle(request, deps);
    print_testlist(deps.directory_module->testlist_filter_spec(spec_of(request)));
    return PASS;
}

HandleStatus FilterGroupHandler::Handle(FTestsArgs request, LibModules& deps) {
    if (!gives(request, false, true, false))
        return AbstractHandler<FTestsArgs>::Handle(request, deps);
    print_testlist(deps.directory_module->testlist_filter_group(request.group));
    return PASS;
}

HandleStatus FilterIDHandler::Handle(FTestsArgs request, LibModules& deps) {
    if (!gives(request, false, false, true))
        return AbstractHandler<FTestsArgs>::Handle(request, deps);
    print_testlist(deps.directory_module->testlist_filter_id(request.id));
    return PASS;
}

HandleStatus FilterGroupIDHandler::Handle(FTestsArgs request, LibModules& deps) {
    if (!gives(request, false, true, true))
        return AbstractHandler<FTestsArgs>::Handle(request, deps);
    print_testlist(
        deps.directory_module->testlist_filter_group_and_id(request.group, request.id));
    return PASS;
}

HandleStatus FilterSpecGroupHandler::Handle(FTestsArgs request, LibModules& deps) {
    if (!gives(request, true, true, false))
        return AbstractHandler<FTestsArgs>::Handle(request, deps);
    print_testlist(
        deps.directory_module->testlist_filter_spec_and_group(spec_of(request), request.group));
    return PASS;
}

HandleStatus FilterSpecIDHandler::Handle(FTestsArgs request, LibModules& deps) {
    if (!gives(request, true, false, true))
        return AbstractHandler<FTestsArgs>::Handle(request, deps);
    print_testlist(
        deps.directory_module->testlist_filter_spec_and_id(spec_of(request), request.id));
    return PASS;
}

HandleStatus FilteredTestsHelpHandler::Handle(FTestsArgs request, LibModules& deps) {
    if (!request.help)
        HelpHandler<FTestsArgs>::Handle(request, deps);
    std::cout << "tarvo ftests [options]\n"
                 "Here is a quickstart:\n"
                 "Filter out a specific Spec\n"
                 "\ttarvo ftests --spec [spec number]\n"
                 "Filter out a specific group\n"
                 "\ttarvo ftests --group [group number]\n"
                 "Filter out specific IDs\n"
                 "\ttarvo ftests --id [id number]\n"
                 "Filter out combinations\n"
                 "spec + group: tarvo ftests --spec [num] --group [group]\n"
                 "You can mix and match SPEC GROUP ID to perform any filter.\n";
    return request.help ? PASS : INVALID_INPUT;
}

}  // namespace cli
