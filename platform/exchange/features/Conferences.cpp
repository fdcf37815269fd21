#include "exchange/features/Conferences.h"

#include <algorithm>

namespace exchange {

namespace {

constexpr DWORD kAddable =
    LINECALLSTATE_CONNECTED | LINECALLSTATE_ONHOLD | LINECALLSTATE_PROCEEDING | LINECALLSTATE_RINGBACK;

} // namespace

std::vector<LegId> Conferences::conferenceOf(LegId id) const
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

// ---- set-up ----

LONG Conferences::checkSetup(LegId call, DWORD line, DWORD address, DWORD parties) const
{
    if (call) {
        const Leg *l = core_.leg(call);
        if (!l || l->idle())
            return LINEERR_INVALCALLHANDLE;
        line = l->line();
        address = l->address();
    }
    const Line *ln = core_.line(line);
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
        if (core_.leg(call)->state() != LINECALLSTATE_CONNECTED)
            return LINEERR_INVALCALLSTATE;
        if (!conferenceOf(call).empty())
            return LINEERR_INVALCALLSTATE;
    }
    return 0;
}

void Conferences::setup(uint32_t requestId, LegId call, DWORD line, DWORD address, const MakeCallOptions &options)
{
    if (call) {
        line = core_.leg(call)->line();
        address = core_.leg(call)->address();
    }
    Leg &conf = newConferenceCall(line, address);
    Leg &consultation = calls_.outgoingLeg(line, address, options);
    consultation.infoForSetup().relatedCallId = conf.info().callId;
    conferences_[conf.id()];
    consultations_[consultation.id()] = conf.id();
    core_.report(Event::requestDone(requestId, 0, {conf.id(), consultation.id()}));
    conf.markAnnounced();
    consultation.markAnnounced();
    if (Leg *first = core_.leg(call))
        conference(*first, conf.id());
    core_.setState(conf, LINECALLSTATE_ONHOLDPENDCONF, 0);
    core_.setState(consultation, LINECALLSTATE_DIALTONE, LINEDIALTONEMODE_NORMAL);
}

Leg &Conferences::newConferenceCall(DWORD line, DWORD address)
{
    Leg &conf = core_.newLeg(line, address, core_.newConnection());
    CallInfoData &info = conf.infoForSetup();
    info.origin = LINECALLORIGIN_CONFERENCE;
    info.reason = LINECALLREASON_DIRECT;
    info.caller = core_.partyOf(conf);
    return conf;
}

void Conferences::conference(Leg &party, LegId conf)
{
    auto &parties = conferences_[conf];
    if (std::ranges::find(parties, party.id()) == parties.end())
        parties.push_back(party.id());
    party.changeInfo(LINECALLINFOSTATE_RELATEDCALLID, core_.out(),
                     [&](CallInfoData &i) { i.relatedCallId = core_.leg(conf)->info().callId; });
    core_.setState(party, LINECALLSTATE_CONFERENCED, 0, conf);
}

void Conferences::fromTwoCalls(uint32_t requestId, LegId held, LegId consultation)
{
    const Leg &h = *core_.leg(held);
    Leg &conf = newConferenceCall(h.line(), h.address());
    conferences_[conf.id()];
    core_.report(Event::requestDone(requestId, 0, {conf.id()}));
    conf.markAnnounced();
    conference(*core_.leg(held), conf.id());
    conference(*core_.leg(consultation), conf.id());
    core_.setState(conf, LINECALLSTATE_CONNECTED, LINECONNECTEDMODE_ACTIVE);
}

// ---- adding ----

LONG Conferences::checkPrepareAdd(LegId confId) const
{
    const Leg *conf = core_.leg(confId);
    if (!conf || conf->idle() || !conferences_.count(confId))
        return LINEERR_INVALCONFCALLHANDLE;
    const LINEADDRESSCAPS &caps = core_.addressCaps(*conf);
    if (!(caps.dwCallFeatures & LINECALLFEATURE_PREPAREADDCONF))
        return LINEERR_OPERATIONUNAVAIL;
    if (conf->state() != LINECALLSTATE_CONNECTED)
        return LINEERR_INVALCALLSTATE;
    return conferences_.at(confId).size() >= caps.dwMaxNumConference ? LINEERR_CONFERENCEFULL : 0;
}

void Conferences::prepareAdd(uint32_t requestId, LegId confId, const MakeCallOptions &options)
{
    Leg &conf = *core_.leg(confId);
    core_.setState(conf, LINECALLSTATE_ONHOLDPENDCONF, 0);
    Leg &consultation = calls_.outgoingLeg(conf.line(), conf.address(), options);
    consultation.infoForSetup().relatedCallId = conf.info().callId;
    consultations_[consultation.id()] = confId;
    core_.report(Event::requestDone(requestId, 0, {consultation.id()}));
    consultation.markAnnounced();
    core_.setState(consultation, LINECALLSTATE_DIALTONE, LINEDIALTONEMODE_NORMAL);
}

