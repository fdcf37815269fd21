// One call's SIP dialog (a libre session) and its media, bound to one leg
// of the exchange. It carries out the FarCommands for that leg and reports
// what the network does to it. SIP thread only; owned by the Endpoint's
// table from creation until release(), then freed on the loop's next turn.
//
// Callbacks on the session get the Dialog itself (libre calls none after
// the session is freed, which the destructor does). Requests that outlive
// a session (INFO, REFER) get a token with the dialog's serial number
// (Endpoint::RequestToken), looked up in the Endpoint's table when the
// answer comes.
#ifndef DIALWERK_SIP_DIALOG_H
#define DIALWERK_SIP_DIALOG_H

#include "exchange/core/Events.h"
#include "sip/Libre.h"
#include "sip/Endpoint.h"
#include "sip/Media.h"

#include <tapi.h>

#include <optional>
#include <string>

namespace sip {

class Account;

class Dialog {
public:
    Dialog(Endpoint &endpoint, Account &account, exchange::LegId leg, bool incoming);
    ~Dialog();
    Dialog(const Dialog &) = delete;
    Dialog &operator=(const Dialog &) = delete;

    exchange::LegId leg() const { return leg_; }
    uint64_t serial() const { return serial_; }
    bool established() const { return established_; }
    const Account &account() const { return account_; }
    /// Taken out of the Endpoint's table: every callback is ignored.
    void markReleased() { released_ = true; }

    /// Sends the INVITE. False when it could not (the leg is disconnected).
    bool call(const std::u16string &dialed, const std::u16string &callerName);
    /// Takes an incoming INVITE and answers 180. False when it could not.
    bool accept(const sip_msg *invite);
    void answer();
    void hangup();
    void redirect(const std::u16string &to);
    void hold(bool on, uint32_t request);
    /// REFER in this dialog; farEndDone(request) follows.
    void refer(const std::string &referTo, uint32_t request);
    /// Refer-To that hands our far end over to this dialog's far end.
    std::string replacingReferTo() const;
    void digits(const std::u16string &digits);

    /// True when an in-dialog request belongs to this dialog.
    bool matches(const sip_msg *msg) const;
    /// A NOTIFY about our REFER.
    void referNotify(re::sip *stack, const sip_msg *msg);

private:
    static int onOffer(mbuf **desc, const sip_msg *msg, void *arg);
    static int onAnswer(const sip_msg *msg, void *arg);
    static void onProgress(const sip_msg *msg, void *arg);
    static void onEstablished(const sip_msg *msg, void *arg);
    static void onInfo(re::sip *stack, const sip_msg *msg, void *arg);
    static void onRefer(re::sip *stack, const sip_msg *msg, void *arg);
    static void onClose(int err, const sip_msg *msg, void *arg);
    static void onInfoResponse(int err, const sip_msg *msg, void *arg);
    static void onReferResponse(int err, const sip_msg *msg, void *arg);
    static void onReferQuiet(void *arg);

    void takeIdentity(const sip_msg *msg);
    void reportConnectedId(const sip_msg *msg);
    void sendNextDigit();
    void finishRefer(LONG result);
    void fail(DWORD mode);
    Endpoint::RequestToken *token() const;

    Endpoint &endpoint_;
    Account &account_;
    const exchange::LegId leg_;
    const uint64_t serial_;
    const bool incoming_;
    Media media_;
    sipsess *session_ = nullptr;
    sip_auth *auth_ = nullptr;
    std::optional<RemoteSdp> offered_; // the incoming INVITE's offer
    bool answered_ = false;            // incoming: 200 sent
    bool established_ = false;
    bool released_ = false;
    DWORD progress_ = 0;
    uint32_t modifyRequest_ = 0; // hold or resume waiting for its 2xx
    bool reinviteOutstanding_ = false; // our re-INVITE has had no 2xx (an error never shows)
    uint32_t referRequest_ = 0;  // transfer waiting for its NOTIFY
    bool referNotified_ = false;
    tmr referQuiet_{};
    std::u16string digitQueue_;
    bool digitInFlight_ = false;
    // The dialog's identity, kept from the message that established it
    // (libre has no getters for the tags).
    std::string callId_, localTag_, remoteTag_, remoteUri_;
};

} // namespace sip

#endif
