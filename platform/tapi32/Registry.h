// What the TAPI server knows about its applications: their handles and
// queues, open lines and phones with their privileges and filters, call
// handles per application, and requests waiting for their replies.
#ifndef DIALWERK_TAPI32_REGISTRY_H
#define DIALWERK_TAPI32_REGISTRY_H

#include "tapi32/MessageQueue.h"

#include <exchange/core/Events.h>
#include <exchange/core/VarStruct.h>

#include <tapi.h>

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

namespace exchange {
class Exchange;
}

namespace tapi32 {

struct AppRecord {
    DWORD handle = 0;
    bool phone = false; // a phone application (else a line application)
    DWORD apiVersion = 0;
    std::u16string name;
    std::shared_ptr<MessageQueue> queue;
};

struct LineOpenRecord {
    HLINE handle = 0;
    HLINEAPP app = 0;
    DWORD device = 0;
    DWORD version = 0;
    DWORD privileges = 0;
    DWORD mediaModes = 0;
    DWORD_PTR instance = 0;
    DWORD lineStates = 0; // lineSetStatusMessages filters
    DWORD addressStates = 0;
    uint64_t order = 0; // opens of all lines are numbered in the order they happened
    // Monitor handles lineGetNewCalls created whose list was too small to
    // carry them: the next lineGetNewCalls lists them.
    std::vector<HCALL> unlisted;
};

struct CallRecord {
    HCALL handle = 0;
    HLINEAPP app = 0;
    HLINE line = 0;
    exchange::LegId leg = 0;
    DWORD privilege = 0;
    DWORD digitModes = 0; // lineMonitorDigits: LINEDIGITMODE_ bits reported as LINE_MONITORDIGITS
};

struct PhoneOpenRecord {
    HPHONE handle = 0;
    HPHONEAPP app = 0;
    DWORD device = 0;
    DWORD version = 0;
    DWORD privilege = 0;
    DWORD_PTR instance = 0;
    DWORD phoneStates = 0; // phoneSetStatusMessages filters
    DWORD buttonModes = 0;
    DWORD buttonStates = 0;
};

/// Where the outcome of a request goes: the requester and the out-parameters
/// to write when it fetches the reply. A request belongs to the open line
/// (phone) it was made through: closing that open withdraws the request, and
/// its reply is never delivered.
struct PendingRequest {
    DWORD id = 0;
    DWORD app = 0;
    bool phone = false;
    HLINE line = 0;         // the line the request was made through; new calls appear on it
    HPHONE phoneHandle = 0; // the phone a phone request was made through
    DWORD device = 0;       // its device
    LPHCALL outCalls[2] = {nullptr, nullptr};
    LPVARSTRING outText = nullptr; // receives a text answer (a park address)
    LPDWORD outValue = nullptr;    // receives a number answer (a completion id)
    // A structure answered with the reply (agent status and lists): taken
    // when the request was made, written into outStruct when it succeeds.
    void *outStruct = nullptr;
    std::shared_ptr<const exchange::VarStruct> outAnswer;
};

/// The runtime's state. Every member is guarded by `mutex`, the runtime
/// lock: take it for any read or change. Inside it the exchange's lock and a
/// message queue's lock may be taken; nothing may wait for the exchange
/// thread while holding it.
class Registry {
public:
    explicit Registry(exchange::Exchange &ex) : exchange_(&ex) {}
    void setExchange(exchange::Exchange &ex) { exchange_ = &ex; }

    mutable std::mutex mutex;
    std::unordered_map<DWORD, AppRecord> apps;
    std::unordered_map<HLINE, LineOpenRecord> lines;
    std::unordered_map<HCALL, CallRecord> calls;
    std::unordered_map<HPHONE, PhoneOpenRecord> phones;
    std::unordered_map<DWORD, PendingRequest> pending;
    std::unordered_map<exchange::LegId, std::vector<HCALL>> legCalls; // call handles per leg
    uint64_t lineOpens = 0;                                           // the number of the last line open

    /// A new handle value, unused by any handle of any kind.
    DWORD newHandle();
    /// A new request identifier (1 to 0x7FFFFFFF), unused by pending requests.
    DWORD newRequestId();

    AppRecord *app(DWORD handle, bool phone);
    LineOpenRecord *line(HLINE handle);
    CallRecord *call(HCALL handle);
    PhoneOpenRecord *phoneOpen(HPHONE handle);

    /// Queues a message for an application.
    void post(DWORD app, DWORD hDevice, DWORD message, DWORD_PTR instance, DWORD_PTR p1, DWORD_PTR p2, DWORD_PTR p3,
              std::function<bool(LINEMESSAGE &)> onFetch = {});

    /// Gives an open line a handle to a leg (the exchange keeps the leg
    /// while handles exist). Answers 0 when the leg is gone.
    HCALL addCall(const LineOpenRecord &open, exchange::LegId leg, DWORD privilege);
    /// Takes a handle away; a sole owner dropping out drops a live call when
    /// `dropIfSoleOwner`. Other holders learn the new owner/monitor counts.
    void removeCall(HCALL handle, bool dropIfSoleOwner);
    /// The handle an open line holds for a leg, or 0.
    HCALL callOf(HLINE line, exchange::LegId leg) const;
    /// Owners and monitors of a leg.
    std::pair<DWORD, DWORD> holders(exchange::LegId leg) const;
    /// Calls `f(handle, record, open)` for every handle held for a leg through a
    /// line that is still open; `f` must not add or take away handles.
    template <class F> void forEachOpenHolder(exchange::LegId leg, F &&f)
    {
        auto it = legCalls.find(leg);
        if (it == legCalls.end())
            return;
        for (HCALL h : it->second) {
            const CallRecord &c = calls.at(h);
            if (const LineOpenRecord *open = line(c.line))
                f(h, c, *open);
        }
    }
    /// Tells every handle holder of a leg that its owner or monitor count changed.
    void announceHolders(exchange::LegId leg, DWORD infoStates, HCALL except);
    /// Whether the line (phone) a request was made through is still open by
    /// its requester: its reply may be delivered.
    bool requesterOpen(const PendingRequest &p) const;
    /// Closes an open line: its calls are given up (sole owners drop live
    /// calls), its outstanding requests withdrawn, and other openers of the
    /// device hear LINEDEVSTATE_CLOSE.
    void closeLine(HLINE handle);
    /// Closes an open phone, withdrawing its outstanding requests; other
    /// openers hear of the owner/monitor change.
    void closePhone(HPHONE handle);
    /// The provider closed a device: every open of it hears LINE_CLOSE
    /// (PHONE_CLOSE) and its handles become invalid.
    void forceClose(DWORD device, bool phone);
    /// Removes an application with its lines, phones and requests, and
    /// wakes its fetchers.
    void removeApp(DWORD handle);

    exchange::Exchange &exchange() { return *exchange_; }

private:
    exchange::Exchange *exchange_;
    DWORD nextHandle_ = 0x10000;
    DWORD nextRequest_ = 1;
};

} // namespace tapi32

#endif
