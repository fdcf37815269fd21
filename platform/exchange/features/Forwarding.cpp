#include "exchange/features/Forwarding.h"

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstring>

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

/// The forward list as LINEADDRESSSTATUS carries it: LINEFORWARD entries
/// followed by their strings, with offsets from the start of the structure
/// (the list is its first variable field, right after the fixed part).
std::vector<uint8_t> forwardBlock(const std::vector<ForwardEntry> &entries)
{
    const size_t base = sizeof(LINEADDRESSSTATUS);
    std::vector<uint8_t> block(entries.size() * sizeof(LINEFORWARD));
    auto addText = [&](const std::u16string &text, DWORD &size, DWORD &offset) {
        if (text.empty())
            return;
        offset = DWORD(base + block.size());
        size = DWORD((text.size() + 1) * sizeof(char16_t));
        const auto *p = reinterpret_cast<const uint8_t *>(text.c_str());
        block.insert(block.end(), p, p + size);
    };
    for (size_t i = 0; i < entries.size(); ++i) {
        LINEFORWARD f{};
        f.dwForwardMode = entries[i].mode;
        f.dwDestCountryCode = entries[i].destCountryCode;
        addText(entries[i].caller, f.dwCallerAddressSize, f.dwCallerAddressOffset);
        addText(entries[i].dest, f.dwDestAddressSize, f.dwDestAddressOffset);
        std::memcpy(block.data() + i * sizeof f, &f, sizeof f);
    }
    return block;
}

} // namespace

bool Forwarding::knownNumber(std::u16string_view number) const
{
    return core_.localAddress(number).has_value() || outside_.knows(number);
}

const Forwarding::AddressForwarding &Forwarding::of(DWORD line, DWORD address) const
{
    static const AddressForwarding none;
    const auto it = forwarding_.find({line, address});
    return it == forwarding_.end() ? none : it->second;
}

LONG Forwarding::checkAddress(const Line &ln, DWORD address, const std::vector<ForwardEntry> *list) const
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
        if (!dnd && !knownNumber(e.dest))
            return LINEERR_INVALADDRESS;
    }
    return specific > caps.dwMaxSpecificEntries ? LINEERR_INVALPARAM : 0;
}

LONG Forwarding::check(DWORD line, bool all, DWORD address, const std::optional<std::vector<ForwardEntry>> &list) const
{
    const Line *ln = core_.line(line);
    if (!ln)
        return LINEERR_BADDEVICEID;
    if (!all && !ln->hasAddress(address))
        return LINEERR_INVALADDRESSID;
    for (DWORD a = 0; a < ln->addressCount(); ++a)
        if (all || a == address)
            if (LONG r = checkAddress(*ln, a, list ? &*list : nullptr))
                return r;
    return 0;
}

void Forwarding::forward(DWORD line, bool all, DWORD address, const std::optional<std::vector<ForwardEntry>> &list,
                         DWORD ringsNoAnswer)
{
    const Line &ln = *core_.line(line);
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
        forwarding_[{line, a}] = std::move(f);
        core_.report(Event::addressState(line, a, LINEADDRESSSTATE_FORWARD));
    }
}

void Forwarding::describe(VarStruct &status, DWORD line, DWORD address) const
{
    const AddressForwarding &f = of(line, address);
    status.set(offsetof(LINEADDRESSSTATUS, dwNumRingsNoAnswer), f.ringsNoAnswer);
    status.set(offsetof(LINEADDRESSSTATUS, dwForwardNumEntries), DWORD(f.entries.size()));
    status.addBytes(offsetof(LINEADDRESSSTATUS, dwForwardSize), forwardBlock(f.entries));
}

std::optional<Divert> Forwarding::arriving(DWORD line, DWORD address, const PartyId &caller, bool internal,
                                           bool busy) const
{
    const Line *ln = core_.line(line);
    if (!ln || !ln->hasAddress(address))
        return std::nullopt;
    for (const ForwardEntry &e : of(line, address).entries) {
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

void Forwarding::offered(LegId id, bool internal)
{
    const Leg &l = *core_.leg(id);
    // A call that was forwarded here already stays here.
    if (l.info().reason & (LINECALLREASON_FWDUNCOND | LINECALLREASON_FWDBUSY | LINECALLREASON_FWDNOANSWER))
        return;
    const AddressForwarding &f = of(l.line(), l.address());
    for (const ForwardEntry &e : f.entries) {
        if (!(e.mode & (kNoAnswer | kBusyNoAnswer)) || e.dest.empty() || !appliesTo(e, l.info().caller, internal))
            continue;
        const Millis wait = kFirstRing + kRingCycle * std::max<DWORD>(f.ringsNoAnswer, 1) - kRingCycle;
        const std::u16string dest = e.dest;
        core_.scheduler().schedule(wait, [this, id, dest] {
            const Leg *offered = core_.leg(id);
            if (!offered || !(offered->state() & (LINECALLSTATE_OFFERING | LINECALLSTATE_ACCEPTED)))
                return;
            if (calls_.checkDestination(*offered, dest) == 0)
                calls_.sendElsewhere(id, dest, LINECALLREASON_FWDNOANSWER);
        });
        return;
    }
}

} // namespace exchange
