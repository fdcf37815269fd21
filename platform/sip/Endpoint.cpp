#include "sip/Endpoint.h"

#include "sip/Account.h"
#include "sip/Dialog.h"
#include "sip/SipText.h"

namespace sip {

using exchange::FarCommand;

Endpoint::Endpoint(exchange::Exchange &exchange, const std::vector<exchange::SipAccount> &accounts)
    : exchange_(exchange)
{
    tmr_init(&reaper_);
    for (const auto &config : accounts)
        accounts_.push_back(std::make_unique<Account>(*this, config));
}

Endpoint::~Endpoint()
{
    shutdown();
}

std::vector<std::string> Endpoint::start()
{
    std::vector<std::string> errors;
    for (auto &account : accounts_)
        if (std::string error = account->start(); !error.empty())
            errors.push_back(account->config().name + ": " + error);
    return errors;
}

void Endpoint::shutdown()
{
    tmr_cancel(&reaper_);
    for (auto &[leg, dialog] : dialogs_)
        dialog->markReleased();
    dialogs_.clear();
    released_.clear();
    accounts_.clear(); // the stacks close: no callback comes after this
    tokens_.clear();
}

Endpoint::RequestToken *Endpoint::newToken(uint64_t serial)
{
    auto token = std::make_unique<RequestToken>(RequestToken{this, serial});
    RequestToken *raw = token.get();
    tokens_.emplace(raw, std::move(token));
    return raw;
}

Dialog *Endpoint::redeem(void *arg, bool final)
{
    auto *token = static_cast<RequestToken *>(arg);
    Endpoint &self = *token->endpoint;
    Dialog *dialog = self.findSerial(token->serial);
    if (final)
        self.tokens_.erase(token);
    return dialog;
}

Dialog &Endpoint::adopt(std::unique_ptr<Dialog> dialog)
{
    Dialog &d = *dialog;
    dialogs_[d.leg()] = std::move(dialog);
    return d;
}

void Endpoint::release(Dialog &dialog)
{
    const auto it = dialogs_.find(dialog.leg());
    if (it == dialogs_.end() || it->second.get() != &dialog)
        return;
    dialog.markReleased();
    released_.push_back(std::move(it->second));
    dialogs_.erase(it);
    if (!tmr_isrunning(&reaper_))
        tmr_start(&reaper_, 0, onReap, this);
}

void Endpoint::onReap(void *arg)
{
    // Freeing a dialog frees its session, which may send a BYE or CANCEL.
    auto released = std::move(static_cast<Endpoint *>(arg)->released_);
    released.clear();
}

Dialog *Endpoint::find(exchange::LegId leg) const
{
    const auto it = dialogs_.find(leg);
    return it == dialogs_.end() ? nullptr : it->second.get();
}

Dialog *Endpoint::findSerial(uint64_t serial) const
{
    for (const auto &[leg, dialog] : dialogs_)
        if (dialog->serial() == serial)
            return dialog.get();
    return nullptr;
}

Dialog *Endpoint::findByRequest(const sip_msg *msg) const
{
    for (const auto &[leg, dialog] : dialogs_)
        if (dialog->matches(msg))
            return dialog.get();
    return nullptr;
}

void Endpoint::handle(const FarCommand &command)
{
    if (command.kind == FarCommand::Kind::Invite) {
        Account *account = nullptr;
        for (auto &a : accounts_)
            if (a->config().line == command.line && a->stack())
                account = a.get();
        if (!account || find(command.leg)) {
            exchange_.remoteDisconnect(command.leg, LINEDISCONNECTMODE_UNREACHABLE);
            return;
        }
        Dialog &dialog = adopt(std::make_unique<Dialog>(*this, *account, command.leg, false));
        dialog.call(command.text, command.callerName);
        return;
    }
    Dialog *dialog = find(command.leg);
    if (!dialog) {
        // The dialog is gone (or never was): nothing to do but answer.
        if (command.request != 0)
            exchange_.farEndDone(command.request, LINEERR_OPERATIONFAILED);
        return;
    }
    switch (command.kind) {
    case FarCommand::Kind::Invite:
        break;
    case FarCommand::Kind::Answer:
        dialog->answer();
        break;
    case FarCommand::Kind::Hangup:
        dialog->hangup();
        break;
    case FarCommand::Kind::Redirect:
        dialog->redirect(command.text);
        break;
    case FarCommand::Kind::Hold:
    case FarCommand::Kind::Resume:
        dialog->hold(command.kind == FarCommand::Kind::Hold, command.request);
        break;
    case FarCommand::Kind::Refer: {
        const std::string uri = dialog->account().requestUri(command.text);
        dialog->refer(uri.empty() ? std::string() : "<" + uri + ">", command.request);
        break;
    }
    case FarCommand::Kind::ReferReplacing: {
        const Dialog *other = find(command.other);
        dialog->refer(other ? other->replacingReferTo() : std::string(), command.request);
        break;
    }
    case FarCommand::Kind::Digits:
        dialog->digits(command.text);
        break;
    }
}

} // namespace sip
