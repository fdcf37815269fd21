// Call completion: camp on, call back, intrude and leave a message for an
// extension that was busy or did not answer.
//
// The exchange's choices where providers differ:
//  - A call can be completed while it is BUSY or RINGBACK at the calling side
//    of a call to another extension: the target is the extension dialed (a
//    busy call) or the one where the call rings. Calls to outside numbers and
//    calls in other states: LINEERR_INVALCALLSTATE. The mode must be exactly
//    one of the address's dwCallCompletionModes (LINEERR_INVALCALLCOMPLMODE),
//    a message id one of its completion messages (LINEERR_INVALMESSAGEID).
//  - Every accepted request gets a completion id, unique within the exchange
//    and never reused, carried by the reply.
//  - Camp on and call back wait for the target to come free: they fire once
//    one of the target's calls other than the original call has ended, and
//    the target is then left with no calls apart from the original call's.
//    That is checked as soon as the operation that ended the call is over;
//    at each such moment one completion per target fires, the oldest first,
//    and the others wait for the next one.
//  - Call back, when it fires: the caller's address is offered a new call
//    (OFFERING, reason CALLCOMPLETION, dwCompletionID the id, the target as
//    caller id). Answering it rings the target with that call: the caller's
//    side turns RINGBACK and takes the caller's own identity (the target is
//    now the called party), the target sees OFFERING from the caller, and an
//    answer connects both. A caller whose address cannot take another call
//    at that moment keeps the completion pending for the next one.
//  - Camp on, when it fires: if the original call is still BUSY, the target
//    is rung with it (reason CALLCOMPLETION, the caller hears RINGBACK); if
//    it still rings at the target, it simply rings on; if the caller has
//    dropped it, it behaves as call back.
//  - Intrude is carried out with the reply: a call that rings unanswered is
//    answered at the target as if it went off-hook there; at a busy target
//    every connected call is put on hold, whatever the hold limit, and the
//    caller is connected to a new call there (reason CALLCOMPLETION). A
//    target out of service cannot be intruded on (LINEERR_OPERATIONFAILED).
//  - Message is carried out with the reply: the target line gets message
//    waiting (LINE_LINEDEVSTATE MSGWAITON when it was off) and the exchange
//    keeps (completion id, message id, caller number) for that line.
//  - Intrude and message leave nothing pending. A pending completion is
//    forgotten when the caller's or the target's line device is removed,
//    and with the exchange.
#ifndef DIALWERK_EXCHANGE_FEATURES_COMPLETIONS_H
#define DIALWERK_EXCHANGE_FEATURES_COMPLETIONS_H

#include "exchange/core/Calls.h"
#include "exchange/core/Core.h"

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace exchange {

/// A camp on or call back waiting for its target to come free.
struct PendingCompletion {
    DWORD id = 0;
    DWORD mode = 0; // LINECALLCOMPLMODE_CAMPON or _CALLBACK
    DWORD callerLine = 0, callerAddress = 0;
    DWORD targetLine = 0, targetAddress = 0;
    LegId original = 0;                  // the caller's call the request was made on
    ConnectionId originalConnection = 0; // its calls do not count at the target
    bool triggered = false;              // a call at the target ended since the last look
};

/// A message a completion request left at a line.
struct LeftMessage {
    DWORD completionId = 0;
    DWORD messageId = 0;
    std::u16string caller; // the requesting address's number
};

/// Carries out call completion (under the exchange's lock).
class Completions final : public Feature {
public:
    Completions(Core &core, Calls &calls) : core_(core), calls_(calls) {}

    /// 0 or the LINEERR_ code lineCompleteCall fails with.
    LONG check(LegId leg, DWORD mode, DWORD messageId) const;
    /// Reports RequestDone with the new completion id as outValue, then
    /// carries out an intrusion or message, or keeps the completion pending.
    void complete(uint32_t requestId, LegId leg, DWORD mode, DWORD messageId);

    /// Camp ons and call backs waiting for their target, oldest first.
    const std::vector<PendingCompletion> &pending() const { return pending_; }
    /// The messages completion requests left at a line, oldest first.
    std::vector<LeftMessage> messages(DWORD line) const;

    // ---- hooks ----
    /// A leg went idle: completions waiting for its address may fire.
    void stateChanged(Leg &leg, DWORD before) override;
    /// An offered call back that is answered rings its target instead of connecting.
    bool answering(Leg &leg) override;
    /// Only a call to another extension can be completed.
    DWORD restrictFeatures(const Leg &leg, DWORD features) const override;
    /// Completions from or to a removed line are forgotten.
    void lineRemoved(DWORD line) override;

private:
    /// The extension (line, address) a call could be completed at, if any.
    std::optional<std::pair<DWORD, DWORD>> targetOf(const Leg &leg) const;
    void look();
    /// Carries out a completion whose target came free; false when the
    /// caller cannot take the call back now (it stays pending).
    bool fire(const PendingCompletion &p);
    bool offerCallBack(const PendingCompletion &p);
    void intrude(Leg &caller, std::pair<DWORD, DWORD> target);
    void leaveMessage(const Leg &caller, std::pair<DWORD, DWORD> target, DWORD id, DWORD messageId);
    /// True when the address has no calls but those of `except`.
    bool freeExcept(DWORD line, DWORD address, ConnectionId except) const;

    Core &core_;
    Calls &calls_;
    std::vector<PendingCompletion> pending_;             // oldest first
    std::map<LegId, std::pair<DWORD, DWORD>> callbacks_; // offered call back → target line, address
    std::map<DWORD, std::vector<LeftMessage>> messages_; // by target line, oldest first
    DWORD nextId_ = 1;
    bool lookScheduled_ = false;
};

} // namespace exchange

#endif
