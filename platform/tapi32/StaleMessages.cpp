#include "tapi32/StaleMessages.h"

#include <exchange/Exchange.h>

namespace tapi32 {

ClosingLine beforeLineCloses(Registry &reg, HLINE line)
{
    ClosingLine c;
    auto it = reg.lines.find(line);
    if (it == reg.lines.end())
        return c;
    c.open = it->second;
    for (const auto &[h, record] : reg.calls) {
        if (record.line != line)
            continue;
        const DWORD state = reg.exchange().legState(record.leg);
        c.calls.emplace_back(h, state ? state : DWORD(LINECALLSTATE_IDLE));
    }
    return c;
}

void afterLineClosed(Registry &reg, const ClosingLine &closed)
{
    const LineOpenRecord &open = closed.open;
    if (!open.handle)
        return;
    reg.post(open.app, open.handle, LINE_LINEDEVSTATE, open.instance, LINEDEVSTATE_OTHER, 0, 0);
    for (const auto &[call, state] : closed.calls)
        reg.post(open.app, call, LINE_CALLSTATE, open.instance, state, 0, 0);
}

void afterPhoneClosed(Registry &reg, const PhoneOpenRecord &closed)
{
    reg.post(closed.app, closed.handle, PHONE_STATE, closed.instance, PHONESTATE_OTHER, 0, 0);
}

void afterCallDeallocated(Registry &reg, const CallRecord &gone, DWORD_PTR instance)
{
    reg.post(gone.app, gone.handle, LINE_CALLSTATE, instance, LINECALLSTATE_IDLE, 0, 0);
    reg.post(gone.app, gone.handle, LINE_CALLINFO, instance, LINECALLINFOSTATE_OTHER, 0, 0);
}

} // namespace tapi32
