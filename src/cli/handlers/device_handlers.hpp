#pragma once

#include "cli/command_args.hpp"
#include "cli/handlers/handler.hpp"

namespace cli {

// Shows the device under test with the port-type legend (--sut), or selects
// the device under test (--set).
class DeviceShowSutHandler : public AbstractHandler<DeviceArgs> {
public:
    HandleStatus Handle(DeviceArgs request, LibModules& deps) override;
};

// A selection is taken by DeviceShowSutHandler; this link passes on.
class DeviceSelectSutHandler : public AbstractHandler<DeviceArgs> {
public:
    HandleStatus Handle(DeviceArgs request, LibModules& deps) override;
};

// Lists the devices found and the device under test (--list).
class DeviceShowListHandler : public AbstractHandler<DeviceArgs> {
public:
    HandleStatus Handle(DeviceArgs request, LibModules& deps) override;
};

class DeviceHelpHandler : public HelpHandler<DeviceArgs> {
public:
    HandleStatus Handle(DeviceArgs request, LibModules& deps) override;
};

}  // namespace cli
