// Turns the exchange's events into the messages of each application, in
// TAPI's order: a requester's LINE_REPLY before any state of a call it
// created, LINE_APPNEWCALL immediately followed by the first LINE_CALLSTATE,
// status messages filtered by each open's lineSetStatusMessages /
// phoneSetStatusMessages.
#ifndef DIALWERK_TAPI32_DISPATCHER_H
#define DIALWERK_TAPI32_DISPATCHER_H

#include "tapi32/Registry.h"

#include <exchange/core/Events.h>

#include <functional>
#include <vector>

namespace tapi32 {

class Dispatcher final : public exchange::EventSink {
public:
    explicit Dispatcher(Registry &registry) : registry_(registry) {}
    /// Runs on the exchange thread; takes the registry lock.
    void deliver(const std::vector<exchange::Event> &events) override;

private:
    void requestDone(const exchange::Event &e);
    /// What fetching a request's reply does: checks that the requester still
    /// has its line (phone) open and writes the out-parameters.
    std::function<bool(LINEMESSAGE &)> replyWriter(const PendingRequest &p, const exchange::Event &e, LONG result,
                                                   const std::vector<HCALL> &created);
    void newCallOnLine(const exchange::Event &e);
    void callEvent(const exchange::Event &e, DWORD message, DWORD_PTR p1, DWORD_PTR p2);
    /// LINE_MONITORDIGITS to the handles that monitor the digit's mode.
    void digitEvent(const exchange::Event &e);
    void lineState(const exchange::Event &e);
    void addressState(const exchange::Event &e);
    void phoneState(const exchange::Event &e);
    void phoneButton(const exchange::Event &e);
    /// LINE_CREATE / LINE_REMOVE and their phone kin go to every application of a side.
    void toEveryApp(bool phone, DWORD message, DWORD device);
    /// The provider closed a device: every open of it hears LINE_CLOSE
    /// (PHONE_CLOSE), then, when the untidy option asks, messages for the
    /// handles just closed.
    void deviceClosed(const exchange::Event &e);
    /// Announces a call to the monitors of a line (not `except`).
    void monitorsOf(const LineOpenRecord &creator, exchange::LegId leg, DWORD address);

    Registry &registry_;
};

} // namespace tapi32

#endif
