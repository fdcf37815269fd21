// The extended parameters of a call placed with Ctrl held: the calling party
// id to present (CLIP), calling line identification restriction (CLIR) and
// automatic off-hook at the destination. Each is offered only when the
// address's capabilities allow it.
#pragma once

#include <window/Dialog.h>

#include "TapiPlatform.h"

#include <QString>

/// A modal dialog on the user-interface thread; it issues no TAPI request. The
/// caller turns the results into LINECALLPARAMS fields.
class MakeCallExtended : public win::Dialog {
public:
    static constexpr int IDD = 105;
    static constexpr int IDC_CLIP = 2053;
    static constexpr int IDC_DESTINATION = 2054;
    static constexpr int IDC_CLIR = 2055;
    static constexpr int IDC_AUTO_OFFHOOK = 2056;

    /// `destination` is shown read-only; `addressFlags` is the address's
    /// LINEADDRESSCAPS dwAddrCapFlags, which decides what may be chosen.
    MakeCallExtended(const QString &destination, DWORD addressFlags, QWidget *parent = nullptr);

    /// Results after IDOK: the calling party id (empty when not offered), and the two choices.
    const QString &GetCallingPartyId() const { return callingPartyId_; }
    bool GetClir() const { return clir_; }
    bool GetAutoOffHook() const { return autoOffHook_; }

protected:
    void OnInitDialog() override;
    void OnOK() override;

private:
    DWORD addressFlags_;
    QString destination_;
    QString callingPartyId_;
    bool clir_ = false;
    bool autoOffHook_ = false;
};
