// The exchange's call model put together: the core (devices, legs, the
// event queue, call states), the plain call operations, the far end and
// one object per feature module. Each feature owns its own state and uses
// the core through its public interface; the switchboard only wires them
// up and hands each to the runtime.
//
//   core/      legs, lines, phones, connections, events, the call-state table,
//              plain calls (Calls)
//   features/  Transfers, Conferences, Parking, Completions, Forwarding,
//              Agents, Predictive, Isdn
//   far/       who is at the other end: external numbers and far-end actions
//
// Not thread-aware: the Exchange calls it only with its lock held.
#ifndef DIALWERK_EXCHANGE_SWITCHBOARD_H
#define DIALWERK_EXCHANGE_SWITCHBOARD_H

#include "exchange/Topology.h"
#include "exchange/core/Calls.h"
#include "exchange/core/Core.h"
#include "exchange/far/FarEnd.h"
#include "exchange/features/Agents.h"
#include "exchange/features/Completions.h"
#include "exchange/features/Conferences.h"
#include "exchange/features/Forwarding.h"
#include "exchange/features/Isdn.h"
#include "exchange/features/Parking.h"
#include "exchange/features/Predictive.h"
#include "exchange/features/Transfers.h"

#include <functional>
#include <optional>
#include <vector>

namespace exchange {

class Switchboard {
public:
    Switchboard(const Topology &topology, const Clock &clock, Scheduler &scheduler, std::vector<Event> &out);
    Switchboard(const Switchboard &) = delete;
    Switchboard &operator=(const Switchboard &) = delete;

    Core &core() { return core_; }
    const Core &core() const { return core_; }
    Calls &calls() { return calls_; }
    const Calls &calls() const { return calls_; }
    FarEnd &farEnd() { return farEnd_; }
    Transfers &transfers() { return transfers_; }
    const Transfers &transfers() const { return transfers_; }
    Conferences &conferences() { return conferences_; }
    const Conferences &conferences() const { return conferences_; }
    Parking &parking() { return parking_; }
    const Parking &parking() const { return parking_; }
    Completions &completions() { return completions_; }
    const Completions &completions() const { return completions_; }
    Forwarding &forwarding() { return forwarding_; }
    const Forwarding &forwarding() const { return forwarding_; }
    Agents &agents() { return agents_; }
    const Agents &agents() const { return agents_; }
    Predictive &predictive() { return predictive_; }
    const Predictive &predictive() const { return predictive_; }

    // ---- what the runtime reads most ----
    DWORD lineCount() const { return core_.lineCount(); }
    DWORD phoneCount() const { return core_.phoneCount(); }
    const Line *line(DWORD id) const { return core_.line(id); }
    const Phone *phone(DWORD id) const { return core_.phone(id); }
    const Leg *leg(LegId id) const { return core_.leg(id); }
    CallCounts counts(DWORD line, std::optional<DWORD> address) const { return core_.counts(line, address); }
    /// LINEADDRESSSTATUS of an existing address, its forwarding included.
    VarStruct addressStatus(DWORD line, DWORD address) const;

    /// The make-call check, predictive parameters included.
    LONG checkMakeCall(DWORD line, DWORD address, std::u16string_view dest, const MakeCallOptions &options) const;
    /// Makes the call (see Calls::makeCall) and watches a predictive one.
    LegId makeCall(uint32_t requestId, DWORD line, DWORD address, std::u16string_view dest,
                   const MakeCallOptions &options);

    /// Runs a phone setter that reports into the outbox (see Phone).
    void applyToPhone(DWORD phone, const std::function<LONG(Phone &, std::vector<Event> *)> &setter)
    {
        if (Phone *p = core_.phone(phone))
            setter(*p, &core_.out());
    }
    /// An application took a handle (see Core::retain).
    void retain(LegId leg) { core_.retain(leg); }
    /// An application gave up a handle (see Core::release).
    void release(LegId leg, bool dropIfLive) { core_.release(leg, dropIfLive); }

private:
    Core core_;
    FarEnd farEnd_;
    Calls calls_;
    Conferences conferences_;
    Transfers transfers_;
    Parking parking_;
    Completions completions_;
    Forwarding forwarding_;
    Agents agents_;
    Predictive predictive_;
    Isdn isdn_;
};

} // namespace exchange

#endif
