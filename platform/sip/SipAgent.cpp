#include "sip/SipAgent.h"

#include "sip/Endpoint.h"
#include "sip/Libre.h"

namespace sip {

namespace {

std::once_flag libreInitialised;

} // namespace

SipAgent::SipAgent(exchange::Exchange &exchange, std::vector<exchange::SipAccount> accounts)
    : exchange_(exchange), accounts_(std::move(accounts))
{
    // libre's process-wide set-up; each SIP thread then gets an event loop
    // state of its own (re_thread_init), so agents may come and go.
    std::call_once(libreInitialised, [] { (void)libre_init(); });
    thread_ = std::thread([this] { run(); });
    std::unique_lock lock(mailboxMutex_);
    startedCv_.wait(lock, [this] { return started_; });
    lock.unlock();
    exchange_.setFarPort(this);
}

SipAgent::~SipAgent()
{
    exchange_.setFarPort(nullptr);
    exchange_.waitIdle();
    {
        std::lock_guard lock(mailboxMutex_);
        stop_ = true;
        if (wake_)
            (void)mqueue_push(wake_, 0, nullptr);
    }
    thread_.join();
}

void SipAgent::send(std::vector<exchange::FarCommand> commands)
{
    std::lock_guard lock(mailboxMutex_);
    for (auto &command : commands)
        mailbox_.push_back(std::move(command));
    if (wake_)
        (void)mqueue_push(wake_, 0, nullptr);
}

void SipAgent::run()
{
    const bool ownLoop = re_thread_init() == 0;
    re::mqueue *wake = nullptr;
    {
        Endpoint endpoint(exchange_, accounts_);
        endpoint_ = &endpoint;
        std::vector<std::string> errors;
        if (mqueue_alloc(&wake, onWake, this) != 0)
            errors.push_back("SIP thread: no mailbox");
        else
            errors = endpoint.start();
        {
            std::lock_guard lock(mailboxMutex_);
            errors_ = std::move(errors);
            wake_ = wake;
            started_ = true;
        }
        startedCv_.notify_all();
        if (wake)
            (void)re_main(nullptr); // no signal handler: the process keeps its own
        {
            std::lock_guard lock(mailboxMutex_);
            wake_ = nullptr;
        }
        endpoint.shutdown();
        endpoint_ = nullptr;
    }
    mem_deref(wake);
    if (ownLoop)
        re_thread_close();
}

void SipAgent::onWake(int, void *, void *arg)
{
    auto *self = static_cast<SipAgent *>(arg);
    self->drain(*self->endpoint_);
}

void SipAgent::drain(Endpoint &endpoint)
{
    std::deque<exchange::FarCommand> commands;
    bool stop = false;
    {
        std::lock_guard lock(mailboxMutex_);
        commands.swap(mailbox_);
        stop = stop_;
    }
    if (stop) {
        re_cancel();
        return;
    }
    for (const auto &command : commands)
        endpoint.handle(command);
}

} // namespace sip
