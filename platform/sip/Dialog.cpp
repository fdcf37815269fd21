#include "sip/Dialog.h"

#include "exchange/CallRecorder.h"
#include "sip/Account.h"
#include "sip/Endpoint.h"
#include "sip/SipText.h"

#include <utility>

namespace sip {

using exchange::Exchange;

namespace {

constexpr const char *kAllow = "Allow: INVITE, ACK, BYE, CANCEL, INFO, REFER, NOTIFY, OPTIONS\r\n";
constexpr unsigned kDigitMs = 160;
// A REFER accepted with 202 and followed by no NOTIFY at all counts as
// done after this long (the far end does not report progress).
constexpr uint64_t kReferQuietMs = 3000;

std::optional<RemoteSdp> sdpOf(const sip_msg *msg)
{
    if (!msg || !msg_ctype_cmp(&msg->ctyp, "application", "sdp"))
        return std::nullopt;
    return parseSdp(body(msg));
}

/// Holds a new mbuf for the length of a call into libre.
struct Buffer {
    explicit Buffer(const std::string &text) : mb(mbufOf(text)) {}
    ~Buffer() { mem_deref(mb); }
    mbuf *mb;
};

} // namespace

Dialog::Dialog(Endpoint &endpoint, Account &account, exchange::LegId leg, bool incoming)
    : endpoint_(endpoint), account_(account), leg_(leg), serial_(endpoint.nextSerial()), incoming_(incoming),
      media_(account.mediaAddress())
{
    tmr_init(&referQuiet_);
}

Dialog::~Dialog()
{
    tmr_cancel(&referQuiet_);
    // Freeing the session ends it as its state requires: BYE once
    // established, CANCEL while our INVITE rings, 486 while theirs does.
    mem_deref(session_);
    mem_deref(auth_);
}

Endpoint::RequestToken *Dialog::token() const
{
    return endpoint_.newToken(serial_);
}

void Dialog::fail(DWORD mode)
{
    endpoint_.exchange().remoteDisconnect(leg_, mode);
    endpoint_.release(*this);
}

bool Dialog::call(const std::u16string &dialed, const std::u16string &callerName)
{
    const std::string uri = account_.requestUri(dialed);
    if (uri.empty()) {
        fail(LINEDISCONNECTMODE_BADADDRESS);
        return false;
    }
    if (media_.open() != 0 || sip_auth_alloc(&auth_, Account::authenticate, &account_, false) != 0) {
        fail(LINEDISCONNECTMODE_TEMPFAILURE);
        return false;
    }
    const auto &config = account_.config();
    const std::string name = callerName.empty() ? config.displayName : exchange::toUtf8(callerName);
    Buffer offer(media_.offer(Direction::SendRecv));
    uint32_t routeCount = 0;
    const char **routes = account_.routes(routeCount);
    const int err = sipsess_connect(&session_, account_.sessions(), uri.c_str(), name.empty() ? nullptr : name.c_str(),
                                    config.aor.c_str(), account_.contactUser().c_str(), routes, routeCount,
                                    "application/sdp", offer.mb, Account::authenticate, &account_, false, onOffer,
                                    onAnswer, onProgress, onEstablished, onInfo, onRefer, onClose, this, kAllow);
    if (err) {
        fail(disconnectModeForError(err));
        return false;
    }
    return true;
}

bool Dialog::accept(const sip_msg *invite)
{
    offered_ = sdpOf(invite);
    if (media_.open() != 0 || sip_auth_alloc(&auth_, Account::authenticate, &account_, false) != 0)
        return false;
    const int err = sipsess_accept(&session_, account_.sessions(), invite, 180, "Ringing",
                                   account_.contactUser().c_str(), "application/sdp", nullptr, Account::authenticate,
                                   &account_, false, onOffer, onAnswer, onEstablished, onInfo, onRefer, onClose,
                                   this, kAllow);
    return err == 0;
}

void Dialog::answer()
{
    if (!incoming_ || answered_ || !session_)
        return;
    Buffer desc(offered_ ? media_.answer(*offered_, Direction::SendRecv) : media_.offer(Direction::SendRecv));
    if (sipsess_answer(session_, 200, "OK", desc.mb, nullptr) != 0) {
        fail(LINEDISCONNECTMODE_TEMPFAILURE);
        return;
    }
    answered_ = true;
    media_.start();
}

void Dialog::hangup()
{
    if (incoming_ && !answered_ && session_)
        (void)sipsess_reject(session_, 603, "Decline", nullptr);
    // libre holds its BYE back while a re-INVITE is outstanding, and one
    // nobody answers stays outstanding for half a minute: send it now.
    if (established_ && reinviteOutstanding_)
        (void)sip_drequestf(nullptr, account_.stack(), true, "BYE", sipsess_dialog(session_), 0, auth_, nullptr,
                            nullptr, nullptr, "Content-Length: 0\r\n\r\n");
    endpoint_.release(*this);
}

void Dialog::redirect(const std::u16string &to)
{
    const std::string uri = account_.requestUri(to);
    if (!incoming_ || answered_ || !session_ || uri.empty())
        return;
    (void)sipsess_reject(session_, 302, "Moved Temporarily", "Contact: <%s>\r\n", uri.c_str());
    endpoint_.release(*this);
}

void Dialog::hold(bool on, uint32_t request)
{
    Exchange &ex = endpoint_.exchange();
    if (!established_) {
        ex.farEndDone(request, LINEERR_OPERATIONFAILED);
        return;
    }
    // A request still waiting has had its reply from the exchange's guard
    // by now (a late answer is ignored there); this one takes its place.
    if (modifyRequest_ != 0)
        ex.farEndDone(std::exchange(modifyRequest_, 0), LINEERR_OPERATIONFAILED);
    // A call the far end holds already goes inactive rather than sendonly.
    const Direction direction = !on ? Direction::SendRecv
                                : media_.heldByFarEnd() ? Direction::Inactive
                                                        : Direction::SendOnly;
    Buffer offer(media_.offer(direction));
    if (sipsess_modify(session_, offer.mb) != 0) {
        ex.farEndDone(request, LINEERR_OPERATIONFAILED);
        return;
    }
    // A 2xx completes the request (onAnswer). libre drops an error answer
    // to a re-INVITE without a word, so then the exchange's guard replies.
    modifyRequest_ = request;
    reinviteOutstanding_ = true;
}

void Dialog::refer(const std::string &referTo, uint32_t request)
{
    Exchange &ex = endpoint_.exchange();
    if (!established_ || referTo.empty()) {
        ex.farEndDone(request, LINEERR_OPERATIONFAILED);
        return;
    }
    if (referRequest_ != 0) // as with hold: the guard has answered it
        finishRefer(LINEERR_OPERATIONFAILED);
    Endpoint::RequestToken *tok = token();
    const int err = sip_drequestf(nullptr, account_.stack(), true, "REFER", sipsess_dialog(session_), 0, auth_,
                                  nullptr, onReferResponse, tok,
                                  "Contact: %s\r\n"
                                  "Refer-To: %s\r\n"
                                  "Referred-By: <%s>\r\n"
                                  "Content-Length: 0\r\n"
                                  "\r\n",
                                  account_.contact().c_str(), referTo.c_str(), account_.config().aor.c_str());
    if (err) {
        endpoint_.discard(tok);
        ex.farEndDone(request, LINEERR_OPERATIONFAILED);
        return;
    }
    referRequest_ = request;
    referNotified_ = false;
}

std::string Dialog::replacingReferTo() const
{
    if (!established_ || callId_.empty() || remoteUri_.empty())
        return {};
    return referToReplacing(remoteUri_, callId_, remoteTag_, localTag_);
}

void Dialog::digits(const std::u16string &digits)
{
    if (account_.config().dtmf == "rfc4733" && media_.sendsEvents()) {
        media_.sendDigits(digits);
        return;
    }
    for (const char16_t c : digits)
        if ((c >= u'0' && c <= u'9') || c == u'*' || c == u'#' || (c >= u'A' && c <= u'D'))
            digitQueue_ += c;
    if (!digitInFlight_)
        sendNextDigit();
}

void Dialog::sendNextDigit()
{
    digitInFlight_ = false;
    if (digitQueue_.empty() || !established_)
        return;
    Buffer relay(dtmfRelayBody(digitQueue_.front(), kDigitMs));
    digitQueue_.erase(0, 1);
    Endpoint::RequestToken *tok = token();
    if (sipsess_info(session_, "application/dtmf-relay", relay.mb, onInfoResponse, tok) != 0) {
        endpoint_.discard(tok);
        digitQueue_.clear();
        return;
    }
    digitInFlight_ = true;
}

bool Dialog::matches(const sip_msg *msg) const
{
    return session_ && established_ && sip_dialog_cmp(sipsess_dialog(session_), msg);
}

void Dialog::referNotify(re::sip *stack, const sip_msg *msg)
{
    (void)sip_reply(stack, msg, 200, "OK");
    referNotified_ = true;
    tmr_cancel(&referQuiet_);
    const uint16_t status = sipfragStatus(body(msg));
    if (status >= 200 && status < 300)
        finishRefer(0);
    else if (status >= 300)
        finishRefer(LINEERR_OPERATIONFAILED);
}

void Dialog::finishRefer(LONG result)
{
    tmr_cancel(&referQuiet_);
    if (referRequest_ == 0)
        return;
    const uint32_t request = referRequest_;
    referRequest_ = 0;
    endpoint_.exchange().farEndDone(request, result);
}

void Dialog::takeIdentity(const sip_msg *msg)
{
    // On our INVITE's 2xx the far end is in To; on the ACK to theirs, in From.
    const sip_taddr &local = incoming_ ? msg->to : msg->from;
    const sip_taddr &remote = incoming_ ? msg->from : msg->to;
    callId_ = str(msg->callid);
    localTag_ = str(local.tag);
    remoteTag_ = str(remote.tag);
    remoteUri_ = str(remote.auri);
}

void Dialog::reportConnectedId(const sip_msg *msg)
{
    std::string value = header(msg, "P-Asserted-Identity");
    if (value.empty())
        value = str(msg->to.val);
    const exchange::PartyId party = partyIdFrom(value, privacyHidesId(header(msg, "Privacy")));
    if (party.flags == LINECALLPARTYID_UNKNOWN)
        return;
    endpoint_.exchange().updateCallInfo(leg_, LINECALLINFOSTATE_CONNECTEDID,
                                        [&](exchange::CallInfoData &info) { info.connected = party; });
}

int Dialog::onOffer(mbuf **desc, const sip_msg *msg, void *arg)
{
    auto *self = static_cast<Dialog *>(arg);
    const Direction wanted = self->media_.localDirection() == Direction::SendRecv ||
                                     self->media_.localDirection() == Direction::RecvOnly
                                 ? Direction::SendRecv
                                 : Direction::SendOnly;
    const auto offered = sdpOf(msg);
    *desc = mbufOf(offered ? self->media_.answer(*offered, wanted) : self->media_.offer(wanted));
    return *desc ? 0 : ENOMEM;
}

int Dialog::onAnswer(const sip_msg *msg, void *arg)
{
    auto *self = static_cast<Dialog *>(arg);
    if (const auto remote = sdpOf(msg))
        self->media_.answered(*remote);
    if (self->established_ && msg->scode >= 200)
        self->reinviteOutstanding_ = false;
    if (self->released_ || !self->established_ || self->modifyRequest_ == 0 || msg->scode < 200)
        return 0;
    const uint32_t request = self->modifyRequest_;
    self->modifyRequest_ = 0;
    self->endpoint_.exchange().farEndDone(request, 0);
    return 0;
}

void Dialog::onProgress(const sip_msg *msg, void *arg)
{
    auto *self = static_cast<Dialog *>(arg);
    if (self->released_)
        return;
    if (const auto remote = sdpOf(msg))
        self->media_.answered(*remote);
    const DWORD state = msg->scode == 180 ? LINECALLSTATE_RINGBACK : LINECALLSTATE_PROCEEDING;
    if (state == self->progress_)
        return;
    self->progress_ = state;
    self->endpoint_.exchange().remoteProgress(self->leg_, state);
}

void Dialog::onEstablished(const sip_msg *msg, void *arg)
{
    auto *self = static_cast<Dialog *>(arg);
    if (self->released_)
        return;
    self->established_ = true;
    self->takeIdentity(msg);
    if (self->incoming_)
        return;
    self->media_.start();
    self->endpoint_.exchange().remoteAnswer(self->leg_);
    self->reportConnectedId(msg);
}

void Dialog::onInfo(re::sip *stack, const sip_msg *msg, void *arg)
{
    auto *self = static_cast<Dialog *>(arg);
    const bool relay = msg_ctype_cmp(&msg->ctyp, "application", "dtmf-relay");
    const bool plain = msg_ctype_cmp(&msg->ctyp, "application", "dtmf");
    if (!relay && !plain) {
        (void)sip_reply(stack, msg, 415, "Unsupported Media Type");
        return;
    }
    (void)sip_reply(stack, msg, 200, "OK");
    const auto digit = dtmfDigitOf(body(msg), relay);
    if (digit && !self->released_)
        self->endpoint_.exchange().remoteDigits(self->leg_, std::u16string(1, *digit));
}

void Dialog::onRefer(re::sip *stack, const sip_msg *msg, void *)
{
    // Being transferred by the far end is not supported: the call stays.
    (void)sip_reply(stack, msg, 603, "Decline");
}

void Dialog::onClose(int err, const sip_msg *msg, void *arg)
{
    auto *self = static_cast<Dialog *>(arg);
    if (self->released_)
        return;
    Exchange &ex = self->endpoint_.exchange();
    if (!self->incoming_ && !self->established_) {
        const DWORD mode = msg && msg->scode >= 300 ? disconnectModeFor(msg->scode) : disconnectModeForError(err);
        ex.remoteDisconnect(self->leg_, mode);
    } else if (self->established_ && err != ECONNRESET && err != 0) {
        ex.remoteDisconnect(self->leg_, LINEDISCONNECTMODE_UNREACHABLE);
    } else {
        // A BYE (or, while ringing, a CANCEL) from the far end; libre does
        // not pass its Reason on.
        ex.remoteHangUp(self->leg_);
    }
    self->endpoint_.release(*self);
}

void Dialog::onInfoResponse(int, const sip_msg *msg, void *arg)
{
    if (msg && msg->scode < 200)
        return;
    if (Dialog *self = Endpoint::redeem(arg, true))
        self->sendNextDigit();
}

void Dialog::onReferResponse(int err, const sip_msg *msg, void *arg)
{
    if (!err && msg && msg->scode < 200)
        return;
    Dialog *self = Endpoint::redeem(arg, true);
    if (!self)
        return;
    if (err || !msg || msg->scode >= 300) {
        self->finishRefer(LINEERR_OPERATIONFAILED);
        return;
    }
    if (!self->referNotified_ && self->referRequest_ != 0)
        tmr_start(&self->referQuiet_, kReferQuietMs, onReferQuiet, self);
}

void Dialog::onReferQuiet(void *arg)
{
    static_cast<Dialog *>(arg)->finishRefer(0);
}

} // namespace sip
