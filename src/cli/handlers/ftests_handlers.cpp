#include "cli/handlers/ftests_handlers.hpp"

#include "cli/utility.hpp"

namespace cli {

namespace {

// Prints the list that `lister` gets when the record gives exactly the
// options spec, group and id say; otherwise passes the record on.
template <typename Lister>
HandleStatus filter_or_pass(AbstractHandler<FTestsArgs>& link, const FTestsArgs& request,
                            LibModules& deps, bool spec, bool group, bool id, Lister lister) {
    if (request.hasSpec() != spec || request.hasGroup() != group || request.hasID() != id)
        return link.AbstractHandler<FTestsArgs>::Handle(request, deps);
    print_testlist(lister(*deps.directory_module));
    return PASS;
}

float spec_of(const FTestsArgs& r) { return static_cast<float>(r.spec); }

}  // namespace

HandleStatus FilterSpecHandler::Handle(FTestsArgs r, LibModules& deps) {
    return filter_or_pass(*this, r, deps, true, false, false, [&r](tarvo::Directory& d) {
        return d.testlist_filter_spec(spec_of(r));
    });
}

HandleStatus FilterGroupHandler::Handle(FTestsArgs r, LibModules& deps) {
    return filter_or_pass(*this, r, deps, false, true, false, [&r](tarvo::Directory& d) {
        return d.testlist_filter_group(r.group);
    });
}

HandleStatus FilterIDHandler::Handle(FTestsArgs r, LibModules& deps) {
    return filter_or_pass(*this, r, deps, false, false, true,
                          [&r](tarvo::Directory& d) { return d.testlist_filter_id(r.id); });
}

HandleStatus FilterGroupIDHandler::Handle(FTestsArgs r, LibModules& deps) {
    return filter_or_pass(*this, r, deps, false, true, true, [&r](tarvo::Directory& d) {
        return d.testlist_filter_group_and_id(r.group, r.id);
    });
}

HandleStatus FilterSpecGroupHandler::Handle(FTestsArgs r, LibModules& deps) {
    return filter_or_pass(*this, r, deps, true, true, false, [&r](tarvo::Directory& d) {
        return d.testlist_filter_spec_and_group(spec_of(r), r.group);
    });
}

HandleStatus FilterSpecIDHandler::Handle(FTestsArgs r, LibModules& deps) {
    return filter_or_pass(*this, r, deps, true, false, true, [&r](tarvo::Directory& d) {
        return d.testlist_filter_spec_and_id(spec_of(r), r.id);
    });
}

HandleStatus FilteredTestsHelpHandler::Handle(FTestsArgs request, LibModules& deps) {
    return quickstart(request, deps,
                      "tarvo ftests [options]\n"
                      "Here is a quickstart:\n"
                      "Filter out a specific Spec\n"
                      "\ttarvo ftests --spec [spec number]\n"
                      "Filter out a specific group\n"
                      "\ttarvo ftests --group [group number]\n"
                      "Filter out specific IDs\n"
                      "\ttarvo ftests --id [id number]\n"
                      "Filter out combinations\n"
                      "spec + group: tarvo ftests --spec [num] --group [group]\n"
                      "You can mix and match SPEC GROUP ID to perform any filter.\n");
}

}  // namespace cli
