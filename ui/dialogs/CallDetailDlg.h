// What the call detail windows (call data, user-to-user information, quality
// of service, ISDN information) share: the call they show, hexadecimal viewers
// over fields of its LINECALLINFO, the call's features, and the steps of an
// action (owner privilege, the wait for the reply, the report of a failure).
#pragma once

#include <window/Dialog.h>

#include "CTapiCall.h"
#include "TapiPlatform.h"

#include <vector>

class CHexEdit;

/// A modal dialog on the user-interface thread. It holds a reference to its
/// call for its whole life, so the call object outlives every wait of an
/// action even when the call goes idle and leaves the main window meanwhile
/// (the call's requests then fail with TAPI's error, which is reported).
class CCallDetailDlg : public win::Dialog {
protected:
    CCallDetailDlg(QWidget *parent, CTapiCall *call);

    CTapiCall &Call() const { return *call_; }

    /// A new hexadecimal viewer registered as control `id`; the window owns it.
    CHexEdit *AddHexViewer(int id);
    /// Shows the LINECALLINFO field of `size` bytes at `offset` in `viewer`;
    /// empty when the size is 0 or the field does not lie within the structure.
    static void ShowInfoField(CHexEdit &viewer, const LINECALLINFO *info, DWORD offset, DWORD size);
    /// dwCallFeatures of the call's status read afresh; 0 when it cannot be read.
    DWORD FreshCallFeatures() const;

    /// lineSetCallPrivilege (owner); a failure is reported and answers false.
    bool TakeOwner() const;
    /// Waits for the reply of `result` (60000 ms, pumping messages) and reports
    /// a non-zero outcome under `operation`. Returns the outcome.
    static DWORD WaitAndReport(const char *operation, DWORD result);

    /// Gives every control the stock proportional font, then the viewers the
    /// fixed one with the bytes they hold; then the base's initialisation.
    void OnInitDialog() override;

private:
    CTapiCallPtr ref_; // keeps the call object alive while the window is open
    CTapiCall *call_;
    std::vector<CHexEdit *> viewers_;
};
