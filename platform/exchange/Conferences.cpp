#include "exchange/Conferences.h"

#include "exchange/Switchboard.h"

#include <algorithm>

namespace exchange {

namespace {

constexpr DWORD kAddable =
    LINECALLSTATE_CONNECTED | LINECALLSTATE_ONHOLD | LINECALLSTATE_PROCEEDING | LINECALLSTATE_RINGBACK;

} // namespace

std::vector<LegId> Switchboard::conferenceOf(LegId id) const
{
    auto has = [&](const auto &entry) { return std::ranges::find(entry.second, id) != entry.second.end(); };
    auto it = conferences_.find(id);
    if (it == conferences_.end())
        it = std::ranges::find_if(conferences_, has);
    if (it == conferences_.end())
        return {};
    std::vector<LegId> out{it->first};
    out.insert(out.end(), it->second.begin(), it->second.end());
    return out;
}

LegId Switchboard::consultedFor(LegId consultation) const
{
    auto it = consultations_.find(consultation);
    return it == consultations_.end() ? 0 : it->second;
}

// ---- set-up ----

LONG Conferences::checkSetup(const Switchboard &b, LegId call, DWORD line, DWORD address, DWORD parties)
{
    if (call) {
        const Leg *l = b.leg(call);
        if (!l || l->idle())
            return LINEERR_INVALCALLHANDLE;
        line = l->line();
        address = l->address();
    }
    const Line *ln = b.line(line);
    if (!ln)
        return LINEERR_BADDEVICEID;
    if (!ln->hasAddress(address))
        return LINEERR_INVALADDRESSID;
    const LINEADDRESSCAPS &caps = ln->address(address).caps;
    if (!(caps.dwCallFeatures & LINECALLFEATURE_SETUPCONF) || caps.dwMaxNumConference < 2)
        return LINEERR_OPERATIONUNAVAIL;
    if (parties > caps.dwMaxNumConference)
        return LINEERR_CONFERENCEFULL;
    if (call) {
        if (b.leg(call)->state() != LINECALLSTATE_CONNECTED)
            return LINEERR_INVALCALLSTATE;
        if (!b.conferenceOf(call).empty())
            return LINEERR_INVALCALLSTATE;
    }
    return 0;
}

void Conferences::setup(uint32_t requestId, LegId call, DWORD line, DWORD address, const MakeCallOptions &options)
{
    Switchboard &b = board_;
    if (call) {
        line = b.leg(call)->line();
        address = b.leg(call)->address();
    }
    Leg &conf = newConferenceCall(line, address);
    Leg &consultation = b.outgoingLeg(line, address, options);
    consultation.infoForSetup().relatedCallId = conf.info().callId;
    b.conferences_[conf.id()];
    b.consultations_[consultation.id()] = conf.id();
    b.out_.push_back(Event::requestDone(requestId, 0, {conf.id(), consultation.id()}));
    conf.markAnnounced();
    consultation.markAnnounced();
    if (Leg *first = b.leg(call))
        conference(*first, conf.id());
    b.setState(conf, LINECALLSTATE_ONHOLDPENDCONF, 0);
    b.setState(consultation, LINECALLSTATE_DIALTONE, LINEDIALTONEMODE_NORMAL);
}

Leg &Conferences::newConferenceCall(DWORD line, DWORD address)
{
    Switchboard &b = board_;
    Leg &conf = b.newLeg(line, address, b.newConnection());
    CallInfoData &info = conf.infoForSetup();
    info.origin = LINECALLORIGIN_CONFERENCE;
    info.reason = LINECALLREASON_DIRECT;
    info.caller = b.partyOf(conf);
    return conf;
}

void Conferences::conference(Leg &party, LegId conf)
{
    Switchboard &b = board_;
    auto &parties = b.conferences_[conf];
    if (std::ranges::find(parties, party.id()) == parties.end())
        parties.push_back(party.id());
    party.changeInfo(LINECALLINFOSTATE_RELATEDCALLID, b.out_,
                     [&](CallInfoData &i) { i.relatedCallId = b.leg(conf)->info().callId; });
    b.setState(party, LINECALLSTATE_CONFERENCED, 0, conf);
}

void Conferences::fromTwoCalls(uint32_t requestId, LegId held, LegId consultation)
{
    Switchboard &b = board_;
    const Leg &h = *b.leg(held);
    Leg &conf = newConferenceCall(h.line(), h.address());
    b.conferences_[conf.id()];
    b.out_.push_back(Event::requestDone(requestId, 0, {conf.id()}));
    conf.markAnnounced();
    conference(*b.leg(held), conf.id());
    conference(*b.leg(consultation), conf.id());
    b.setState(conf, LINECALLSTATE_CONNECTED, LINECONNECTEDMODE_ACTIVE);
}

// ---- adding ----

LONG Conferences::checkPrepareAdd(const Switchboard &b, LegId confId)
{
    const Leg *conf = b.leg(confId);
    if (!conf || conf->idle() || !b.conferences_.count(confId))
        return LINEERR_INVALCONFCALLHANDLE;
    const LINEADDRESSCAPS &caps = b.addressCaps(*conf);
    if (!(caps.dwCallFeatures & LINECALLFEATURE_PREPAREADDCONF))
        return LINEERR_OPERATIONUNAVAIL;
    if (conf->state() != LINECALLSTATE_CONNECTED)
        return LINEERR_INVALCALLSTATE;
    return b.conferences_.at(confId).size() >= caps.dwMaxNumConference ? LINEERR_CONFERENCEFULL : 0;
}

void Conferences::prepareAdd(uint32_t requestId, LegId confId, const MakeCallOptions &options)
{
    Switchboard &b = board_;
    Leg &conf = *b.leg(confId);
    b.setState(conf, LINECALLSTATE_ONHOLDPENDCONF, 0);
    Leg &consultation = b.outgoingLeg(conf.line(), conf.address(), options);
    consultation.infoForSetup().relatedCallId = conf.info().callId;
    b.consultations_[consultation.id()] = confId;
    b.out_.push_back(Event::requestDone(requestId, 0, {consultation.id()}));
    consultation.markAnnounced();
    b.setState(consultation, LINECALLSTATE_DIALTONE, LINEDIALTONEMODE_NORMAL);
}

LONG Conferences::checkAdd(const Switchboard &b, LegId confId, LegId callId)
{
    const Leg *conf = b.leg(confId);
    if (!conf || conf->idle() || !b.conferences_.count(confId))
        return LINEERR_INVALCONFCALLHANDLE;
    const Leg *call = b.leg(callId);
    if (!call || call->idle() || callId == confId || call->line() != conf->line())
        return LINEERR_INVALCALLHANDLE;
    const LINEADDRESSCAPS &caps = b.addressCaps(*conf);
    if (!(caps.dwCallFeatures & LINECALLFEATURE_ADDTOCONF))
        return LINEERR_OPERATIONUNAVAIL;
    if (!(conf->state() & (LINECALLSTATE_ONHOLDPENDCONF | LINECALLSTATE_ONHOLD)) || !(call->state() & kAddable) ||
        !b.conferenceOf(callId).empty())
        return LINEERR_INVALCALLSTATE;
    return b.conferences_.at(confId).size() >= caps.dwMaxNumConference ? LINEERR_CONFERENCEFULL : 0;
}

void Conferences::add(LegId confId, LegId callId)
{
    Switchboard &b = board_;
    b.consultations_.erase(callId);
    conference(*b.leg(callId), confId);
    b.setState(*b.leg(confId), LINECALLSTATE_CONNECTED, LINECONNECTEDMODE_ACTIVE);
}

// ---- removing ----

LONG Conferences::checkRemove(const Switchboard &b, LegId id)
{
    const Leg *l = b.leg(id);
    if (!l)
        return LINEERR_INVALCALLHANDLE;
    if (l->idle())
        return LINEERR_INVALCALLSTATE;
    const LINEADDRESSCAPS &caps = b.addressCaps(*l);
    if (!(caps.dwCallFeatures & LINECALLFEATURE_REMOVEFROMCONF) || caps.dwRemoveFromConfCaps == LINEREMOVEFROMCONF_NONE)
        return LINEERR_OPERATIONUNAVAIL;
    if (l->state() != LINECALLSTATE_CONFERENCED)
        return LINEERR_INVALCALLSTATE;
    const std::vector<LegId> all = b.conferenceOf(id);
    if (caps.dwRemoveFromConfCaps == LINEREMOVEFROMCONF_LAST && !all.empty() && all.back() != id)
        return LINEERR_INVALCALLSTATE;
    return 0;
}

void Conferences::remove(LegId id)
{
    Switchboard &b = board_;
    const std::vector<LegId> all = b.conferenceOf(id);
    if (all.empty())
        return;
    const LegId confId = all.front();
    Leg &l = *b.leg(id);
    if (b.addressCaps(l).dwRemoveFromConfState == LINECALLSTATE_ONHOLD) {
        std::erase(b.conferences_[confId], id);
        b.setState(l, LINECALLSTATE_ONHOLD, 0);
        dissolveIfAlone(confId);
        return;
    }
    b.drop(id, {}); // leaving() takes it out of the conference
}

void Conferences::dissolveIfAlone(LegId confId)
{
    Switchboard &b = board_;
    auto it = b.conferences_.find(confId);
    Leg *conf = b.leg(confId);
    if (it == b.conferences_.end() || !conf || conf->state() == LINECALLSTATE_ONHOLDPENDCONF)
        return;
    if (it->second.size() > 1)
        return;
    const std::vector<LegId> rest = it->second;
    b.conferences_.erase(it);
    for (LegId id : rest)
        if (Leg *last = b.leg(id); last && last->state() == LINECALLSTATE_CONFERENCED)
            b.setState(*last, LINECALLSTATE_CONNECTED, LINECONNECTEDMODE_ACTIVE);
    b.setState(*conf, LINECALLSTATE_IDLE, 0);
}

// ---- dropping and unholding ----

void Conferences::leaving(LegId id)
{
    Switchboard &b = board_;
    if (auto it = b.conferences_.find(id); it != b.conferences_.end()) {
        // The conference call ends: every party with it, and a consultation
        // that was to join it.
        const std::vector<LegId> parties = it->second;
        b.conferences_.erase(it);
        for (LegId p : parties)
            if (Leg *party = b.leg(p); party && !party->idle())
                b.drop(p, {});
        for (auto c = b.consultations_.begin(); c != b.consultations_.end();) {
            const LegId consultation = c->first;
            if (c->second != id) {
                ++c;
                continue;
            }
            c = b.consultations_.erase(c);
            if (Leg *k = b.leg(consultation); k && !k->idle())
                b.drop(consultation, {});
        }
        return;
    }
    const std::vector<LegId> all = b.conferenceOf(id);
    if (all.empty())
        return;
    std::erase(b.conferences_[all.front()], id);
    dissolveIfAlone(all.front());
}

void Conferences::left(LegId id)
{
    Switchboard &b = board_;
    auto it = b.consultations_.find(id);
    if (it == b.consultations_.end())
        return;
    const LegId waitingId = it->second;
    b.consultations_.erase(it);
    Leg *waiting = b.leg(waitingId);
    if (!waiting || waiting->idle())
        return;
    if (auto conf = b.conferences_.find(waitingId); conf != b.conferences_.end()) {
        if (conf->second.empty()) {
            b.conferences_.erase(conf);
            b.setState(*waiting, LINECALLSTATE_IDLE, 0);
            return;
        }
        b.setState(*waiting, LINECALLSTATE_CONNECTED, LINECONNECTEDMODE_ACTIVE);
        dissolveIfAlone(waitingId);
        return;
    }
    if (waiting->state() == LINECALLSTATE_ONHOLDPENDTRANSFER)
        b.setState(*waiting, LINECALLSTATE_CONNECTED, LINECONNECTEDMODE_ACTIVE);
}

void Conferences::abandonConsultation(LegId waitingId)
{
    Switchboard &b = board_;
    for (auto c = b.consultations_.begin(); c != b.consultations_.end(); ++c) {
        if (c->second != waitingId)
            continue;
        const LegId consultation = c->first;
        b.consultations_.erase(c);
        if (Leg *k = b.leg(consultation); k && !k->idle())
            b.drop(consultation, {});
        return;
    }
}

} // namespace exchange
