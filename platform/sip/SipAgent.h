// The SIP side of the exchange's far lines: one agent for all SIP
// accounts, running libre 1.1 on a thread of its own.
//
// Threads. The agent's thread (the SIP thread) runs libre's event loop and
// is the only thread that ever creates, touches or frees a libre object:
// libre's reference counts are not atomic. Every account, dialog, media
// stream and timer lives on it (Endpoint, Account, Dialog, Media).
// The exchange thread calls send() with no exchange lock held; send()
// only appends to the mailbox (a deque under mailboxMutex_) and wakes the
// loop through a libre mqueue, so it never blocks on SIP work. The SIP
// thread empties the mailbox in order and calls the exchange's control
// interface (remoteAnswer, farEndDone, setLineStatus, ...) holding no lock
// of its own, so there is no lock cycle between the two threads.
//
// Lifetimes. The constructor starts the thread and returns once the loop
// runs and every account has tried to start (errors() tells which could
// not), then attaches the agent to the exchange as its FarPort. The
// destructor detaches it (setFarPort(nullptr), then waitIdle(), after
// which no send() is running or will run), posts a stop through the
// mailbox and joins: the SIP thread frees every libre object (dialogs end
// with BYE or CANCEL, as their state requires) before it ends. The
// exchange must outlive the agent.
#ifndef DIALWERK_SIP_SIPAGENT_H
#define DIALWERK_SIP_SIPAGENT_H

#include "exchange/Exchange.h"
#include "exchange/far/FarPort.h"
#include "exchange/Topology.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace re {
struct mqueue;
}

namespace sip {

class Endpoint;

class SipAgent final : public exchange::FarPort {
public:
    /// Starts the SIP thread with `accounts` and attaches to `exchange`.
    SipAgent(exchange::Exchange &exchange, std::vector<exchange::SipAccount> accounts);
    ~SipAgent() override;
    SipAgent(const SipAgent &) = delete;
    SipAgent &operator=(const SipAgent &) = delete;

    /// Queues commands for the SIP thread (exchange thread; never blocks).
    void send(std::vector<exchange::FarCommand> commands) override;

    /// One text for each account that could not start (its line stays out
    /// of service); empty when all did.
    const std::vector<std::string> &errors() const { return errors_; }

private:
    void run();
    static void onWake(int id, void *data, void *arg);
    void drain(Endpoint &endpoint);

    exchange::Exchange &exchange_;
    const std::vector<exchange::SipAccount> accounts_;
    std::vector<std::string> errors_; // written by the SIP thread before started_

    std::mutex mailboxMutex_; // guards the members down to started_
    std::condition_variable startedCv_;
    std::deque<exchange::FarCommand> mailbox_;
    re::mqueue *wake_ = nullptr; // set and cleared by the SIP thread
    bool stop_ = false;
    bool started_ = false;

    Endpoint *endpoint_ = nullptr; // SIP thread only
    std::thread thread_;
};

} // namespace sip

#endif
