#include "exchange/Forwarding.h"

#include "exchange/Parking.h"
#include "exchange/Switchboard.h"

#include <algorithm>

namespace exchange {

namespace {

constexpr DWORD kUncond = LINEFORWARDMODE_UNCOND | LINEFORWARDMODE_UNCONDINTERNAL | LINEFORWARDMODE_UNCONDEXTERNAL |
                          LINEFORWARDMODE_UNCONDSPECIFIC;
constexpr DWORD kBusy =
    LINEFORWARDMODE_BUSY | LINEFORWARDMODE_BUSYINTERNAL | LINEFORWARDMODE_BUSYEXTERNAL | LINEFORWARDMODE_BUSYSPECIFIC;
constexpr DWORD kNoAnswer = LINEFORWARDMODE_NOANSW | LINEFORWARDMODE_NOANSWINTERNAL | LINEFORWARDMODE_NOANSWEXTERNAL |
                            LINEFORWARDMODE_NOANSWSPECIFIC;
constexpr DWORD kBusyNoAnswer = LINEFORWARDMODE_BUSYNA | LINEFORWARDMODE_BUSYNAINTERNAL |
                                LINEFORWARDMODE_BUSYNAEXTERNAL | LINEFORWARDMODE_BUSYNASPECIFIC;
constexpr DWORD kInternal = LINEFORWARDMODE_UNCONDINTERNAL | LINEFORWARDMODE_BUSYINTERNAL |
                            LINEFORWARDMODE_NOANSWINTERNAL | LINEFORWARDMODE_BUSYNAINTERNAL;
constexpr DWORD kExternal = LINEFORWARDMODE_UNCONDEXTERNAL | LINEFORWARDMODE_BUSYEXTERNAL |
                            LINEFORWARDMODE_NOANSWEXTERNAL | LINEFORWARDMODE_BUSYNAEXTERNAL;
constexpr DWORD kSpecific = LINEFORWARDMODE_UNCONDSPECIFIC | LINEFORWARDMODE_BUSYSPECIFIC |
                            LINEFORWARDMODE_NOANSWSPECIFIC | LINEFORWARDMODE_BUSYNASPECIFIC;
constexpr Millis kFirstRing{500};
constexpr Millis kRingCycle{6000};

/// Whether an entry applies to a caller.
bool appliesTo(const ForwardEntry &e, const PartyId &caller, bool internal)
{
    if (e.mode & kInternal)
        return internal;
    if (e.mode & kExternal)
        return !internal;
    if (e.mode & kSpecific)
        return !e.caller.empty() && e.caller == caller.number;
    return true;
}

bool knownNumber(const Switchboard &b, std::u16string_view number)
{
    for (DWORD id = 0; id < b.lineCount(); ++id)
        for (DWORD a = 0; a < b.line(id)->addressCount(); ++a)
            if (!b.line(id)->removed() && b.line(id)->address(a).number == number)
                return true;
    return std::ranges::any_of(b.externals(), [&](const ExternalNumber &e) { return e.number == number; });
}

LONG checkAddress(const Switchboard &b, const Line &ln, DWORD address, const std::vector<ForwardEntry> *list)
{
    const LINEADDRESSCAPS &caps = ln.address(address).caps;
    if (!(caps.dwAddressFeatures & LINEADDRFEATURE_FORWARD))
        return LINEERR_OPERATIONUNAVAIL;
    if (!list)
        return 0;
    if (list->size() > caps.dwMaxForwardEntries)
        return LINEERR_INVALPARAM;
    DWORD specific = 0;
    for (const ForwardEntry &e : *list) {
        if (!std::has_single_bit(e.mode) || !(caps.dwForwardModes & e.mode))
            return LINEERR_INVALPARAM;
        if (e.mode & kSpecific) {
            if (e.caller.empty())
                return LINEERR_INVALADDRESS;
            ++specific;
        }
        const bool dnd = e.dest.empty() && (e.mode & kUncond);
        if (dnd && !(caps.dwAddressFeatures & LINEADDRFEATURE_FORWARDDND))
            return LINEERR_INVALADDRESS;
        if (!dnd && !knownNumber(b, e.dest))
            return LINEERR_INVALADDRESS;
    }
    return specific > caps.dwMaxSpecificEntries ? LINEERR_INVALPARAM : 0;
}

} // namespace

LONG Forwarding::check(const Switchboard &b, DWORD line, bool all, DWORD address,
                       const std::optional<std::vector<ForwardEntry>> &list)
{
    const Line *ln = b.line(line);
    if (!ln)
        return LINEERR_BADDEVICEID;
    if (!all && !ln->hasAddress(address))
        return LINEERR_INVALADDRESSID;
    for (DWORD a = 0; a < ln->addressCount(); ++a)
        if (all || a == address)
            if (LONG r = checkAddress(b, *ln, a, list ? &*list : nullptr))
                return r;
    return 0;
}

void Forwarding::forward(DWORD line, bool all, DWORD address, const std::optional<std::vector<ForwardEntry>> &list,
                         DWORD ringsNoAnswer)
{
    Switchboard &b = board_;
    Line &ln = *b.line(line);
    for (DWORD a = 0; a < ln.addressCount(); ++a) {
        if (!all && a != address)
            continue;
        const LINEADDRESSCAPS &caps = ln.address(a).caps;
        AddressForwarding f;
        if (list) {
            f.entries = *list;
            // Outside the address's limits the nearest limit applies.
            f.ringsNoAnswer = std::clamp(ringsNoAnswer, caps.dwMinFwdNumRings,
                                         std::max(caps.dwMinFwdNumRings, caps.dwMaxFwdNumRings));
        }
        ln.setForwarding(a, std::move(f));
        b.out_.push_back(Event::addressState(line, a, LINEADDRESSSTATE_FORWARD));
    }
}

std::optional<Forwarding::Divert> Forwarding::onArrival(DWORD line, DWORD address, const PartyId &caller, bool internal,
                                                        bool busy) const
{
    const Line *ln = board_.line(line);
    if (!ln || !ln->hasAddress(address))
        return std::nullopt;
    for (const ForwardEntry &e : ln->forwarding(address).entries) {
        const bool when = (e.mode & kUncond) || (busy && (e.mode & (kBusy | kBusyNoAnswer)));
        if (!when || !appliesTo(e, caller, internal))
            continue;
        if (e.dest.empty())
            return Divert{true, {}, 0};
        return Divert{false, e.dest,
                      (e.mode & kUncond) ? DWORD(LINECALLREASON_FWDUNCOND) : DWORD(LINECALLREASON_FWDBUSY)};
    }
    return std::nullopt;
}

void Forwarding::watchNoAnswer(LegId id, bool internal)
{
    Switchboard &b = board_;
    const Leg &l = *b.leg(id);
    // A call that was forwarded here already stays here.
    if (l.info().reason & (LINECALLREASON_FWDUNCOND | LINECALLREASON_FWDBUSY | LINECALLREASON_FWDNOANSWER))
        return;
    const AddressForwarding &f = b.line(l.line())->forwarding(l.address());
    for (const ForwardEntry &e : f.entries) {
        if (!(e.mode & (kNoAnswer | kBusyNoAnswer)) || e.dest.empty() || !appliesTo(e, l.info().caller, internal))
            continue;
        const Millis wait = kFirstRing + kRingCycle * std::max<DWORD>(f.ringsNoAnswer, 1) - kRingCycle;
        Switchboard *board = &b;
        const std::u16string dest = e.dest;
        b.scheduler_.schedule(wait, [board, id, dest] {
            const Leg *offered = board->leg(id);
            if (!offered || !(offered->state() & (LINECALLSTATE_OFFERING | LINECALLSTATE_ACCEPTED)))
                return;
            if (Parking::checkDestination(*board, *offered, dest) == 0)
                Parking(*board).sendElsewhere(id, dest, LINECALLREASON_FWDNOANSWER);
        });
        return;
    }
}

} // namespace exchange
