// Call forwarding of one address or all.
#include "tapi32/ApiSupport.h"
#include "tapi32/CallRequest.h"
#include "tapi32/InputStruct.h"

#include <exchange/features/Forwarding.h>

#include <cstddef>
#include <cstring>
#include <optional>

using namespace tapi32;
using exchange::ForwardEntry;
using exchange::Forwarding;
using exchange::Switchboard;

namespace {

/// One string of a forward entry: its size and offset checked against the list.
LONG entryText(const std::vector<uint8_t> &raw, DWORD size, DWORD offset, std::u16string &out)
{
    if (size == 0)
        return 0;
    if (offset < offsetof(LINEFORWARDLIST, ForwardList) || size % 2 != 0 || offset > raw.size() ||
        size > raw.size() - offset)
        return LINEERR_INVALPARAM;
    out.resize(size / 2);
    std::memcpy(out.data(), raw.data() + offset, size);
    out.erase(std::find(out.begin(), out.end(), u'\0'), out.end());
    return 0;
}

/// Reads an application's LINEFORWARDLIST; every entry and string is
/// checked against its dwTotalSize before it is read.
LONG readForwardList(const LINEFORWARDLIST *list, std::vector<ForwardEntry> &out)
{
    InputStruct in;
    if (LONG r =
            in.read(list, offsetof(LINEFORWARDLIST, ForwardList), {}, LINEERR_STRUCTURETOOSMALL, LINEERR_INVALPARAM))
        return r;
    const std::vector<uint8_t> &raw = in.raw();
    const DWORD count = in.dword(offsetof(LINEFORWARDLIST, dwNumEntries));
    const size_t start = offsetof(LINEFORWARDLIST, ForwardList);
    if (count > (raw.size() - start) / sizeof(LINEFORWARD))
        return LINEERR_INVALPARAM;
    for (DWORD i = 0; i < count; ++i) {
        LINEFORWARD f;
        std::memcpy(&f, raw.data() + start + i * sizeof f, sizeof f);
        ForwardEntry e;
        e.mode = f.dwForwardMode;
        e.destCountryCode = f.dwDestCountryCode;
        if (LONG r = entryText(raw, f.dwCallerAddressSize, f.dwCallerAddressOffset, e.caller))
            return r;
        if (LONG r = entryText(raw, f.dwDestAddressSize, f.dwDestAddressOffset, e.dest))
            return r;
        out.push_back(std::move(e));
    }
    return 0;
}

} // namespace

extern "C" {

LONG WINAPI lineForwardW(HLINE hLine, DWORD bAllAddresses, DWORD dwAddressID, LPLINEFORWARDLIST const lpForwardList,
                         DWORD dwNumRingsNoAnswer, LPHCALL lphConsultCall, LPLINECALLPARAMS const lpCallParams)
{
    ApiCall call("lineForwardW");
    call.num("hLine", hLine).num("bAllAddresses", bAllAddresses).num("dwAddressID", dwAddressID);
    call.structure("lpForwardList", lpForwardList).num("dwNumRingsNoAnswer", dwNumRingsNoAnswer);
    call.ptr("lphConsultCall", lphConsultCall).structure("lpCallParams", lpCallParams);
    PendingRequest pending;
    if (LONG r = requestLine(call, hLine, pending))
        return call.done(r);
    std::optional<std::vector<ForwardEntry>> list;
    if (lpForwardList) {
        list.emplace();
        if (LONG r = readForwardList(lpForwardList, *list))
            return call.done(r);
    }
    // This exchange forwards without a consultation call.
    if (lphConsultCall)
        *lphConsultCall = 0;
    const DWORD device = pending.device;
    const bool all = bAllAddresses != 0;
    return call.done(runtime().startRequest(call, pending, [&](exchange::RequestTag tag) {
        return exchangeOf().request(
            tag, [=](const Switchboard &b) { return b.forwarding().check(device, all, dwAddressID, list); },
            [=](Switchboard &b) { b.forwarding().forward(device, all, dwAddressID, list, dwNumRingsNoAnswer); });
    }));
}

} // extern "C"
