// Asks for the party to dial into a new conference, or whether the calls
// already there are to be merged into one. The main window sets up the
// conference with what the dialog returns.
#pragma once

#include <ui/dialogs/CallParty.h>
#include <window/Dialog.h>

#include <QString>

class CTapiCall;

/// A modal dialog on the user-interface thread. It reads the starting call's
/// party and issues no request itself. The call is not owned and must outlive
/// the dialog.
class CSetupConfDlg : public win::Dialog {
public:
    static constexpr int IDC_PARTY_NAME = 2001;
    static constexpr int IDC_PARTY_NUMBER = 2002;
    static constexpr int IDC_NUMBER = 2003;
    static constexpr int IDC_MERGE = 2004;

    /// `mergeOffered`: whether the starting call can be merged with a held
    /// call into a conference (the main window judges it).
    CSetupConfDlg(QWidget *parent, CTapiCall *call, bool mergeOffered);

    /// After IDOK: 1 to merge the existing calls, 0 to dial a new party.
    int GetMerge() const { return merge_; }
    /// After IDOK: the number to dial; empty when merging.
    const QString &GetNumber() const { return number_; }

protected:
    void OnInitDialog() override;

private:
    /// Merging needs no number: the number field is cleared and disabled and
    /// OK enabled. Dialling a party moves the focus to the number field.
    void OnMergeToggle();

    CTapiCall *call_;
    bool mergeOffered_;
    CallParty party_;
    QString number_;
    int merge_ = 0;
};
