#include "cli/handlers/run_handlers.hpp"

#include <cmath>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

#include "cli/utility.hpp"

namespace cli {

namespace {

// Has the selection run, then empties the queue.
HandleStatus run_and_clear(const RunArgs& request, LibModules& deps) {
    deps.tester_module->run(static_cast<unsigned>(request.slow));
    deps.tester_module->clear();
    return PASS;
}

// Queues every entry of a catalogue list, then runs them.
HandleStatus run_entries(const std::vector<tarvo::types::TestData>& entries,
                         const RunArgs& request, LibModules& deps) {
    for (const auto& entry : entries)
        deps.tester_module->enqueue(entry);
    return run_and_clear(request, deps);
}

// The spec of -s as the catalogue compares it; a text that is no number, or
// no finite float, is an invalid argument.
float spec_value(const std::string& spec) {
    const float value = static_cast<float>(std::stod(spec));
    if (!std::isfinite(value))
        throw std::invalid_argument("spec " + spec);
    return value;
}

// Whether the record selects by exactly these of spec, group and id, and by
// no -a, -t or -l.
bool selects_only(const RunArgs& r, bool spec, bool group, bool id) {
    return !r.all && r.test.empty() && r.tests.empty() && !r.spec.empty() == spec &&
           !r.group.empty() == group && (r.id != -1) == id;
}

}  // namespace

HandleStatus RunAllHandler::Handle(RunArgs request, LibModules& deps) {
    if (!request.all || request.help)
        return AbstractHandler<RunArgs>::Handle(request, deps);
    const auto target = deps.directory_module->current_sut_target();
    deps.tester_module->select_all_of_port(static_cast<int>(target.port_type()));
    return run_and_clear(request, deps);
}

HandleStatus RunSingleHandler::Handle(RunArgs request, LibModules& deps) {
    const bool parts_given = !request.spec.empty() && !request.group.empty() && request.id != -1;
    if (request.test.empty() && !parts_given)
        return AbstractHandler<RunArgs>::Handle(request, deps);

    std::string spec = request.spec;
    std::string group = request.group;
    int number = request.id;
    if (!request.test.empty())
        std::tie(spec, group, number) = testkey_from_str(request.test);
    deps.tester_module->enqueue(spec, group, std::to_string(number));
    deps.tester_module->run(static_cast<unsigned>(request.slow));
    return PASS;
}

HandleStatus RunListHandler::Handle(RunArgs request, LibModules& deps) {
    if (request.id != -1 || request.tests.empty())
        return AbstractHandler<RunArgs>::Handle(request, deps);

    // Every entry is split first: a bad one raises before anything is queued.
    std::vector<std::tuple<std::string, std::string, int>> keys;
    for (const auto& entry : request.tests)
        keys.push_back(testkey_from_str(entry));
    // An entry keeps its own spec and group; one without takes those of -s
    // and -g, else the first that an earlier entry supplied.
    std::string spec = request.spec;
    std::string group = request.group;
    for (const auto& key : keys) {
        const std::string& own_spec = std::get<0>(key);
        const std::string& own_group = std::get<1>(key);
        if (spec.empty())
            spec = own_spec;
        if (group.empty())
            group = own_group;
        deps.tester_module->enqueue(own_spec.empty() ? spec : own_spec,
                                    own_group.empty() ? group : own_group,
                                    std::to_string(std::get<2>(key)));
    }
    return run_and_clear(request, deps);
}

HandleStatus RunSpecHandler::Handle(RunArgs request, LibModules& deps) {
    if (!selects_only(request, true, false, false))
        return AbstractHandler<RunArgs>::Handle(request, deps);
    return run_entries(deps.directory_module->testlist_filter_spec(spec_value(request.spec)),
                       request, deps);
}

HandleStatus RunGroupHandler::Handle(RunArgs request, LibModules& deps) {
    if (!selects_only(request, false, true, false))
        return AbstractHandler<RunArgs>::Handle(request, deps);
    return run_entries(deps.directory_module->testlist_filter_group(request.group), request,
                       deps);
}

HandleStatus RunIDHandler::Handle(RunArgs request, LibModules& deps) {
    if (!selects_only(request, false, false, true))
        return AbstractHandler<RunArgs>::Handle(request, deps);
    return run_entries(deps.directory_module->testlist_filter_id(request.id), request, deps);
}

HandleStatus RunAllAllHandler::Handle(RunArgs request, LibModules& deps) {
    if (!request.allall || request.help)
        return AbstractHandler<RunArgs>::Handle(request, deps);
    deps.tester_module->select_all();
    return run_and_clear(request, deps);
}

HandleStatus RunHelpHandler::Handle(RunArgs request, LibModules& deps) {
    return quickstart(request, deps,
                      "tarvo run [options]\n"
                      "Here is a quickstart:\n"
                      "Run all testcases\n"
                      "\ttarvo run --all\n"
                      "\ttarvo run -a\n"
                      "Run entire spec\n"
                      "\ttarvo run --spec [spec number]\n"
                      "Run entire group\n"
                      "\ttarvo run --group [group name]\n"
                      "Run only a particular ID\n"
                      "\ttarvo run --id [ID number]\n"
                      "Run a specific testcase\n"
                      "\ttarvo run -t [spec]/[groupname]/[id]\n"
                      "Run a list of testcases\n"
                      "\ttarvo run -l [[spec]/[groupname]/[id], ...]\n"
                      "\tnote: to run a list of testcases with a preset spec/group\n"
                      "\ttarvo run -s [spec number] -g [group name] [list of IDs]\n"
                      "\n");
}

}  // namespace cli
