// The in-process TAPI runtime: the server side of TAPI as applications see
// it, over one embedded simulated exchange. Code above the platform uses the
// published functions of <tapi.h>; tests also use this header to reach the
// exchange's control interface.
#ifndef DIALWERK_TAPI32_RUNTIME_H
#define DIALWERK_TAPI32_RUNTIME_H

#include "tapi32/Registry.h"

#include <exchange/Exchange.h>

#include <tapi.h>

#include <functional>
#include <memory>

namespace tapi32 {

class ApiCall;
class Dispatcher;

class Runtime {
public:
    /// The process's runtime, created on first use with the default
    /// topology and a real-time clock. It lives until the process ends.
    static Runtime &instance();

    /// The embedded exchange (control interface, faults, recorder, clock).
    exchange::Exchange &exchange() { return *exchange_; }

    /// Replaces the exchange with one built from `topology` on `clock`.
    /// Refused (false) while any application is initialised. Call it only
    /// while no other thread uses TAPI.
    bool resetExchange(exchange::Topology topology,
                       std::unique_ptr<exchange::Clock> clock = std::make_unique<exchange::RealClock>());

    /// The exchange leg behind a call handle, or 0: tests use it to act as
    /// the far end of a call the application holds.
    exchange::LegId legOf(HCALL call) const;
    /// Number of initialised line and phone applications.
    size_t applicationCount() const;

    // ---- used by the function implementations ----
    Registry &registry() { return registry_; }

    /// How a request's outcome is produced once it is registered.
    using Submit = std::function<LONG(exchange::RequestTag)>;
    /// Registers a request for `pending.app` and hands it to the exchange
    /// through `submit`, honouring the faults armed for the function (the
    /// tag names the function and device for the untidy options):
    /// answers the request identifier, or the code `submit` refused with.
    /// Must be called without the registry lock.
    LONG startRequest(const ApiCall &call, PendingRequest pending, const Submit &submit);

private:
    Runtime();

    std::unique_ptr<exchange::Exchange> exchange_;
    Registry registry_;
    std::unique_ptr<Dispatcher> dispatcher_;
};

} // namespace tapi32

#endif
