#include "cli/handlers/tests_handlers.hpp"

#include <iostream>

#include "cli/utility.hpp"

namespace cli {

HandleStatus TestsShowHandler::Handle(TestsArgs request, LibModules& deps) {
    if (!request.sort.empty() && request.sort != "spec")
        return AbstractHandler<TestsArgs>::Handle(request, deps);
    print_testlist(deps.directory_module->default_testlist());
    std::cout << "\nTo sort the list, rerun with --sort [group/id]\n";
    return PASS;
}

HandleStatus TestsShowSortedHandler::Handle(TestsArgs request, LibModules& deps) {
    if (request.sort == "group") {
        print_testlist(deps.directory_module->testlist_sorted_on_group());
        return PASS;
    }
    if (request.sort == "id") {
        print_testlist(deps.directory_module->testlist_sorted_on_id());
        return PASS;
    }
    return AbstractHandler<TestsArgs>::Handle(request, deps);
}

}  // namespace cli
