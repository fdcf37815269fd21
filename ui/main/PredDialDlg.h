// The predictive dialer parameters of a call from an address that can dial
// predictively: a number to transfer the call to, how long to wait for an
// answer, and the call states in which the transfer happens.
#pragma once

#include <window/Dialog.h>

#include "TapiPlatform.h"

#include <QString>

/// A modal dialog on the user-interface thread; it issues no TAPI request. The
/// caller sets the limits from LINEADDRESSCAPS before running it and reads the
/// choices after IDOK.
class CPredDialDlg : public win::Dialog {
public:
    static constexpr int IDD = 1093;
    static constexpr int IDC_TRANSFER_TO = 2007;
    static constexpr int IDC_TIMEOUT = 2035;
    static constexpr int IDC_TIMEOUT_SPIN = 2036;
    static constexpr int IDC_STATES = 2037;
    /// The most characters of the transfer-to number.
    static constexpr int kTransferToLimit = 20;
    /// The largest time-out the field takes, in seconds.
    static constexpr int kMaxTimeout = 9999;

    explicit CPredDialDlg(QWidget *parent = nullptr);

    /// Before running: LINEADDRESSCAPS dwMaxNoAnswerTimeout (0: no time-out can
    /// be chosen) and dwPredictiveAutoTransferStates (the states offered).
    void SetTimeout(DWORD maxNoAnswerTimeout) { maxTimeout_ = maxNoAnswerTimeout; }
    void SetStates(DWORD autoTransferStates) { states_ = autoTransferStates; }

    /// After IDOK: the number (empty for none), the seconds chosen, and the
    /// OR of the states selected (0 when none).
    const QString &GetTransferTo() const { return transferTo_; }
    DWORD GetTimeout() const { return static_cast<DWORD>(timeout_); }
    DWORD GetStates() const { return states_; }

protected:
    void OnInitDialog() override;
    void OnOK() override;

private:
    void FillStates();

    QString transferTo_;
    DWORD maxTimeout_ = 0;
    int timeout_ = 0;
    DWORD states_ = 0;
};
