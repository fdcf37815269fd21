#include "exchange/core/FarLink.h"

#include "exchange/core/Core.h"

namespace exchange {

std::vector<FarCommand> FarLink::take()
{
    std::vector<FarCommand> taken;
    taken.swap(commands_);
    return taken;
}

uint32_t FarLink::defer(uint32_t request, std::function<LONG()> effect)
{
    if (request == 0)
        return 0;
    const uint64_t guard = scheduler_.schedule(guard_, [this, request] {
        if (pending_.erase(request))
            out_.push_back(Event::requestDone(request, LINEERR_OPERATIONFAILED));
    });
    pending_[request] = Pending{std::move(effect), guard};
    return request;
}

void FarLink::done(uint32_t request, LONG result)
{
    auto it = pending_.find(request);
    if (it == pending_.end())
        return;
    Pending p = std::move(it->second);
    pending_.erase(it);
    scheduler_.cancel(p.guard);
    // The reply comes before the effects it announces.
    const size_t at = out_.size();
    const LONG reply = result ? result : p.effect();
    out_.insert(out_.begin() + std::ptrdiff_t(at), Event::requestDone(request, reply));
}

} // namespace exchange
