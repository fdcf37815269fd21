// One SIP account: its own SIP stack on its own port, the listeners for
// calls and requests from the network, the registration (with digest
// authentication and refresh) and the message-waiting subscription. It
// drives one far line: in service while registered, message waiting as
// the PBX's message summary says. SIP thread only; owned by the Endpoint.
#ifndef DIALWERK_SIP_ACCOUNT_H
#define DIALWERK_SIP_ACCOUNT_H

#include "exchange/Topology.h"
#include "sip/Libre.h"

#include <string>
#include <vector>

namespace sip {

class Endpoint;

class Account {
public:
    Account(Endpoint &endpoint, exchange::SipAccount config);
    ~Account();
    Account(const Account &) = delete;
    Account &operator=(const Account &) = delete;

    /// Opens the transport and listeners, then registers (or reports the
    /// line in service when there is no registrar). Answers an error text,
    /// empty on success.
    std::string start();

    const exchange::SipAccount &config() const { return config_; }
    re::sip *stack() const { return stack_; }
    sipsess_sock *sessions() const { return sessions_; }
    /// The request URI for a dialed number or URI; empty when not dialable.
    std::string requestUri(std::u16string_view dialed) const;
    /// The user part of our Contact.
    const std::string &contactUser() const { return contactUser_; }
    /// Our Contact header value (with angle brackets).
    std::string contact() const;
    /// The IPv4 address RTP sockets bind to and SDP announces.
    const std::string &mediaAddress() const { return mediaAddress_; }
    /// The route set for requests outside a dialog (the outbound proxy).
    const char **routes(uint32_t &count);

    static int authenticate(char **user, char **password, const char *realm, void *arg);

private:
    static void onInvite(const sip_msg *msg, void *arg);
    static bool onRequest(const sip_msg *msg, void *arg);
    static void onRegistered(int err, const sip_msg *msg, void *arg);
    static void onMwiNotify(re::sip *stack, const sip_msg *msg, void *arg);
    static void onMwiClose(int err, const sip_msg *msg, const sipevent_substate *state, void *arg);
    void incomingCall(const sip_msg *msg);
    void setInService(bool on);
    void messageSummary(const sip_msg *msg);

    Endpoint &endpoint_;
    exchange::SipAccount config_;
    std::string contactUser_;
    std::string mediaAddress_;
    std::vector<const char *> routes_;
    re::sip *stack_ = nullptr;
    sipsess_sock *sessions_ = nullptr;
    sip_lsnr *listener_ = nullptr;
    sipevent_sock *events_ = nullptr;
    sipreg *registration_ = nullptr;
    sipsub *mwi_ = nullptr;
    dnsc *dns_ = nullptr;
    int inService_ = -1; // last reported: -1 none yet
};

} // namespace sip

#endif
