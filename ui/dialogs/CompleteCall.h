// Asks how a call that did not reach its party is to be completed: camp on,
// call back, intrude or leave one of the address's predefined messages. The
// main window issues the completion with what the dialog returns.
#pragma once

#include <ui/dialogs/CallParty.h>
#include <window/Dialog.h>

#include "TapiPlatform.h"

#include <QString>

class CTapiCall;

/// A modal dialog on the user-interface thread; it issues no request itself.
/// The call is not owned and must outlive the dialog.
class CCompleteCall : public win::Dialog {
public:
    static constexpr int IDC_PARTY_NAME = 2001;
    static constexpr int IDC_PARTY_NUMBER = 2002;
    static constexpr int IDC_MODE = 2016;
    static constexpr int IDC_MESSAGE = 2017;
    /// The message identifier returned when no message was chosen.
    static constexpr DWORD kNoMessage = 0xFFFFFFFF;

    CCompleteCall(QWidget *parent, CTapiCall *call);

    /// After IDOK: the LINECALLCOMPLMODE_ value chosen.
    DWORD GetCompletionMode() const { return completionMode_; }
    /// After IDOK: the index of the message chosen, or kNoMessage.
    DWORD GetMessageId() const { return messageId_; }

protected:
    /// Lists the modes and messages the call's address offers (nothing when
    /// its capabilities cannot be read) and selects the first mode.
    void OnInitDialog() override;
    void OnOK() override;

private:
    void FillLists();
    /// The message list is for the message mode only; "Complete" needs a mode,
    /// and in the message mode a message.
    void OnSelectionChange();

    CTapiCall *call_;
    CallParty party_;
    DWORD completionMode_ = 0;
    DWORD messageId_ = 0;
};
