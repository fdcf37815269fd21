// Shows and changes the ACD agent of one address: the groups it is logged in
// to, its current and next state and its activity, with buttons to log in to
// groups and to switch to ready, call work, not ready or logged off.
#pragma once

#include <window/Dialog.h>

#include "CTapiAddress.h"
#include "TapiPlatform.h"

#include <QString>

#include <functional>
#include <vector>

/// A modeless window on the user-interface thread, one per address. It exists
/// from construction until the user closes it, then deletes itself; the owner
/// (the main window) may delete it earlier, which closes it without telling.
/// The address is not owned; it outlives the window (the session keeps device
/// objects until shutdown). Agent events reach it as WM_TAPI_AGENTCHANGED
/// (0x80C8) posted by the main window: wParam the address, lParam the
/// LINEAGENTSTATUS_ bits; events of other addresses are ignored.
class CAgentStateDlg final : public win::Dialog {
public:
    static constexpr int IDC_GROUP_LIST = 1004;
    static constexpr int IDC_GROUP1 = 1005;
    static constexpr int IDC_CURRENT_STATE = 1006;
    static constexpr int IDC_NEXT_STATE = 1007;
    static constexpr int IDC_GROUP2 = 1008;
    static constexpr int IDC_READY = 2011;
    static constexpr int IDC_NOT_READY = 2012;
    static constexpr int IDC_LOG_OUT = 2013;
    static constexpr int IDC_SET_GROUPS = 2014;
    static constexpr int IDC_CALL_WORK = 2015;
    static constexpr int IDC_UPDATE = 2016;
    static constexpr int IDC_ACTIVITY = 2040;

    /// Told, once, when the user closes the window, so the owner forgets it.
    using ClosedHandler = std::function<void(CTapiAddress *)>;

    /// Creates and shows the window at once.
    CAgentStateDlg(QWidget *parent, CTapiAddress *address, ClosedHandler onClosed = {});

    CTapiAddress *GetAddress() const { return address_; }

    /// The text of a LINEAGENTSTATE_ value ("Unknown" for anything unlisted).
    static QString StateName(DWORD state);
    /// A group's name, or its four identifier words in hexadecimal when it has none.
    static QString GroupText(const CTapiAgentGroupEntry &group);
    /// An activity's name, or "Activity 0x..." when it has none.
    static QString ActivityText(const CTapiAgentActivityEntry &activity);

protected:
    void OnInitDialog() override;
    /// The close box and Esc: tell the owner, then destroy and delete the window.
    void OnClose() override;
    void OnCancel() override { OnClose(); }
    void PostNcDestroy() override { deleteLater(); }

private:
    void OnAgentChanged(DWORD changes);
    void RefillActivities();
    void RefillGroups();
    void RefreshStatus();
    void ApplyEnabling(const LINEAGENTSTATUS *status);
    /// Requests `state` now when the agent may take it, else as the next state.
    void OnStateButton(DWORD state);
    void OnSetGroups();
    void OnActivityChange();

    CTapiAddress *address_;
    ClosedHandler onClosed_;
    std::vector<CTapiAgentGroupEntry> groups_; // the group list's rows point here by index
    QString group1_;
    QString group2_;
    QString currentState_;
    QString nextState_;
};
