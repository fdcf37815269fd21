#include "exchange/Transfers.h"

#include "exchange/Conferences.h"
#include "exchange/Parking.h"
#include "exchange/Switchboard.h"

#include <algorithm>

namespace exchange {

namespace {

constexpr DWORD kHeldForTransfer = LINECALLSTATE_ONHOLD | LINECALLSTATE_ONHOLDPENDTRANSFER;
constexpr DWORD kConsultationStates =
    LINECALLSTATE_CONNECTED | LINECALLSTATE_RINGBACK | LINECALLSTATE_BUSY | LINECALLSTATE_PROCEEDING;

} // namespace

LONG Transfers::checkBlindTransfer(const Switchboard &b, LegId id, std::u16string_view dest)
{
    const Leg *l = b.leg(id);
    if (!l)
        return LINEERR_INVALCALLHANDLE;
    if (l->idle())
        return LINEERR_INVALCALLSTATE;
    if (!(b.addressCaps(*l).dwCallFeatures & LINECALLFEATURE_BLINDTRANSFER))
        return LINEERR_OPERATIONUNAVAIL;
    if (l->state() != LINECALLSTATE_CONNECTED)
        return LINEERR_INVALCALLSTATE;
    return Parking::checkDestination(b, *l, dest);
}

void Transfers::blindTransfer(LegId id, std::u16string_view dest)
{
    Parking(board_).sendElsewhere(id, dest, LINECALLREASON_TRANSFER);
}

LONG Transfers::checkSetupTransfer(const Switchboard &b, LegId id)
{
    const Leg *l = b.leg(id);
    if (!l)
        return LINEERR_INVALCALLHANDLE;
    if (l->idle())
        return LINEERR_INVALCALLSTATE;
    if (!(b.addressCaps(*l).dwCallFeatures & LINECALLFEATURE_SETUPTRANSFER))
        return LINEERR_OPERATIONUNAVAIL;
    return l->state() == LINECALLSTATE_CONNECTED ? 0 : LINEERR_INVALCALLSTATE;
}

void Transfers::setupTransfer(uint32_t requestId, LegId id, const MakeCallOptions &options)
{
    Switchboard &b = board_;
    Leg &held = *b.leg(id);
    b.setState(held, LINECALLSTATE_ONHOLDPENDTRANSFER, 0);
    Leg &consultation = b.outgoingLeg(held.line(), held.address(), options);
    consultation.infoForSetup().relatedCallId = held.info().callId;
    b.consultations_[consultation.id()] = id;
    b.out_.push_back(Event::requestDone(requestId, 0, {consultation.id()}));
    consultation.markAnnounced();
    b.setState(consultation, LINECALLSTATE_DIALTONE, LINEDIALTONEMODE_NORMAL);
}

LONG Transfers::checkCompleteTransfer(const Switchboard &b, LegId heldId, LegId consultationId, DWORD mode)
{
    const Leg *held = b.leg(heldId);
    const Leg *consultation = b.leg(consultationId);
    if (!held || held->idle())
        return LINEERR_INVALCALLHANDLE;
    if (!consultation || consultation->idle() || consultationId == heldId || consultation->line() != held->line())
        return LINEERR_INVALCONSULTCALLHANDLE;
    if (mode != LINETRANSFERMODE_TRANSFER && mode != LINETRANSFERMODE_CONFERENCE)
        return LINEERR_INVALTRANSFERMODE;
    const LINEADDRESSCAPS &caps = b.addressCaps(*held);
    if (!(caps.dwCallFeatures & LINECALLFEATURE_COMPLETETRANSF) || !(caps.dwTransferModes & mode))
        return LINEERR_OPERATIONUNAVAIL;
    if (!(held->state() & kHeldForTransfer) || !(consultation->state() & kConsultationStates))
        return LINEERR_INVALCALLSTATE;
    if (mode == LINETRANSFERMODE_CONFERENCE && (!b.conferenceOf(heldId).empty() || caps.dwMaxNumConference < 2))
        return LINEERR_OPERATIONUNAVAIL;
    if (mode == LINETRANSFERMODE_TRANSFER) {
        // Two parties outside can be joined only where one of them is local or
        // the call is at least ringing there.
        const Connection *c =
            b.connections_.count(consultation->connection()) ? &b.connections_.at(consultation->connection()) : nullptr;
        if (!c)
            return LINEERR_INVALCALLSTATE;
    }
    return 0;
}

void Transfers::completeTransfer(uint32_t requestId, LegId heldId, LegId consultationId, DWORD mode)
{
    Switchboard &b = board_;
    b.consultations_.erase(consultationId);
    if (mode == LINETRANSFERMODE_CONFERENCE) {
        Conferences(b).fromTwoCalls(requestId, heldId, consultationId);
        return;
    }
    b.out_.push_back(Event::requestDone(requestId, 0));
    join(*b.leg(heldId), *b.leg(consultationId));
}

void Transfers::join(Leg &held, Leg &consultation)
{
    Switchboard &b = board_;
    Connection &first = *b.connection(held.connection());
    Connection &second = *b.connection(consultation.connection());
    first.remove(held.id());
    second.remove(consultation.id());
    b.cancelGeneration(held);
    b.cancelGeneration(consultation);

    if (first.external && second.external) {
        // Both far parties are outside: the exchange lets go of both.
        b.setState(held, LINECALLSTATE_IDLE, 0);
        b.setState(consultation, LINECALLSTATE_IDLE, 0);
        for (Connection *c : {&first, &second})
            if (!c->alive())
                b.eraseConnection(*c);
        return;
    }
    // The parties move into the call that has a party outside, if any, so
    // that what the far end is about to do (answer) still finds them.
    Connection &into = first.external ? first : second;
    Connection &from = first.external ? second : first;
    for (LegId id : from.legs) {
        b.leg(id)->moveTo(into.id);
        into.legs.push_back(id);
    }
    from.legs.clear();
    b.setState(held, LINECALLSTATE_IDLE, 0);
    b.setState(consultation, LINECALLSTATE_IDLE, 0);
    b.eraseConnection(from);
    if (!into.alive()) {
        b.eraseConnection(into);
        return;
    }
    // Until the far party answers, the party passed on hears it ring.
    const bool ringing = (into.external && !into.external->answered) || std::ranges::any_of(into.legs, [&](LegId id) {
                             return (b.leg(id)->state() & (LINECALLSTATE_OFFERING | LINECALLSTATE_ACCEPTED)) != 0;
                         });
    if (ringing)
        for (LegId id : std::vector<LegId>(into.legs))
            if (b.leg(id)->state() == LINECALLSTATE_CONNECTED)
                b.setState(*b.leg(id), LINECALLSTATE_RINGBACK, 0);
    // The joined parties learn whom they talk to now.
    const std::vector<LegId> parties = into.legs;
    for (LegId id : parties) {
        Leg &l = *b.leg(id);
        PartyId other;
        if (LegId o = into.other(id))
            other = b.partyOf(*b.leg(o));
        else if (into.external)
            other = PartyId::of(into.external->number, into.external->name);
        l.changeInfo(LINECALLINFOSTATE_CONNECTEDID, b.out_, [&](CallInfoData &i) { i.connected = other; });
    }
}

} // namespace exchange
