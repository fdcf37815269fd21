// Shows the ISDN information elements of a call (Q.931): charging
// information, low and high level compatibility.
#pragma once

#include <ui/dialogs/CallDetailDlg.h>

/// A modal dialog on the user-interface thread (see CCallDetailDlg). It reads
/// the cached call information once, when it opens.
class CISDNInfo : public CCallDetailDlg {
public:
    static constexpr int IDD = 1095;
    static constexpr int IDC_CHARGING = 2006;
    static constexpr int IDC_LOWLEVEL = 2008;
    static constexpr int IDC_HIGHLEVEL = 2009;

    CISDNInfo(QWidget *parent, CTapiCall *call);

protected:
    void OnInitDialog() override;

private:
    CHexEdit *charging_ = nullptr;
    CHexEdit *lowLevel_ = nullptr;
    CHexEdit *highLevel_ = nullptr;
};
