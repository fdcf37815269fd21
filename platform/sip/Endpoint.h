// Everything the SIP thread owns: the accounts (each with its own SIP
// stack) and the dialogs of the calls, by leg. It carries out the
// exchange's FarCommands and reports back through the exchange's control
// interface. SIP thread only; built and destroyed there (SipAgent.h).
#ifndef DIALWERK_SIP_ENDPOINT_H
#define DIALWERK_SIP_ENDPOINT_H

#include "exchange/Exchange.h"
#include "sip/Libre.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace sip {

class Account;
class Dialog;

class Endpoint {
public:
    Endpoint(exchange::Exchange &exchange, const std::vector<exchange::SipAccount> &accounts);
    ~Endpoint();
    Endpoint(const Endpoint &) = delete;
    Endpoint &operator=(const Endpoint &) = delete;

    /// Opens every account's transport and starts registrations;
    /// answers a text for each account that could not start.
    std::vector<std::string> start();
    /// Ends every dialog and closes every account (no callbacks follow).
    void shutdown();

    void handle(const exchange::FarCommand &command);

    exchange::Exchange &exchange() { return exchange_; }

    /// Takes a new dialog into the table under its leg.
    Dialog &adopt(std::unique_ptr<Dialog> dialog);
    /// Takes a dialog out of the table: commands for its leg are ignored
    /// from now on; the object itself is freed on the loop's next turn,
    /// after the libre callback that may be running on it has returned.
    void release(Dialog &dialog);
    Dialog *find(exchange::LegId leg) const;
    /// The dialog a serial number was given to, if it is still in the table.
    Dialog *findSerial(uint64_t serial) const;
    /// The dialog an in-dialog request belongs to.
    Dialog *findByRequest(const sip_msg *msg) const;
    uint64_t nextSerial() { return ++serial_; }

    /// What a request that may outlive its dialog (INFO, REFER) carries as
    /// its callback argument. The Endpoint owns it: the request's final
    /// answer frees it (redeem), or shutdown() does once no callback can come.
    struct RequestToken {
        Endpoint *endpoint;
        uint64_t serial;
    };
    RequestToken *newToken(uint64_t serial);
    /// The dialog a token names, if it is still in the table; a final
    /// answer (`final`) frees the token.
    static Dialog *redeem(void *token, bool final);
    void discard(RequestToken *token) { tokens_.erase(token); }

private:
    static void onReap(void *arg);

    exchange::Exchange &exchange_;
    std::vector<std::unique_ptr<Account>> accounts_;
    std::map<exchange::LegId, std::unique_ptr<Dialog>> dialogs_;
    std::vector<std::unique_ptr<Dialog>> released_;
    tmr reaper_{};
    uint64_t serial_ = 0;
    std::map<RequestToken *, std::unique_ptr<RequestToken>> tokens_;
};

} // namespace sip

#endif
