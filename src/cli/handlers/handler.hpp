#pragma once

#include <cstdint>
#include <iostream>
#include <memory>

#include "cli/libmodules.hpp"

namespace cli {

enum HandleStatus : uint32_t {
    PASS = 0,
    CRITICAL_FAIL = 1,
    INVALID_INPUT = 2,
};

// One link of a command's chain of responsibility over the record type T:
// a link acts on the record or passes it on to the next link.
template <typename T>
class Handler {
public:
    virtual std::shared_ptr<Handler<T>> setNext(std::shared_ptr<Handler<T>> handler) = 0;
    virtual std::shared_ptr<Handler<T>> setHelp(std::shared_ptr<Handler<T>> handler) = 0;
    virtual HandleStatus Handle(T request, LibModules& deps) = 0;
    virtual HandleStatus Help(T request, LibModules& deps) = 0;
    virtual ~Handler() = default;
};

template <typename T>
class AbstractHandler : public Handler<T> {
public:
    // Returns the link just added, so a chain is built in one expression.
    std::shared_ptr<Handler<T>> setNext(std::shared_ptr<Handler<T>> handler) override {
        next_handler = handler;
        return handler;
    }

    // The help handler is also made the next link: a record that no later
    // link takes ends there.
    std::shared_ptr<Handler<T>> setHelp(std::shared_ptr<Handler<T>> handler) override {
        this->setNext(handler);
        help_handler = handler;
        return help_handler;
    }

    HandleStatus Handle(T request, LibModules& deps) override {
        if (next_handler)
            return next_handler->Handle(request, deps);
        return PASS;
    }

    HandleStatus Help(T request, LibModules& deps) override {
        if (help_handler)
            return help_handler->Handle(request, deps);
        return PASS;
    }

protected:
    std::shared_ptr<Handler<T>> help_handler;

private:
    std::shared_ptr<Handler<T>> next_handler;
};

// The end of a chain that no link acted on: says so. Each command's own help
// handler adds its quickstart text after this.
template <typename T>
class HelpHandler : public AbstractHandler<T> {
public:
    HandleStatus Handle(T, LibModules&) override {
        std::cout << "The set of options provided with the command "
                  << "was not possible.\nNo action was able to be resolved.\n"
                  << "Please refer to the user's guide if needed." << "\n\n";
        return PASS;
    }

protected:
    // What a command's help handler writes: the text above when the record
    // did not ask for help (no link acted on it), then the command's
    // quickstart. PASS when help was asked for.
    HandleStatus quickstart(const T& request, LibModules& deps, const char* text) {
        if (!request.help)
            HelpHandler<T>::Handle(request, deps);
        std::cout << text;
        return request.help ? PASS : INVALID_INPUT;
    }
};

}  // namespace cli
