#include "tapi32/Runtime.h"

#include "tapi32/ApiCall.h"
#include "tapi32/Dispatcher.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>

namespace tapi32 {

Runtime &Runtime::instance()
{
    // Never destroyed: applications may still shut down from their own
    // static destructors at process exit.
    static Runtime *runtime = new Runtime();
    return *runtime;
}

Runtime::Runtime()
    : exchange_(std::make_unique<exchange::Exchange>()), registry_(*exchange_),
      dispatcher_(std::make_unique<Dispatcher>(registry_))
{
    exchange_->setSink(dispatcher_.get());
    // A run of the dialer can face an untidy provider from the start.
    if (const char *untidy = std::getenv("DIALWERK_UNTIDY"); untidy && *untidy) {
        std::string error;
        if (!exchange_->untidy().configure(untidy, &error))
            std::fprintf(stderr, "DIALWERK_UNTIDY ignored: %s\n", error.c_str());
    }
}

bool Runtime::resetExchange(exchange::Topology topology, std::unique_ptr<exchange::Clock> clock)
{
    {
        std::lock_guard lock(registry_.mutex);
        if (!registry_.apps.empty())
            return false;
        registry_.pending.clear();
    }
    auto fresh = std::make_unique<exchange::Exchange>(std::move(topology), std::move(clock));
    fresh->setSink(dispatcher_.get());
    exchange_->setSink(nullptr);
    std::unique_ptr<exchange::Exchange> old;
    {
        std::lock_guard lock(registry_.mutex);
        registry_.setExchange(*fresh);
        old = std::exchange(exchange_, std::move(fresh));
    }
    // Destroyed without the registry lock: its thread may be waiting for that
    // lock to deliver a last batch, and destruction joins the thread.
    old.reset();
    return true;
}

exchange::LegId Runtime::legOf(HCALL call) const
{
    std::lock_guard lock(registry_.mutex);
    auto it = registry_.calls.find(call);
    return it == registry_.calls.end() ? 0 : it->second.leg;
}

size_t Runtime::applicationCount() const
{
    std::lock_guard lock(registry_.mutex);
    return registry_.apps.size();
}

LONG Runtime::startRequest(const ApiCall &call, PendingRequest pending, const Submit &submit)
{
    const exchange::Fault &fault = call.fault();
    {
        std::lock_guard lock(registry_.mutex);
        pending.id = registry_.newRequestId();
        registry_.pending[pending.id] = pending;
    }
    if (fault.timing == exchange::ReplyTiming::Never)
        return static_cast<LONG>(pending.id);
    exchange::RequestTag tag;
    tag.id = pending.id;
    tag.delay = fault.timing == exchange::ReplyTiming::Delayed ? fault.delay : exchange::Millis(0);
    tag.function = call.function();
    tag.device = pending.device;
    tag.phone = pending.phone;
    LONG r = 0;
    if (fault.result && fault.resultInReply)
        exchange_->replyOnly(tag, *fault.result);
    else
        r = submit(tag);
    if (r != 0) {
        std::lock_guard lock(registry_.mutex);
        registry_.pending.erase(pending.id);
        return r;
    }
    if (fault.timing == exchange::ReplyTiming::BeforeReturn)
        exchange_->waitIdle();
    return static_cast<LONG>(pending.id);
}

} // namespace tapi32
