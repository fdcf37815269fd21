// Stays on screen while a consultation call is in progress: shows the call
// being transferred (or conferenced) and the consultation call with their
// parties, their states and the time since the window opened, and lets the
// user complete, cancel the consultation, or just close the window.
#pragma once

#include <ui/dialogs/CallParty.h>
#include <window/Dialog.h>

#include "TapiPlatform.h"

#include <QString>

#include <cstdint>

class CTapiCall;
class CTapiLine;

/// A modal dialog on the user-interface thread; it issues no request itself.
/// The calls are not owned. The main window keeps them allocated while the
/// dialog runs (deferred release); a call the line no longer lists (its line
/// closed meanwhile) is no longer touched, and its block keeps its last texts.
class CCompleteTransferDlg : public win::Dialog {
public:
    static constexpr int IDC_STATE1 = 2001;
    static constexpr int IDC_NAME1 = 2002;
    static constexpr int IDC_NUMBER1 = 2003;
    static constexpr int IDC_STATE2 = 2004;
    static constexpr int IDC_NAME2 = 2005;
    static constexpr int IDC_NUMBER2 = 2006;
    static constexpr int IDC_CONFERENCE = 2007;
    static constexpr int IDC_ELAPSED = 2008;
    /// "Close Window": ends the dialog with this result, leaving both calls as they are.
    static constexpr int IDC_CLOSE_WINDOW = 2052;
    static constexpr int kTimerId = 100;
    static constexpr std::uint32_t kTimerPeriodMs = 1000;

    /// `conferenceMode` 1: the consultation call is to join a conference, 0: a
    /// transfer. The elapsed time counts from this construction.
    CCompleteTransferDlg(QWidget *parent, CTapiCall *firstCall, CTapiCall *consultCall, int conferenceMode);

    /// After IDOK in transfer mode: 1 to complete the transfer as a
    /// conference, 0 as a plain transfer. Always 1 in conference mode.
    int GetConference() const { return conference_; }

protected:
    void OnInitDialog() override;
    /// Once a second: the elapsed time and both calls' states.
    void OnTimer(int id) override;
    /// Closes with IDOK only when the calls can be completed now; otherwise
    /// says why in the main window's status line and stays open.
    void OnOK() override;

private:
    struct Block {
        explicit Block(CTapiCall *watched);
        CTapiCall *call;
        CTapiLine *line; // the line that lists the call while it lives
        HCALL handle;
        QString state;
        CallParty party;
    };

    /// The block's call while its line still lists it, else null.
    static CTapiCall *Live(const Block &block);
    static DWORD Features(const Block &block);
    void ShowParty(Block &block);
    void RefreshStates();
    /// Transfer mode: what the first call's address allows settles the check box.
    void ApplyTransferModes();

    Block first_;
    Block consult_;
    const bool conferenceMode_;
    int conference_;
    const std::int64_t startSeconds_;
    QString elapsed_ = QStringLiteral("00:00:00");
};
