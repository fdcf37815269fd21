// The main window: choose a line device and address, open lines, watch the
// calls of the selected line live, and drive every call command. It lives for
// the whole run; the event bridge reaches it through private window messages.
#pragma once

#include <window/Dialog.h>

#include "TapiPlatform.h"

#include <QFont>
#include <QPointer>
#include <QString>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <vector>

class CCallDisplay;
class CCallList;
class CLineSession;
class CTapiAddress;
class CTapiCall;
class CTapiLine;

/// User-interface thread only. Window code takes no locks: events arrive as
/// messages, and the objects they carry stay valid while a sent message is handled.
/// The window keeps a reference to every call it lists or keeps for release
/// (CCallList), so the plain pointers it hands out stay valid on the
/// user-interface thread until the call leaves the list. The call handling is
/// split by state into the call list, the call display and the line session,
/// which this window owns and wires together.
class CPhoneDlg : public win::Dialog {
public:
    /// Builds the window; `preferredLine` names the line device to select and
    /// open at start-up (exact, case-sensitive match; empty for none).
    explicit CPhoneDlg(const QString &preferredLine = {}, QWidget *parent = nullptr);
    ~CPhoneDlg() override;

    // ---- Selection ---------------------------------------------------------

    /// The line of the current device selection, or null.
    CTapiLine *GetSelectedLine() const;
    /// The address of the current address selection, or null.
    CTapiAddress *GetSelectedAddress() const;
    /// The lines this window opened, in the order of opening.
    const std::vector<CTapiLine *> &GetOpenLines() const;

    // ---- Session and devices -----------------------------------------------

    /// Refills the device list (the preferred line is selected and opened on the
    /// first filling only), keeping the selected line selected when it is still listed.
    void FillDeviceList();
    /// The selected line changed: refills the addresses and shows the line open or closed.
    /// A line removed by TAPI is dropped from the list with a message box.
    void OnDeviceChange();
    /// The selected address (or the number) changed: re-reads the address and
    /// re-runs the make-call button rule, Agent and "Max Calls:".
    void OnAddressChange();
    /// Enables Make Call, Pickup and Unpark from the stored address features
    /// (a non-zero `addressFeatures` replaces them) when a number is typed or
    /// Ctrl is held; enables Forward from the line's features.
    void UpdateMakeCallButtons(DWORD addressFeatures);
    /// Shows the selected line as open: caption, line-status boxes, call list.
    void ShowLineOpen();
    /// Shows the selected line as closed and empties the number and the call list.
    void ShowLineClosed();

    // ---- Call list and call display ----------------------------------------

    /// The call at the current index, or null (the index then becomes -1).
    CTapiCall *GetCurrentCall();
    int GetCurrentCallIndex() const;
    /// The calls listed, all of the selected line, in the order they were added.
    const std::vector<CTapiCall *> &GetCalls() const;
    /// Lists a call of the selected line and shows it; an idle call is released
    /// instead (at once, or when release is no longer deferred). Calls of other
    /// lines and calls their line has already let go are ignored.
    void AddCall(CTapiCall *call);
    /// Takes an idle call out of the list, shows entry 0 (or clears the display),
    /// and deallocates the call, or keeps it for later while release is deferred.
    void RemoveCall(CTapiCall *call);
    /// Shows the call at `index` and makes it current; an index outside the list
    /// shows the current call again, or nothing when there is none.
    void ShowCall(int index);
    /// Empties the call display and disables every call button.
    void ClearCallDisplay();
    /// The button rule: enables each call command whose features are present
    /// (all zero disables them all) and sets the Hold caption.
    void UpdateCallButtons(DWORD features, DWORD features2, DWORD transferModes);
    /// Re-reads the call's LINECALLINFO and LINECALLSTATUS and re-evaluates
    /// "U&ser Info", "Call &Data", "QOS Info" and "ISDN Info" (after their windows close).
    void UpdateDetailButtons(CTapiCall *call);
    /// While release is deferred, calls leaving the list stay allocated until
    /// `EndDeferredRelease`, which deallocates them.
    void BeginDeferredRelease();
    void EndDeferredRelease();
    bool IsReleaseDeferred() const;

    // ---- Windows the commands open -----------------------------------------

    /// The feature list text of the call shown last (empty when none).
    const tapi_string &GetFeaturesText() const;
    /// Attaches the modeless call features window: every show-call and clearing
    /// of the display hands `setText` the feature list text while the window
    /// exists. The main window destroys it when it is destroyed itself.
    void AttachFeaturesWindow(win::Dialog *window, std::function<void(const tapi_string &)> setText);
    win::Dialog *GetFeaturesWindow() const;
    /// While the call forwarding window is open: called after every address change
    /// to rebuild its list. An empty function detaches it.
    void SetForwardListRefresh(std::function<void()> refresh) { forwardRefresh_ = std::move(refresh); }
    /// Modeless agent state windows by address; agent-status events are posted
    /// on to them, and the main window deletes those left when it is destroyed.
    std::map<CTapiAddress *, QPointer<win::Dialog>> &GetAgentWindows() { return agentWindows_; }

