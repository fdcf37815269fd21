#include "exchange/Switchboard.h"

#include <cstddef>

namespace exchange {

Switchboard::Switchboard(const Topology &topology, const Clock &clock, Scheduler &scheduler, std::vector<Event> &out)
    : core_(topology, clock, scheduler, out), farEnd_(core_, topology.externals), calls_(core_, farEnd_),
      conferences_(core_, calls_), transfers_(core_, calls_, conferences_),
      parking_(core_, calls_, topology.parkSlots, topology.parkReminder), completions_(core_, calls_),
      forwarding_(core_, calls_, farEnd_), agents_(core_), predictive_(core_, calls_),
      isdn_(core_)
{
    // The order features hear of a state change or a drop: conferences
    // first, so a conference call takes its parties with it before anybody
    // else looks at them.
    core_.attach(conferences_);
    core_.attach(transfers_);
    core_.attach(completions_);
    core_.attach(forwarding_);
    core_.attach(predictive_);
    core_.attach(isdn_);
}

VarStruct Switchboard::addressStatus(DWORD line, DWORD address) const
{
    VarStruct status = core_.line(line)->addressStatus(address, core_.counts(line, address));
    status.set(offsetof(LINEADDRESSSTATUS, dwAddressFeatures), core_.addressFeatures(line, address));
    forwarding_.describe(status, line, address);
    return status;
}

LONG Switchboard::checkMakeCall(DWORD line, DWORD address, std::u16string_view dest,
                                const MakeCallOptions &options) const
{
    if (LONG r = calls_.checkMakeCall(line, address, dest))
        return r;
    return predictive_.check(line, address, options.predictive);
}

LegId Switchboard::makeCall(uint32_t requestId, DWORD line, DWORD address, std::u16string_view dest,
                            const MakeCallOptions &options)
{
    const LegId leg = calls_.makeCall(requestId, line, address, dest, options);
    predictive_.start(leg, options.predictive);
    return leg;
}

} // namespace exchange
