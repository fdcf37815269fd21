#include "exchange/core/CallFeatures.h"

namespace exchange {

DWORD callFeatures(const Leg &l, const AddressSituation &at, const LINEADDRESSCAPS &caps)
{
    constexpr DWORD media = LINECALLFEATURE_SETCALLDATA | LINECALLFEATURE_SETQOS;
    const bool conference = l.info().origin == LINECALLORIGIN_CONFERENCE;
    // A call with another one held beside it can complete a transfer with
    // it, or join a conference that waits for it.
    DWORD joining = 0;
    if (at.counts.onHold + at.counts.onHoldPending > 0)
        joining |= LINECALLFEATURE_COMPLETETRANSF;
    if (at.counts.onHoldPending > 0 || at.heldConference)
        joining |= LINECALLFEATURE_ADDTOCONF;
    DWORD f = 0;
    switch (l.state()) {
    case LINECALLSTATE_OFFERING:
        f = LINECALLFEATURE_ACCEPT | LINECALLFEATURE_ANSWER | LINECALLFEATURE_DROP | LINECALLFEATURE_REDIRECT | media;
        break;
    case LINECALLSTATE_ACCEPTED:
        f = LINECALLFEATURE_ANSWER | LINECALLFEATURE_DROP | LINECALLFEATURE_REDIRECT | media;
        break;
    case LINECALLSTATE_DIALTONE:
    case LINECALLSTATE_DIALING:
        f = LINECALLFEATURE_DIAL | LINECALLFEATURE_DROP | media;
        break;
    case LINECALLSTATE_PROCEEDING:
        f = LINECALLFEATURE_DROP | joining | media;
        break;
    case LINECALLSTATE_RINGBACK:
    case LINECALLSTATE_BUSY:
        f = LINECALLFEATURE_DROP | LINECALLFEATURE_COMPLETECALL | joining | media;
        break;
    case LINECALLSTATE_CONNECTED:
        f = LINECALLFEATURE_DROP | LINECALLFEATURE_GENERATEDIGITS | LINECALLFEATURE_SENDUSERUSER | media;
        if (conference)
            f |= LINECALLFEATURE_PREPAREADDCONF;
        else
            f |= LINECALLFEATURE_BLINDTRANSFER | LINECALLFEATURE_SETUPTRANSFER | LINECALLFEATURE_SETUPCONF |
                 LINECALLFEATURE_PARK | joining;
        if (at.counts.onHold < caps.dwMaxNumOnHoldCalls)
            f |= LINECALLFEATURE_HOLD;
        if (at.counts.onHold > 0)
            f |= LINECALLFEATURE_SWAPHOLD;
        break;
    case LINECALLSTATE_ONHOLD:
        f = LINECALLFEATURE_DROP | media;
        if (at.roomForActive)
            f |= LINECALLFEATURE_UNHOLD;
        // A held call can always be joined with another one later: its
        // features are read when it goes on hold, before the other exists.
        f |= conference ? LINECALLFEATURE_ADDTOCONF : LINECALLFEATURE_COMPLETETRANSF;
        if (at.connectedCall)
            f |= LINECALLFEATURE_SWAPHOLD;
        break;
    case LINECALLSTATE_ONHOLDPENDTRANSFER:
        f = LINECALLFEATURE_DROP | LINECALLFEATURE_COMPLETETRANSF | media;
        if (at.roomForActive)
            f |= LINECALLFEATURE_UNHOLD;
        if (at.connectedCall)
            f |= LINECALLFEATURE_SWAPHOLD;
        break;
    case LINECALLSTATE_ONHOLDPENDCONF:
        f = LINECALLFEATURE_DROP | LINECALLFEATURE_ADDTOCONF | media;
        if (at.roomForActive)
            f |= LINECALLFEATURE_UNHOLD;
        break;
    case LINECALLSTATE_CONFERENCED:
        f = LINECALLFEATURE_DROP | LINECALLFEATURE_REMOVEFROMCONF | media;
        break;
    case LINECALLSTATE_DISCONNECTED:
    case LINECALLSTATE_SPECIALINFO:
        f = LINECALLFEATURE_DROP;
        break;
    default:
        break;
    }
    if (!l.idle() && !l.info().userUserInfo.empty())
        f |= LINECALLFEATURE_RELEASEUSERUSERINFO;
    // The exchange offers nothing its address does not advertise.
    return f & caps.dwCallFeatures;
}

DWORD callFeatures2(DWORD f, const LINEADDRESSCAPS &caps)
{
    DWORD mask = 0;
    if (f & (LINECALLFEATURE_SETUPTRANSFER | LINECALLFEATURE_COMPLETETRANSF))
        mask |= LINECALLFEATURE2_TRANSFERNORM | LINECALLFEATURE2_TRANSFERCONF | LINECALLFEATURE2_ONESTEPTRANSFER;
    if (f & LINECALLFEATURE_SETUPCONF)
        mask |= LINECALLFEATURE2_NOHOLDCONFERENCE;
    if (f & LINECALLFEATURE_PARK)
        mask |= LINECALLFEATURE2_PARKDIRECT | LINECALLFEATURE2_PARKNONDIRECT;
    DWORD completion = 0;
    if (f & LINECALLFEATURE_COMPLETECALL) {
        // The completion bits follow the modes the address offers.
        const DWORD modes = caps.dwCallCompletionModes;
        completion |= (modes & LINECALLCOMPLMODE_CAMPON) ? DWORD(LINECALLFEATURE2_COMPLCAMPON) : 0;
        completion |= (modes & LINECALLCOMPLMODE_CALLBACK) ? DWORD(LINECALLFEATURE2_COMPLCALLBACK) : 0;
        completion |= (modes & LINECALLCOMPLMODE_INTRUDE) ? DWORD(LINECALLFEATURE2_COMPLINTRUDE) : 0;
        completion |= (modes & LINECALLCOMPLMODE_MESSAGE) ? DWORD(LINECALLFEATURE2_COMPLMESSAGE) : 0;
    }
    return (caps.dwCallFeatures2 & mask) | completion;
}

} // namespace exchange
