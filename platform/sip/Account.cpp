#include "sip/Account.h"

#include "exchange/CallRecorder.h"
#include "exchange/Exchange.h"
#include "sip/Dialog.h"
#include "sip/Endpoint.h"
#include "sip/SipText.h"

#include <memory>

namespace sip {

namespace {

std::string headerValue(const sip_msg *msg, sip_hdrid id)
{
    const sip_hdr *h = sip_msg_hdr(msg, id);
    return h ? str(h->val) : std::string();
}

/// The address RTP binds to: the bound address, or the one the default
/// route leaves from when SIP listens on every address.
std::string mediaAddressFor(const sa &bound)
{
    sa address = bound;
    if (sa_is_any(&address) && net_default_source_addr_get(AF_INET, &address) != 0)
        return "127.0.0.1";
    char text[64] = {};
    if (sa_ntop(&address, text, sizeof text) != 0)
        return "127.0.0.1";
    return text;
}

} // namespace

Account::Account(Endpoint &endpoint, exchange::SipAccount config) : endpoint_(endpoint), config_(std::move(config))
{
    contactUser_ = !config_.user.empty() ? config_.user : userOf(config_.aor);
    if (!config_.outboundProxy.empty())
        routes_.push_back(config_.outboundProxy.c_str());
}

Account::~Account()
{
    mem_deref(mwi_);
    mem_deref(registration_);
    mem_deref(events_);
    mem_deref(listener_);
    if (sessions_)
        sipsess_close_all(sessions_);
    mem_deref(sessions_);
    if (stack_)
        sip_close(stack_, true);
    mem_deref(stack_);
    mem_deref(dns_);
    if (inService_ == 1 && !config_.registrar.empty())
        endpoint_.exchange().setLineStatus(config_.line, LINEDEVSTATUSFLAGS_INSERVICE, false);
}

std::string Account::start()
{
    sa local;
    if (sa_set_str(&local, config_.bind.c_str(), config_.localPort) != 0)
        return "bad bind address " + config_.bind;
    if (sa_af(&local) != AF_INET)
        return "bind address " + config_.bind + " is not IPv4";
    mediaAddress_ = mediaAddressFor(local);
    const sip_transp transport = config_.transport == "tcp" ? SIP_TRANSP_TCP : SIP_TRANSP_UDP;

    // Names in URIs are resolved through the system's name servers.
    sa servers[8];
    uint32_t serverCount = 8;
    char domain[64] = {};
    if (dns_srv_get(domain, sizeof domain, servers, &serverCount) == 0 && serverCount > 0)
        (void)dnsc_alloc(&dns_, nullptr, servers, serverCount);

    if (int err = sip_alloc(&stack_, dns_, 32, 32, 32, "Dialwerk", nullptr, nullptr))
        return "SIP stack: " + std::string(strerror(err));
    if (int err = sip_transp_add(stack_, transport, &local))
        return "listening on " + config_.bind + ":" + std::to_string(config_.localPort) + ": " + strerror(err);
    // Order matters: sessions take the INVITE dialogs, then this account's
    // own listener picks the NOTIFYs it handles before the event socket
    // (which answers 481 to every NOTIFY it has no subscription for).
    if (sipsess_listen(&sessions_, stack_, 32, onInvite, this) != 0 ||
        sip_listen(&listener_, stack_, true, onRequest, this) != 0 ||
        sipevent_listen(&events_, stack_, 32, 32, nullptr, nullptr) != 0)
        return "SIP listeners";

    uint32_t routeCount = 0;
    const char **routeList = routes(routeCount);
    const char *name = config_.displayName.empty() ? nullptr : config_.displayName.c_str();
    if (config_.registrar.empty()) {
        setInService(true);
    } else if (int err = sipreg_register(&registration_, stack_, config_.registrar.c_str(), config_.aor.c_str(), name,
                                         config_.aor.c_str(), config_.expires, contactUser_.c_str(), routeList,
                                         routeCount, 0, authenticate, this, false, onRegistered, this, nullptr,
                                         nullptr)) {
        return "REGISTER: " + std::string(strerror(err));
    }
    if (config_.mwi) {
        if (int err = sipevent_subscribe(&mwi_, events_, config_.aor.c_str(), name, config_.aor.c_str(),
                                         "message-summary", nullptr, config_.expires, contactUser_.c_str(), routeList,
                                         routeCount, authenticate, this, false, nullptr, onMwiNotify, onMwiClose, this,
                                         "Accept: application/simple-message-summary\r\n"))
            return "SUBSCRIBE: " + std::string(strerror(err));
    }
    return {};
}

std::string Account::requestUri(std::u16string_view dialed) const
{
    const std::string domain = domainOf(config_.registrar.empty() ? config_.aor : config_.registrar);
    return requestUriFor(exchange::toUtf8(dialed), domain);
}

std::string Account::contact() const
{
    return "<sip:" + contactUser_ + "@" + mediaAddress_ + ":" + std::to_string(config_.localPort) +
           (config_.transport == "tcp" ? ";transport=tcp>" : ">");
}

const char **Account::routes(uint32_t &count)
{
    count = static_cast<uint32_t>(routes_.size());
    return routes_.empty() ? nullptr : routes_.data();
}

int Account::authenticate(char **user, char **password, const char *, void *arg)
{
    const auto &config = static_cast<Account *>(arg)->config_;
    const std::string &name = config.authUser.empty() ? config.user : config.authUser;
    if (int err = str_dup(user, name.c_str()))
        return err;
    return str_dup(password, config.password.c_str());
}

void Account::setInService(bool on)
{
    if (inService_ == int(on))
        return;
    inService_ = on;
    endpoint_.exchange().setLineStatus(config_.line, LINEDEVSTATUSFLAGS_INSERVICE, on);
}

void Account::onInvite(const sip_msg *msg, void *arg)
{
    static_cast<Account *>(arg)->incomingCall(msg);
}

void Account::incomingCall(const sip_msg *msg)
{
    exchange::Exchange &ex = endpoint_.exchange();
    std::string identity = header(msg, "P-Asserted-Identity");
    if (identity.empty())
        identity = headerValue(msg, SIP_HDR_FROM);
    const exchange::PartyId caller = partyIdFrom(identity, privacyHidesId(header(msg, "Privacy")));
    std::u16string divertTo;
    const exchange::LegId leg = ex.farIncomingCall(config_.line, caller, &divertTo);
    if (leg == 0) {
        const std::string uri = divertTo.empty() ? std::string() : requestUri(divertTo);
        if (uri.empty())
            (void)sip_reply(stack_, msg, 486, "Busy Here");
        else
            (void)sip_replyf(stack_, msg, 302, "Moved Temporarily", "Contact: <%s>\r\nContent-Length: 0\r\n\r\n",
                             uri.c_str());
        return;
    }
    auto dialog = std::make_unique<Dialog>(endpoint_, *this, leg, true);
    if (!dialog->accept(msg)) {
        (void)sip_reply(stack_, msg, 500, "Server Internal Error");
        ex.remoteDisconnect(leg, LINEDISCONNECTMODE_TEMPFAILURE);
        return;
    }
    endpoint_.adopt(std::move(dialog));
}

bool Account::onRequest(const sip_msg *msg, void *arg)
{
    auto *self = static_cast<Account *>(arg);
    if (pl_strcmp(&msg->met, "NOTIFY") != 0)
        return false;
    const std::string event = headerValue(msg, SIP_HDR_EVENT);
    if (startsWithNoCase(event, "refer")) {
        Dialog *dialog = self->endpoint_.findByRequest(msg);
        if (!dialog)
            return false;
        dialog->referNotify(self->stack_, msg);
        return true;
    }
    // A message summary the PBX sends without a subscription.
    if (startsWithNoCase(event, "message-summary") && !pl_isset(&msg->to.tag)) {
        (void)sip_reply(self->stack_, msg, 200, "OK");
        self->messageSummary(msg);
        return true;
    }
    return false;
}

void Account::onRegistered(int err, const sip_msg *msg, void *arg)
{
    auto *self = static_cast<Account *>(arg);
    if (err || !msg) {
        self->setInService(false);
        return;
    }
    if (msg->scode >= 200)
        self->setInService(msg->scode < 300);
}

void Account::onMwiNotify(re::sip *stack, const sip_msg *msg, void *arg)
{
    (void)sip_treply(nullptr, stack, msg, 200, "OK");
    static_cast<Account *>(arg)->messageSummary(msg);
}

void Account::onMwiClose(int, const sip_msg *, const sipevent_substate *, void *)
{
    // The subscription ended (refused or expired): the lamp stays as the
    // last summary left it.
}

void Account::messageSummary(const sip_msg *msg)
{
    if (const auto waiting = messagesWaiting(body(msg)))
        endpoint_.exchange().setLineStatus(config_.line, LINEDEVSTATUSFLAGS_MSGWAIT, *waiting);
}

} // namespace sip