    // ---- Command handlers (PhoneDlgCommands.cpp) ---------------------------
    // Each runs on a click of its button.

    void OnMakeCall();        ///< "Ma&ke Call"
    void OnPickup();          ///< "&Pickup..."
    void OnUnpark();          ///< "&Unpark..."
    void OnAccept();          ///< "Acc&ept"
    void OnAnswer();          ///< "A&nswer"
    void OnHangUp();          ///< "Han&g Up"
    void OnHold();            ///< "Ho&ld" / "Unho&ld"
    void OnSwap();            ///< "&Swap"
    void OnDialDigits();      ///< "Dial D&igits..."
    void OnRedirect();        ///< "&Redirect..."
    void OnPark();            ///< "&Park..."
    void OnComplete();        ///< "C&omplete..."
    void OnMerge();           ///< "&Merge"
    void OnConference();      ///< "Conference": completes a transfer as a conference
    void OnAddParty();        ///< "Add Party"
    void OnDropParty();       ///< "Drop Party"
    void OnAppSpecific();     ///< "Appspecific..."
    void OnForward();         ///< "Forward"
    void OnTransfer();        ///< "&Transfer..."
    void OnSetupConference(); ///< "Con&ference...": sets up a conference
    void OnUserInfo();        ///< "U&ser Info"
    void OnCallData();        ///< "Call &Data"
    void OnQosInfo();         ///< "QOS Info"
    void OnIsdnInfo();        ///< "ISDN Info"
    void OnConfList();        ///< "Conf &List..."
    void OnFeatures();        ///< "Features"
    void OnAgent();           ///< "&Agent"
    void OnPhone();           ///< "P&hone"

protected:
    void OnInitDialog() override;
    /// Asks whether to wait for pending requests, cancels them on No, and ends with IDCANCEL.
    void OnClose() override;
    /// Deletes the agent windows and the call features window.
    void OnDestroy() override;
    /// Once a second: the time in state of the current call, and clearing old reports.
    void OnTimer(int id) override;
    void OnSysCommand(int commandId) override;
    /// A change of the Ctrl key re-runs the make-call button rule.
    void OnKeyMessage(bool pressed, int key) override;

private:
    // Construction (PhoneDlgLayout.cpp).
    void CreateControls();
    void LayOutControls();
    void BindFields();
    void BindHandlers();

    // Devices, addresses and the session button (PhoneDlgDevices.cpp).
    void OnSession();
    void OnConfigure();
    void OnLineSpin(int step);
    void RefillAddressList(CTapiLine *line);
    /// Enables "&Agent" when TAPI answered that the address supports agents.
    void UpdateAgentButton(CTapiAddress *address, bool statusRead);
    void ShowLineCalls(CTapiLine *line);

    // Call list and display (PhoneDlgCalls.cpp).
    void OnCallSpin(int step);
    void DeallocateCall(CTapiCall &call);

    // Events (PhoneDlgEvents.cpp).
    void BindEventMessages();
    void OnCallChanged(CTapiCall *call);
    void OnAddressStateChanged(CTapiAddress *address, DWORD states);
    void OnLineStateChanged(CTapiLine *line);
    void ForgetCallsOf(CTapiLine *line);
    void OnLineClosed(CTapiLine *line);
    void OnAgentStatusChanged(win::WPARAM address, win::LPARAM states);
    void FlashControl(int id);
    void ShowAboutBox();

    // Conference set-up (PhoneDlgTransfer.cpp).
    void MergeIntoConference(CTapiLine &line, const std::shared_ptr<CTapiCall> &first);
    void DialIntoConference(const std::shared_ptr<CTapiCall> &first, const QString &number);

    // Selection.
    QString preferredLine_; // used by the first filling of the device list only
    QString maxCalls_ = QStringLiteral("0");
    QString number_;
    DWORD addressFeatures_ = 0; // the last non-zero dwAddressFeatures seen
    bool ctrlDown_ = false;     // the Ctrl key as last seen
    CTapiAddress *agentAnswerPending_ = nullptr; // asked about agents, no reply yet

    // The parts the call handling is split into (made by BindFields).
    std::unique_ptr<CLineSession> session_;
    std::unique_ptr<CCallList> callList_;
    std::unique_ptr<CCallDisplay> display_;

    // Flashing: the stock and bold fonts, and the control flashed last.
    QFont stockFont_;
    QFont boldFont_;
    int lastFlashId_ = 0;
    std::uint32_t lastFlashEnd_ = 0;

    // Windows of other commands.
    std::function<void()> forwardRefresh_;
    std::map<CTapiAddress *, QPointer<win::Dialog>> agentWindows_;
};