LONG Conferences::checkAdd(LegId confId, LegId callId) const
{
    const Leg *conf = core_.leg(confId);
    if (!conf || conf->idle() || !conferences_.count(confId))
        return LINEERR_INVALCONFCALLHANDLE;
    const Leg *call = core_.leg(callId);
    if (!call || call->idle() || callId == confId || call->line() != conf->line())
        return LINEERR_INVALCALLHANDLE;
    const LINEADDRESSCAPS &caps = core_.addressCaps(*conf);
    if (!(caps.dwCallFeatures & LINECALLFEATURE_ADDTOCONF))
        return LINEERR_OPERATIONUNAVAIL;
    // A waiting conference takes the call it waits for; a conference in
    // progress takes a call held beside it, which simply joins the talk.
    const bool waiting = conf->state() & (LINECALLSTATE_ONHOLDPENDCONF | LINECALLSTATE_ONHOLD);
    const bool joinsTalk = conf->state() == LINECALLSTATE_CONNECTED && call->state() == LINECALLSTATE_ONHOLD;
    if (!(waiting || joinsTalk) || !(call->state() & kAddable) || !conferenceOf(callId).empty())
        return LINEERR_INVALCALLSTATE;
    return conferences_.at(confId).size() >= caps.dwMaxNumConference ? LINEERR_CONFERENCEFULL : 0;
}

void Conferences::add(LegId confId, LegId callId)
{
    consultations_.erase(callId);
    conference(*core_.leg(callId), confId);
    core_.setState(*core_.leg(confId), LINECALLSTATE_CONNECTED, LINECONNECTEDMODE_ACTIVE);
}

// ---- removing ----

LONG Conferences::checkRemove(LegId id) const
{
    const Leg *l = core_.leg(id);
    if (!l)
        return LINEERR_INVALCALLHANDLE;
    if (l->idle())
        return LINEERR_INVALCALLSTATE;
    const LINEADDRESSCAPS &caps = core_.addressCaps(*l);
    if (!(caps.dwCallFeatures & LINECALLFEATURE_REMOVEFROMCONF) || caps.dwRemoveFromConfCaps == LINEREMOVEFROMCONF_NONE)
        return LINEERR_OPERATIONUNAVAIL;
    if (l->state() != LINECALLSTATE_CONFERENCED)
        return LINEERR_INVALCALLSTATE;
    const std::vector<LegId> all = conferenceOf(id);
    if (caps.dwRemoveFromConfCaps == LINEREMOVEFROMCONF_LAST && !all.empty() && all.back() != id)
        return LINEERR_INVALCALLSTATE;
    return 0;
}

void Conferences::remove(LegId id)
{
    const std::vector<LegId> all = conferenceOf(id);
    if (all.empty())
        return;
    const LegId confId = all.front();
    Leg &l = *core_.leg(id);
    if (core_.addressCaps(l).dwRemoveFromConfState == LINECALLSTATE_ONHOLD) {
        std::erase(conferences_[confId], id);
        core_.setState(l, LINECALLSTATE_ONHOLD, 0);
        dissolveIfAlone(confId);
        return;
    }
    core_.drop(id, {}); // dropping() takes it out of the conference
}

void Conferences::dissolveIfAlone(LegId confId)
{
    auto it = conferences_.find(confId);
    Leg *conf = core_.leg(confId);
    if (it == conferences_.end() || !conf || conf->state() == LINECALLSTATE_ONHOLDPENDCONF)
        return;
    if (it->second.size() > 1)
        return;
    const std::vector<LegId> rest = it->second;
    conferences_.erase(it);
    for (LegId id : rest)
        if (Leg *last = core_.leg(id); last && last->state() == LINECALLSTATE_CONFERENCED)
            core_.setState(*last, LINECALLSTATE_CONNECTED, LINECONNECTEDMODE_ACTIVE);
    core_.setState(*conf, LINECALLSTATE_IDLE, 0);
}

// ---- hooks ----

void Conferences::dropping(LegId id)
{
    if (auto it = conferences_.find(id); it != conferences_.end()) {
        // The conference call ends: every party with it, and a consultation
        // that was to join it.
        const std::vector<LegId> parties = it->second;
        conferences_.erase(it);
        for (LegId p : parties)
            if (Leg *party = core_.leg(p); party && !party->idle())
                core_.drop(p, {});
        for (auto c = consultations_.begin(); c != consultations_.end();) {
            const LegId consultation = c->first;
            if (c->second != id) {
                ++c;
                continue;
            }
            c = consultations_.erase(c);
            if (Leg *k = core_.leg(consultation); k && !k->idle())
                core_.drop(consultation, {});
        }
        return;
    }
    const std::vector<LegId> all = conferenceOf(id);
    if (all.empty())
        return;
    std::erase(conferences_[all.front()], id);
    dissolveIfAlone(all.front());
}

void Conferences::dropped(LegId id)
{
    auto it = consultations_.find(id);
    if (it == consultations_.end())
        return;
    const LegId waitingId = it->second;
    consultations_.erase(it);
    Leg *waiting = core_.leg(waitingId);
    if (!waiting || waiting->idle())
        return;
    auto conf = conferences_.find(waitingId);
    if (conf == conferences_.end())
        return;
    if (conf->second.empty()) {
        conferences_.erase(conf);
        core_.setState(*waiting, LINECALLSTATE_IDLE, 0);
        return;
    }
    core_.setState(*waiting, LINECALLSTATE_CONNECTED, LINECONNECTEDMODE_ACTIVE);
    dissolveIfAlone(waitingId);
}

bool Conferences::waitsForConsultation(LegId id) const
{
    return std::ranges::any_of(consultations_, [&](const auto &c) { return c.second == id; });
}

void Conferences::takingBack(LegId waiting)
{
    const auto it = std::ranges::find_if(consultations_, [&](const auto &c) { return c.second == waiting; });
    if (it == consultations_.end())
        return;
    const LegId consultation = it->first;
    consultations_.erase(it);
    if (const Leg *k = core_.leg(consultation); k && !k->idle())
        core_.drop(consultation, {});
}

void Conferences::forgetting(LegId id)
{
    consultations_.erase(id);
    conferences_.erase(id);
}

} // namespace exchange
