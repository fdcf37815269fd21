#include "tapi32/Dispatcher.h"

#include "tapi32/StaleMessages.h"
#include "tapi32/StructWriter.h"

#include <exchange/Exchange.h>

#include <algorithm>
#include <optional>

namespace tapi32 {

using exchange::Event;

void Dispatcher::deliver(const std::vector<Event> &events)
{
    std::lock_guard lock(registry_.mutex);
    for (const Event &e : events) {
        switch (e.kind) {
        case Event::Kind::RequestDone:
            requestDone(e);
            break;
        case Event::Kind::LegAppeared:
            newCallOnLine(e);
            break;
        case Event::Kind::LegState:
            callEvent(e, LINE_CALLSTATE, e.state, e.mode);
            break;
        case Event::Kind::LegInfo:
            callEvent(e, LINE_CALLINFO, e.infoStates, 0);
            break;
        case Event::Kind::LegGenerate:
            callEvent(e, LINE_GENERATE, e.param2, e.param3);
            break;
        case Event::Kind::LegDigit:
            digitEvent(e);
            break;
        case Event::Kind::LineState:
            lineState(e);
            break;
        case Event::Kind::AddressState:
            addressState(e);
            break;
        case Event::Kind::AgentStatus:
            // Every opener of the line learns of agent changes; no filter applies.
            for (auto &[h, open] : registry_.lines)
                if (open.device == e.device)
                    registry_.post(open.app, h, LINE_AGENTSTATUS, open.instance, e.address, e.state, 0);
            break;
        case Event::Kind::PhoneState:
            phoneState(e);
            break;
        case Event::Kind::PhoneButton:
            phoneButton(e);
            break;
        case Event::Kind::DeviceAdded:
            toEveryApp(e.phone, e.phone ? PHONE_CREATE : LINE_CREATE, e.device);
            break;
        case Event::Kind::DeviceRemoved:
            toEveryApp(e.phone, e.phone ? PHONE_REMOVE : LINE_REMOVE, e.device);
            break;
        case Event::Kind::DeviceClosed:
            deviceClosed(e);
            break;
        }
    }
}

void Dispatcher::requestDone(const Event &e)
{
    auto releaseNew = [&] {
        for (exchange::LegId leg : e.newLegs)
            registry_.exchange().modify([&](exchange::Switchboard &b) { b.release(leg, true); });
    };
    auto it = registry_.pending.find(e.requestId);
    if (it == registry_.pending.end()) {
        // The request was withdrawn (its line or phone closed, its
        // application shut down): calls it created have nobody to own them.
        releaseNew();
        return;
    }
    const PendingRequest p = it->second;
    registry_.pending.erase(it);
    if (!registry_.requesterOpen(p)) {
        // Closed while the request was being registered.
        releaseNew();
        return;
    }
    LONG result = e.result;
    std::vector<HCALL> created;
    const LineOpenRecord *open = p.phone ? nullptr : registry_.line(p.line);
    for (exchange::LegId leg : e.newLegs) {
        const HCALL h = open && result == 0 ? registry_.addCall(*open, leg, LINECALLPRIVILEGE_OWNER) : 0;
        if (!h)
            registry_.exchange().modify([&](exchange::Switchboard &b) { b.release(leg, true); });
        created.push_back(h);
    }
    // A call that ended before it could be handed over leaves nothing to
    // report: the request fails rather than succeed without its handle.
    if (result == 0 && std::find(created.begin(), created.end(), HCALL(0)) != created.end()) {
        for (HCALL &h : created) {
            if (h)
                registry_.removeCall(h, true);
            h = 0;
        }
        result = LINEERR_OPERATIONFAILED;
    }
    registry_.post(p.app, 0, p.phone ? PHONE_REPLY : LINE_REPLY, 0, e.requestId, static_cast<DWORD>(result), 0,
                   replyWriter(p, e, result, created));
    if (open) {
        for (size_t i = 0; i < e.newLegs.size(); ++i)
            if (created[i])
                monitorsOf(*open, e.newLegs[i], registry_.exchange().inspect([&](const exchange::Switchboard &b) {
                    const exchange::Leg *l = b.leg(e.newLegs[i]);
                    return l ? l->address() : DWORD(0);
                }));
    }
}

std::function<bool(LINEMESSAGE &)> Dispatcher::replyWriter(const PendingRequest &p, const Event &e, LONG result,
                                                           const std::vector<HCALL> &created)
{
    // Out-parameters are written when the application fetches the reply, and
    // only while the requester still has the line (phone) open; otherwise the
    // reply is withdrawn. The text buffer's size was checked when the request
    // was made.
    std::optional<std::u16string> text;
    if (p.outText && e.outText && result == 0)
        text = *e.outText + u'\0';
    std::optional<DWORD> value;
    if (p.outValue && e.outValue && result == 0)
        value = *e.outValue;
    const bool answer = p.outStruct && p.outAnswer && result == 0;
    return [reg = &registry_, p, created, text, value, answer](LINEMESSAGE &m) {
        std::lock_guard lock(reg->mutex);
        if (!reg->requesterOpen(p))
            return false;
        bool written = true;
        for (size_t i = 0; i < created.size() && i < 2; ++i) {
            if (!p.outCalls[i])
                continue;
            const CallRecord *c = reg->call(created[i]);
            if (c && c->app == p.app)
                *p.outCalls[i] = created[i];
            else
                written = false;
        }
        if (!written && m.dwParam2 == 0)
            m.dwParam2 = static_cast<DWORD>(LINEERR_OPERATIONFAILED);
        if (text)
            writeStruct(p.outText, varString(STRINGFORMAT_UNICODE, text->data(), text->size() * sizeof(char16_t)),
                        sizeof(VARSTRING));
        if (value)
            *p.outValue = *value;
        if (answer)
            writeStruct(p.outStruct, *p.outAnswer, DWORD(p.outAnswer->fixed.size()));
        return true;
    };
}

void Dispatcher::monitorsOf(const LineOpenRecord &creator, exchange::LegId leg, DWORD address)
{
    for (auto &[h, open] : registry_.lines) {
        if (h == creator.handle || open.device != creator.device || !(open.privileges & LINECALLPRIVILEGE_MONITOR))
            continue;
        const HCALL call = registry_.addCall(open, leg, LINECALLPRIVILEGE_MONITOR);
        if (!call)
            return;
        registry_.post(open.app, h, LINE_APPNEWCALL, open.instance, address, call, LINECALLPRIVILEGE_MONITOR);
        registry_.post(open.app, call, LINE_CALLSTATE, open.instance, LINECALLSTATE_UNKNOWN, 0,
                       LINECALLPRIVILEGE_MONITOR);
    }
}

void Dispatcher::newCallOnLine(const Event &e)
{
    // A call the applications did not ask for has one owner: of the opens
    // that own calls of its media mode, the most recent one (no priority list
    // is kept, so every application ranks alike). Every other open that
    // monitors the line sees the call as a monitor.
    HLINE owner = 0;
    uint64_t newest = 0;
    for (const auto &[h, open] : registry_.lines) {
        if (open.device == e.device && (open.privileges & LINECALLPRIVILEGE_OWNER) && (open.mediaModes & e.mediaMode) &&
            open.order > newest) {
            owner = h;
            newest = open.order;
        }
    }
    for (auto &[h, open] : registry_.lines) {
        if (open.device != e.device)
            continue;
        DWORD privilege = 0;
        if (h == owner)
            privilege = LINECALLPRIVILEGE_OWNER;
        else if (open.privileges & LINECALLPRIVILEGE_MONITOR)
            privilege = LINECALLPRIVILEGE_MONITOR;
        if (!privilege)
            continue;
        if (HCALL known = registry_.callOf(h, e.leg)) {
            // lineGetNewCalls got there first: the call is not new to this open.
            registry_.post(open.app, known, LINE_CALLSTATE, open.instance, e.state, e.mode, 0);
            continue;
        }
        const HCALL call = registry_.addCall(open, e.leg, privilege);
        if (!call)
            return;
        registry_.post(open.app, h, LINE_APPNEWCALL, open.instance, e.address, call, privilege);
        registry_.post(open.app, call, LINE_CALLSTATE, open.instance, e.state, e.mode, privilege);
    }
}

void Dispatcher::callEvent(const Event &e, DWORD message, DWORD_PTR p1, DWORD_PTR p2)
{
    registry_.forEachOpenHolder(e.leg, [&](HCALL h, const CallRecord &c, const LineOpenRecord &open) {
        DWORD_PTR param2 = p2;
        if (message == LINE_CALLSTATE && e.state == LINECALLSTATE_CONFERENCED)
            param2 = registry_.callOf(c.line, e.conference);
        registry_.post(c.app, h, message, open.instance, p1, param2, 0);
    });
}

void Dispatcher::digitEvent(const Event &e)
{
    // Only the handles that monitor this digit mode hear of the digit.
    registry_.forEachOpenHolder(e.leg, [&](HCALL h, const CallRecord &c, const LineOpenRecord &open) {
        if (c.digitModes & e.mode)
            registry_.post(c.app, h, LINE_MONITORDIGITS, open.instance, e.param2, e.mode, e.param3);
    });
}

void Dispatcher::lineState(const Event &e)
{
    for (auto &[h, open] : registry_.lines) {
        // REINIT reaches every opener whatever its filter.
        if (open.device == e.device && ((open.lineStates & e.state) || e.state == LINEDEVSTATE_REINIT))
            registry_.post(open.app, h, LINE_LINEDEVSTATE, open.instance, e.state, e.param2, e.param3);
    }
}

void Dispatcher::addressState(const Event &e)
{
    for (auto &[h, open] : registry_.lines) {
        if (open.device == e.device && (open.addressStates & e.state))
            registry_.post(open.app, h, LINE_ADDRESSSTATE, open.instance, e.address, e.state, 0);
    }
}

void Dispatcher::phoneState(const Event &e)
{
    for (auto &[h, open] : registry_.phones) {
        if (open.device == e.device && ((open.phoneStates & e.state) || e.state == PHONESTATE_REINIT))
            registry_.post(open.app, h, PHONE_STATE, open.instance, e.state & (open.phoneStates | PHONESTATE_REINIT),
                           e.param2, 0);
    }
}

void Dispatcher::deviceClosed(const Event &e)
{
    std::vector<ClosingLine> lines;
    std::vector<PhoneOpenRecord> phones;
    if (e.phone) {
        for (const auto &[h, open] : registry_.phones)
            if (open.device == e.device)
                phones.push_back(open);
    } else {
        std::vector<HLINE> handles;
        for (const auto &[h, open] : registry_.lines)
            if (open.device == e.device)
                handles.push_back(h);
        for (HLINE h : handles)
            lines.push_back(beforeLineCloses(registry_, h));
    }
    registry_.forceClose(e.device, e.phone);
    if ((lines.empty() && phones.empty()) ||
        !registry_.exchange().untidy().applies(exchange::Untidy::MessagesAfterClose, {}, e.device))
        return;
    for (const ClosingLine &closed : lines)
        afterLineClosed(registry_, closed);
    for (const PhoneOpenRecord &closed : phones)
        afterPhoneClosed(registry_, closed);
}

void Dispatcher::toEveryApp(bool phone, DWORD message, DWORD device)
{
    for (const auto &[h, app] : registry_.apps)
        if (app.phone == phone)
            registry_.post(h, 0, message, 0, device, 0, 0);
}

void Dispatcher::phoneButton(const Event &e)
{
    for (auto &[h, open] : registry_.phones) {
        if (open.device == e.device && (open.buttonModes & e.mode) && (open.buttonStates & e.param3))
            registry_.post(open.app, h, PHONE_BUTTON, open.instance, e.param2, e.mode, e.param3);
    }
}

} // namespace tapi32
