// Lists the calls of a conference: the conference call itself ("Owner") first,
// then its parties ("Member") in the order TAPI gives them, each with its state.
#pragma once

#include <window/Dialog.h>

#include "CTapiCall.h"

#include <QString>

/// A modal dialog on the user-interface thread. It reads the conference once,
/// when it opens, and is not refreshed. It holds a reference to its call.
class CConfListDlg : public win::Dialog {
public:
    static constexpr int IDD = 1085;
    static constexpr int IDC_CALLS = 2012;

    CConfListDlg(QWidget *parent, CTapiCall *call);

    /// The list entry of a call: "Owner x%lx - %s" for the conference call,
    /// "   Member x%lx - %s" for a party; the number is the low 32 bits of the
    /// call object's address (to tell entries apart), the text its state.
    static QString EntryText(const CTapiCall *call, bool owner, const QString &state);

protected:
    /// lineGetConfRelatedCalls on the call; a failure leaves the list empty
    /// and is not reported.
    void OnInitDialog() override;

private:
    CTapiCallPtr ref_;
    CTapiCall *call_;
};
