#include "tapi32/Registry.h"

#include <exchange/Exchange.h>

#include <algorithm>

namespace tapi32 {

DWORD Registry::newHandle()
{
    for (;;) {
        const DWORD h = nextHandle_++;
        if (h == 0)
            continue;
        if (!apps.count(h) && !lines.count(h) && !calls.count(h) && !phones.count(h))
            return h;
    }
}

DWORD Registry::newRequestId()
{
    for (;;) {
        const DWORD id = nextRequest_;
        nextRequest_ = nextRequest_ >= 0x7FFFFFFF ? 1 : nextRequest_ + 1;
        if (!pending.count(id))
            return id;
    }
}

AppRecord *Registry::app(DWORD handle, bool phone)
{
    auto it = apps.find(handle);
    return it != apps.end() && it->second.phone == phone ? &it->second : nullptr;
}

LineOpenRecord *Registry::line(HLINE handle)
{
    auto it = lines.find(handle);
    return it == lines.end() ? nullptr : &it->second;
}

CallRecord *Registry::call(HCALL handle)
{
    auto it = calls.find(handle);
    return it == calls.end() ? nullptr : &it->second;
}

PhoneOpenRecord *Registry::phoneOpen(HPHONE handle)
{
    auto it = phones.find(handle);
    return it == phones.end() ? nullptr : &it->second;
}

void Registry::post(DWORD app, DWORD hDevice, DWORD message, DWORD_PTR instance, DWORD_PTR p1, DWORD_PTR p2,
                    DWORD_PTR p3, std::function<bool(LINEMESSAGE &)> onFetch)
{
    auto it = apps.find(app);
    if (it == apps.end())
        return;
    QueuedMessage m;
    m.msg = {hDevice, message, instance, p1, p2, p3};
    m.onFetch = std::move(onFetch);
    it->second.queue->push(std::move(m));
}

HCALL Registry::addCall(const LineOpenRecord &open, exchange::LegId leg, DWORD privilege)
{
    const bool alive = exchange_->modify([&](exchange::Switchboard &b) {
        if (!b.leg(leg))
            return false;
        b.retain(leg);
        return true;
    });
    if (!alive)
        return 0;
    const HCALL h = newHandle();
    calls[h] = CallRecord{h, open.app, open.handle, leg, privilege};
    legCalls[leg].push_back(h);
    return h;
}

HCALL Registry::callOf(HLINE line, exchange::LegId leg) const
{
    auto it = legCalls.find(leg);
    if (it == legCalls.end())
        return 0;
    for (HCALL h : it->second)
        if (calls.at(h).line == line)
            return h;
    return 0;
}

std::pair<DWORD, DWORD> Registry::holders(exchange::LegId leg) const
{
    DWORD owners = 0, monitors = 0;
    if (auto it = legCalls.find(leg); it != legCalls.end()) {
        for (HCALL h : it->second)
            (calls.at(h).privilege == LINECALLPRIVILEGE_OWNER ? owners : monitors)++;
    }
    return {owners, monitors};
}

void Registry::announceHolders(exchange::LegId leg, DWORD infoStates, HCALL except)
{
    if (exchange_->legState(leg) == LINECALLSTATE_IDLE)
        return;
    forEachOpenHolder(leg, [&](HCALL h, const CallRecord &c, const LineOpenRecord &open) {
        if (h != except)
            post(c.app, h, LINE_CALLINFO, open.instance, infoStates, 0, 0);
    });
}

void Registry::removeCall(HCALL handle, bool dropIfSoleOwner)
{
    auto it = calls.find(handle);
    if (it == calls.end())
        return;
    const CallRecord c = it->second;
    calls.erase(it);
    auto &list = legCalls[c.leg];
    list.erase(std::remove(list.begin(), list.end(), handle), list.end());
    if (list.empty())
        legCalls.erase(c.leg);
    const bool soleOwner = c.privilege == LINECALLPRIVILEGE_OWNER && holders(c.leg).first == 0;
    exchange_->modify([&](exchange::Switchboard &b) { b.release(c.leg, dropIfSoleOwner && soleOwner); });
    announceHolders(
        c.leg, c.privilege == LINECALLPRIVILEGE_OWNER ? LINECALLINFOSTATE_NUMOWNERDECR : LINECALLINFOSTATE_NUMMONITORS,
        0);
}

bool Registry::requesterOpen(const PendingRequest &p) const
{
    if (p.phone) {
        auto it = phones.find(p.phoneHandle);
        return it != phones.end() && it->second.app == p.app;
    }
    auto it = lines.find(p.line);
    return it != lines.end() && it->second.app == p.app;
}

void Registry::closeLine(HLINE handle)
{
    auto it = lines.find(handle);
    if (it == lines.end())
        return;
    const LineOpenRecord open = it->second;
    std::erase_if(pending, [&](const auto &p) { return !p.second.phone && p.second.line == handle; });
    std::vector<HCALL> mine;
    for (const auto &[h, c] : calls)
        if (c.line == handle)
            mine.push_back(h);
    for (HCALL h : mine)
        removeCall(h, true);
    lines.erase(it);
    for (const auto &[h, other] : lines)
        if (other.device == open.device && (other.lineStates & LINEDEVSTATE_CLOSE))
            post(other.app, h, LINE_LINEDEVSTATE, other.instance, LINEDEVSTATE_CLOSE, 0, 0);
}

void Registry::closePhone(HPHONE handle)
{
    auto it = phones.find(handle);
    if (it == phones.end())
        return;
    const PhoneOpenRecord open = it->second;
    phones.erase(it);
    std::erase_if(pending, [&](const auto &p) { return p.second.phone && p.second.phoneHandle == handle; });
    const DWORD state = open.privilege == PHONEPRIVILEGE_OWNER ? PHONESTATE_OWNER : PHONESTATE_MONITORS;
    for (const auto &[h, other] : phones)
        if (other.device == open.device && (other.phoneStates & state))
            post(other.app, h, PHONE_STATE, other.instance, state, 0, 0);
}

void Registry::forceClose(DWORD device, bool phone)
{
    std::vector<DWORD> handles;
    if (phone) {
        for (const auto &[h, open] : phones)
            if (open.device == device)
                handles.push_back(h);
        for (DWORD h : handles) {
            const PhoneOpenRecord &open = phones.at(h);
            post(open.app, h, PHONE_CLOSE, open.instance, 0, 0, 0);
            phones.erase(h);
            std::erase_if(pending, [&](const auto &p) { return p.second.phone && p.second.phoneHandle == h; });
        }
        return;
    }
    for (const auto &[h, open] : lines)
        if (open.device == device)
            handles.push_back(h);
    for (DWORD h : handles)
        post(lines.at(h).app, h, LINE_CLOSE, lines.at(h).instance, 0, 0, 0);
    // Every open of the device goes, so none of them hears of the others.
    for (DWORD h : handles) {
        std::vector<HCALL> mine;
        for (const auto &[c, record] : calls)
            if (record.line == h)
                mine.push_back(c);
        for (HCALL c : mine)
            removeCall(c, true);
        lines.erase(h);
        std::erase_if(pending, [&](const auto &p) { return !p.second.phone && p.second.line == h; });
    }
}

void Registry::removeApp(DWORD handle)
{
    auto it = apps.find(handle);
    if (it == apps.end())
        return;
    std::vector<DWORD> lineHandles, phoneHandles;
    for (const auto &[h, l] : lines)
        if (l.app == handle)
            lineHandles.push_back(h);
    for (const auto &[h, p] : phones)
        if (p.app == handle)
            phoneHandles.push_back(h);
    for (DWORD h : lineHandles)
        closeLine(h);
    for (DWORD h : phoneHandles)
        closePhone(h);
    std::erase_if(pending, [&](const auto &p) { return p.second.app == handle; });
    it->second.queue->close();
    apps.erase(it);
}

} // namespace tapi32
