#include "exchange/features/Transfers.h"

#include "exchange/features/Conferences.h"

#include <algorithm>

namespace exchange {

namespace {

constexpr DWORD kHeldForTransfer = LINECALLSTATE_ONHOLD | LINECALLSTATE_ONHOLDPENDTRANSFER;
constexpr DWORD kConsultationStates =
    LINECALLSTATE_CONNECTED | LINECALLSTATE_RINGBACK | LINECALLSTATE_BUSY | LINECALLSTATE_PROCEEDING;

} // namespace

LONG Transfers::checkBlindTransfer(LegId id, std::u16string_view dest) const
{
    const Leg *l = core_.leg(id);
    if (!l)
        return LINEERR_INVALCALLHANDLE;
    if (l->idle())
        return LINEERR_INVALCALLSTATE;
    if (!(core_.addressCaps(*l).dwCallFeatures & LINECALLFEATURE_BLINDTRANSFER))
        return LINEERR_OPERATIONUNAVAIL;
    if (l->state() != LINECALLSTATE_CONNECTED)
        return LINEERR_INVALCALLSTATE;
    return calls_.checkDestination(*l, dest);
}

void Transfers::blindTransfer(LegId id, std::u16string_view dest)
{
    // A far call is referred to the destination; once the network took it
    // on, the call ends.
    const std::u16string to(dest);
    if (calls_.deferToNetwork(
            *core_.leg(id), FarCommand::Kind::Refer,
            [this, id, to] {
                if (LONG r = checkBlindTransfer(id, to))
                    return r;
                core_.drop(id, {});
                return LONG(0);
            },
            to))
        return;
    calls_.sendElsewhere(id, dest, LINECALLREASON_TRANSFER);
}

LONG Transfers::checkSetupTransfer(LegId id) const
{
    const Leg *l = core_.leg(id);
    if (!l)
        return LINEERR_INVALCALLHANDLE;
    if (l->idle())
        return LINEERR_INVALCALLSTATE;
    if (!(core_.addressCaps(*l).dwCallFeatures & LINECALLFEATURE_SETUPTRANSFER))
        return LINEERR_OPERATIONUNAVAIL;
    return l->state() == LINECALLSTATE_CONNECTED ? 0 : LINEERR_INVALCALLSTATE;
}

void Transfers::setupTransfer(uint32_t requestId, LegId id, const MakeCallOptions &options)
{
    Leg &held = *core_.leg(id);
    core_.setState(held, LINECALLSTATE_ONHOLDPENDTRANSFER, 0);
    Leg &consultation = calls_.outgoingLeg(held.line(), held.address(), options);
    consultation.infoForSetup().relatedCallId = held.info().callId;
    consultations_[consultation.id()] = id;
    core_.report(Event::requestDone(requestId, 0, {consultation.id()}));
    consultation.markAnnounced();
    core_.setState(consultation, LINECALLSTATE_DIALTONE, LINEDIALTONEMODE_NORMAL);
}

LONG Transfers::checkCompleteTransfer(LegId heldId, LegId consultationId, DWORD mode) const
{
    const Leg *held = core_.leg(heldId);
    const Leg *consultation = core_.leg(consultationId);
    if (!held || held->idle())
        return LINEERR_INVALCALLHANDLE;
    if (!consultation || consultation->idle() || consultationId == heldId || consultation->line() != held->line())
        return LINEERR_INVALCONSULTCALLHANDLE;
    if (mode != LINETRANSFERMODE_TRANSFER && mode != LINETRANSFERMODE_CONFERENCE)
        return LINEERR_INVALTRANSFERMODE;
    const LINEADDRESSCAPS &caps = core_.addressCaps(*held);
    if (!(caps.dwCallFeatures & LINECALLFEATURE_COMPLETETRANSF) || !(caps.dwTransferModes & mode))
        return LINEERR_OPERATIONUNAVAIL;
    if (!(held->state() & kHeldForTransfer) || !(consultation->state() & kConsultationStates))
        return LINEERR_INVALCALLSTATE;
    if (mode == LINETRANSFERMODE_CONFERENCE &&
        (!conferences_.conferenceOf(heldId).empty() || caps.dwMaxNumConference < 2))
        return LINEERR_OPERATIONUNAVAIL;
    // Joining needs the consultation call still tied to its far party.
    if (mode == LINETRANSFERMODE_TRANSFER && !core_.connection(consultation->connection()))
        return LINEERR_INVALCALLSTATE;
    return 0;
}

void Transfers::completeTransfer(uint32_t requestId, LegId heldId, LegId consultationId, DWORD mode)
{
    consultations_.erase(consultationId);
    if (mode == LINETRANSFERMODE_CONFERENCE) {
        conferences_.fromTwoCalls(requestId, heldId, consultationId);
        return;
    }
    Leg &held = *core_.leg(heldId);
    Leg &consultation = *core_.leg(consultationId);
    if (core_.farLeg(held) && core_.farLeg(consultation)) {
        // The held party is referred to the consultation party, replacing
        // our dialog with it; both calls end once the network took it on.
        core_.far().defer(requestId, [this, heldId, consultationId] {
            Leg *h = core_.leg(heldId);
            Leg *c = core_.leg(consultationId);
            if (!h || !c || h->idle() || c->idle())
                return LONG(LINEERR_INVALCALLHANDLE);
            join(*h, *c);
            return LONG(0);
        });
        core_.farCommand(FarCommand::Kind::ReferReplacing, held, requestId, {}, consultationId);
        return;
    }
    core_.report(Event::requestDone(requestId, 0));
    join(held, consultation);
}

void Transfers::join(Leg &held, Leg &consultation)
{
    Connection &first = *core_.connection(held.connection());
    Connection &second = *core_.connection(consultation.connection());
    first.remove(held.id());
    second.remove(consultation.id());
    core_.cancelGeneration(held);
    core_.cancelGeneration(consultation);

    if (first.external && second.external) {
        // Both far parties are outside: the exchange lets go of both.
        core_.setState(held, LINECALLSTATE_IDLE, 0);
        core_.setState(consultation, LINECALLSTATE_IDLE, 0);
        for (Connection *c : {&first, &second})
            if (!c->alive())
                core_.eraseConnection(*c);
        return;
    }
    // The parties move into the call that has a party outside, if any, so
    // that what the far end is about to do (answer) still finds them.
    Connection &into = first.external ? first : second;
    Connection &from = first.external ? second : first;
    for (LegId id : from.legs) {
        core_.leg(id)->moveTo(into.id);
        into.legs.push_back(id);
    }
    from.legs.clear();
    core_.setState(held, LINECALLSTATE_IDLE, 0);
    core_.setState(consultation, LINECALLSTATE_IDLE, 0);
    core_.eraseConnection(from);
    if (!into.alive()) {
        core_.eraseConnection(into);
        return;
    }
    // Until the far party answers, the party passed on hears it ring.
    const bool ringing =
        (into.external && !into.external->answered) || std::ranges::any_of(into.legs, [&](LegId id) {
            return (core_.leg(id)->state() & (LINECALLSTATE_OFFERING | LINECALLSTATE_ACCEPTED)) != 0;
        });
    if (ringing)
        for (LegId id : std::vector<LegId>(into.legs))
            if (core_.leg(id)->state() == LINECALLSTATE_CONNECTED)
                core_.setState(*core_.leg(id), LINECALLSTATE_RINGBACK, 0);
    // The joined parties learn whom they talk to now.
    const std::vector<LegId> parties = into.legs;
    for (LegId id : parties) {
        Leg &l = *core_.leg(id);
        PartyId other;
        if (LegId o = into.other(id))
            other = core_.partyOf(*core_.leg(o));
        else if (into.external)
            other = PartyId::of(into.external->number, into.external->name);
        l.changeInfo(LINECALLINFOSTATE_CONNECTEDID, core_.out(), [&](CallInfoData &i) { i.connected = other; });
    }
}

// ---- hooks ----

void Transfers::stateChanged(Leg &leg, DWORD)
{
    if (leg.state() == LINECALLSTATE_CONFERENCED)
        consultations_.erase(leg.id());
}

void Transfers::dropped(LegId id)
{
    // A dropped consultation call gives the call held for it back.
    const auto it = consultations_.find(id);
    if (it == consultations_.end())
        return;
    Leg *waiting = core_.leg(it->second);
    consultations_.erase(it);
    if (waiting && waiting->state() == LINECALLSTATE_ONHOLDPENDTRANSFER)
        core_.setState(*waiting, LINECALLSTATE_CONNECTED, LINECONNECTEDMODE_ACTIVE);
}

bool Transfers::waitsForConsultation(LegId id) const
{
    return std::ranges::any_of(consultations_, [&](const auto &c) { return c.second == id; });
}

void Transfers::takingBack(LegId waiting)
{
    const auto it = std::ranges::find_if(consultations_, [&](const auto &c) { return c.second == waiting; });
    if (it == consultations_.end())
        return;
    const LegId consultation = it->first;
    consultations_.erase(it);
    if (const Leg *k = core_.leg(consultation); k && !k->idle())
        core_.drop(consultation, {});
}

} // namespace exchange
