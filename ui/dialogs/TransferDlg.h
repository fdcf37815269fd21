// Asks where to transfer a call and whether blind or after a consultation.
// The main window performs the transfer with what the dialog returns.
#pragma once

#include <ui/dialogs/CallParty.h>
#include <window/Dialog.h>

#include <QString>

class CTapiCall;

/// A modal dialog on the user-interface thread. It reads the call's party and
/// features and issues no request itself. The call is not owned and must
/// outlive the dialog.
class CTransferDlg : public win::Dialog {
public:
    static constexpr int IDC_PARTY_NAME = 2001;
    static constexpr int IDC_PARTY_NUMBER = 2002;
    static constexpr int IDC_CONSULTATION = 2003;
    static constexpr int IDC_NUMBER = 2004;

    CTransferDlg(QWidget *parent, CTapiCall *call);

    /// After IDOK: 1 for a consultation transfer, 0 for a blind transfer.
    int GetConsultation() const { return consultation_; }
    /// After IDOK: the number to transfer to (never empty).
    const QString &GetNumber() const { return number_; }

protected:
    /// Shows the party, then settles the transfer kind from the call's
    /// features: without blind transfer only a consultation is possible,
    /// without consultation only a blind transfer; with both the user chooses.
    void OnInitDialog() override;

private:
    CTapiCall *call_;
    CallParty party_;
    int consultation_ = 0;
    QString number_;
};
