// Asks for one forwarding instruction: the address (or all of them), the
// forwarding mode out of those the address offers, a specific caller, the
// destination and the number of rings before a call counts as unanswered.
#pragma once

#include <window/Dialog.h>

#include "TapiPlatform.h"

#include <QString>

class CTapiAddress;
class CTapiLine;

/// A modal dialog on the user-interface thread; it issues no request itself.
/// The line is not owned and must outlive the dialog.
class CForwardDlg : public win::Dialog {
public:
    static constexpr int IDC_ADDRESS = 2060;
    static constexpr int IDC_MODE = 2061;
    static constexpr int IDC_CALLER = 2062;
    static constexpr int IDC_DESTINATION = 2063;
    static constexpr int IDC_RINGS = 2064;
    static constexpr int IDC_RINGS_SPIN = 2065;
    static constexpr int IDC_FORWARD_ALL = 2066;
    /// The mode list's own value for do-not-disturb (not a TAPI value).
    static constexpr DWORD kDoNotDisturb = 0x10000000;

    CForwardDlg(QWidget *parent, CTapiLine *line);

    /// After IDOK: the LINEFORWARDMODE_ to set. Do-not-disturb comes back as an
    /// unconditional forward without destination; a base mode with the caller
    /// field in use as its caller-specific mode.
    DWORD GetMode() const { return mode_; }
    /// After IDOK: 1 when the instruction is for every address.
    int GetForwardAll() const { return forwardAll_; }
    /// After IDOK: the identifier of the address chosen (also with Forward ALL).
    DWORD GetAddressId() const { return addressId_; }
    const QString &GetCaller() const { return caller_; }
    const QString &GetDestination() const { return destination_; }
    int GetRings() const { return rings_; }

protected:
    void OnInitDialog() override;
    void OnOK() override;

private:
    CTapiAddress *SelectedAddress() const;
    /// The value of the selected mode, or nothing.
    bool SelectedMode(DWORD &mode) const;
    /// Lists the modes the chosen address offers, keeping the chosen one when it can.
    void OnAddressChange();
    /// Which fields the chosen mode takes.
    void OnModeChange();
    void OnForwardAll();
    /// "Forward" needs a mode and a destination, except for do-not-disturb.
    void UpdateForwardButton();
    /// Reads "NoAnswer # rings:"; a text that is no number is refused with a
    /// prompt and the number kept, while the other fields are read on.
    bool ReadRings();

    CTapiLine *line_;
    int forwardAll_ = 0;
    bool dndOffered_ = false;
    QString caller_;
    QString destination_;
    int rings_ = 0;
    DWORD minRings_ = 0;
    DWORD maxRings_ = 0;
    DWORD forwardModes_ = 0;
    DWORD mode_ = 0;
    DWORD addressId_ = 0;
};
