#pragma once

#include <boost/program_options.hpp>

#include "cli/handlers/handler.hpp"
#include "cli/libmodules.hpp"

namespace cli {

// A command of the prompt: resolves its own tokens into its record, runs its
// handler chain against the facades, and resets the record for the next line.
class Command {
public:
    virtual int execute(LibModules& deps) = 0;
    virtual void resolve_args(boost::program_options::parsed_options parsed) = 0;
    virtual void reset() = 0;
    virtual ~Command() = default;
};

// A command's view of its tokens: every token the line's own table did not
// take, less the command word, parsed against the command's option table.
struct ArgResolver {
    explicit ArgResolver(boost::program_options::options_description desc);
    boost::program_options::variables_map operator()(
        boost::program_options::parsed_options parsed);

    boost::program_options::options_description options_desc;
};

}  // namespace cli
