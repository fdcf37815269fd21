#ifndef DIALWERK_TAPI_CTAPILINE_H
#define DIALWERK_TAPI_CTAPILINE_H

#include "CTapiBuffer.h"
#include "CTapiCache.h"
#include "CTapiCall.h"
#include "CTapiObject.h"
#include "CTapiRequest.h"
#include "KTSPVarStruct.h"
#include "TapiPlatform.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

class CTapiAddress;
class CTapiCall;
class CTapiConnection;

/// One TAPI line device: its version, capabilities, addresses and, while open, the
/// calls TAPI reports on it. Hooks run on the line event thread; operations on the
/// user-interface thread. An override of a hook calls the library's version first.
///
/// Lifetime. The session owns its lines and deletes them only at Shutdown, after both
/// event threads have ended, so a line pointer stays valid for the whole session; a
/// removed device only gets its flag. The line's call list holds a reference to each
/// call (see CTapiCall): the line lets a call go when its handle is deallocated while
/// it is idle (RemoveCall), when the line closes (on the user-interface thread by Close,
/// on the event thread by LINE_CLOSE), and when the line is destroyed. Letting go
/// deallocates the handle at once; the object itself goes with its last reference.
/// Every hook of a call runs while the event thread holds a reference to it.
class CTapiLine : public CTapiObject {
public:
    static constexpr DWORD kRemoved = 0x1;
    static constexpr DWORD kNoDevice = 0xFFFFFFFF;

    CTapiLine();
    /// Closes the line and deletes its addresses and calls.
    ~CTapiLine() override;

    // ---- hooks (line event thread) ----
    virtual void OnAddressStateChange(DWORD addressId, DWORD addressState);
    virtual void OnAgentStatusChange(DWORD addressId, DWORD agentStatus, DWORD agentState);
    virtual void OnCallInfoChange(HCALL call, DWORD infoState);
    virtual void OnCallStateChange(HCALL call, DWORD state, DWORD stateDetail, DWORD privilege);
    /// The line has been closed: forgets its handle and deallocates and deletes every call.
    virtual void OnClose();
    virtual void OnDevSpecific(DWORD device, DWORD param1, DWORD param2, DWORD param3);
    virtual void OnDevSpecificFeature(DWORD device, DWORD param1, DWORD param2, DWORD param3);
    virtual void OnGatherDigitsComplete(HCALL call, DWORD termination);
    virtual void OnGenerateComplete(HCALL call, DWORD termination);
    /// Re-reads cached capabilities on LINEDEVSTATE_CAPSCHANGE.
    virtual void OnLineStatusChange(DWORD lineState, DWORD param2, DWORD param3);
    virtual void OnDigitDetected(HCALL call, DWORD digit, DWORD digitMode);
    virtual void OnMediaModeChange(HCALL call, DWORD mediaMode);
    virtual void OnToneDetected(HCALL call, DWORD appSpecific);
    /// A call object was just created for a call handle the line did not know.
    virtual void OnNewCall(CTapiCall *call);
    virtual void OnDeviceCreated();
    virtual void OnDeviceRemoved();
    /// TAPI closed the line (LINE_CLOSE); runs OnClose.
    virtual void OnForceClose(DWORD device, DWORD param1, DWORD param2, DWORD param3);

    /// Maps one line message to its hook; unknown messages are ignored.
    void OnEvent(DWORD device, DWORD messageId, DWORD param1, DWORD param2, DWORD param3);

    // ---- state and identity ----
    CTapiConnection *GetConnection() const { return connection_; }
    /// Registers a request made through this line while it was open with `openAs`
    /// (by default the handle it has now). When the line closes, TAPI never answers
    /// it: it ends then with LINEERR_INVALLINEHANDLE.
    std::shared_ptr<CTapiRequest> AddLineRequest(DWORD result, std::shared_ptr<void> keepAlive = nullptr,
                                                 CTapiRequestKind kind = CTapiRequestKind::User);
    std::shared_ptr<CTapiRequest> AddLineRequestAs(HLINE openAs, DWORD result,
                                                   std::shared_ptr<void> keepAlive = nullptr,
                                                   CTapiRequestKind kind = CTapiRequestKind::User);
    DWORD GetDeviceID() const { return deviceId_.load(); }
    DWORD GetAPIVersion() const { return apiVersion_.load(); }
    HLINE GetLineHandle() const { return hLine_.load(); }
    bool IsOpen() const { return hLine_.load() != 0; }
    bool IsValid() const { return (flags_.load() & kRemoved) == 0; }
    /// Sets the removed flag (LINE_REMOVE); it is never cleared.
    void MarkRemoved() { flags_.fetch_or(kRemoved); }

    // ---- set-up and capabilities ----
    /// Negotiates the version (0x00010003..0x00030001) and creates the addresses.
    /// Returns lineNegotiateAPIVersion's error, leaving the line without a device identifier.
    DWORD Init(CTapiConnection *connection, DWORD deviceId);
    /// The capabilities (cached; fetched on first use or when forced), or null. API version 0: the negotiated one.
    TapiStructPtr<LINEDEVCAPS> GetLineCaps(DWORD apiVersion = 0, DWORD extVersion = 0, bool force = false);
    /// The line name, "Line unnamed" without one, "Line unavailable" without capabilities.
    tapi_string GetLineName();
    /// The line status, read afresh on every call; null on failure (always while closed).
    TapiStructPtr<LINEDEVSTATUS> GetLineStatus();
    /// dwNumAddresses of the capabilities, 0 when they cannot be read.
    DWORD GetAddressCount();
    /// The address object of an address identifier, or null.
    CTapiAddress *GetAddress(DWORD addressId) const;

    // ---- open, close, notifications ----
    /// Opens the line (0 at once when already open); on error the line stays closed.
    DWORD Open(DWORD privileges, DWORD mediaModes, DWORD apiVersion = 0, DWORD extVersion = 0,
               LPLINECALLPARAMS callParams = nullptr);
    /// Closes the line and runs OnClose; 0 when not open; on error the line stays open.
    DWORD Close();
    /// lineSetStatusMessages; LINEERR_INVALLINEHANDLE when the line is not open.
    DWORD SetStatusMessages(DWORD lineStates, DWORD addressStates);
    /// lineSetLineDevStatus, registered and returned without waiting.
    DWORD SetLineDevStatus(DWORD statusToChange, bool on);
    DWORD ConfigDialog(HWND parent, LPCWSTR deviceClass);
    /// lineTranslateAddressW; the caller sizes the output.
    DWORD TranslateAddress(LPCWSTR addressIn, DWORD card, DWORD translateOptions, LPLINETRANSLATEOUTPUT output);

    // ---- calls ----
    /// The call at a list position, or null.
    CTapiCall *GetCall(DWORD index) const;
    /// Number of call objects.
    DWORD GetCallCount() const;
    /// Attaches the calls lineGetNewCalls reports; returns the number of calls afterwards.
    DWORD RefreshCalls();
    /// The listed call with this handle, or null.
    CTapiCall *FindCall(HCALL call) const;
    /// A reference to the listed call with this handle, or null.
    CTapiCallPtr FindCallRef(HCALL call) const;
    /// Whether the line still lists this call object (compares addresses only, so a
    /// pointer to an object already gone may be passed).
    bool IsListed(const CTapiCall *call) const;
    /// The first call whose state has a bit of `stateMask` and, when `featureMask` is
    /// non-zero, whose LINECALLSTATUS dwCallFeatures has a bit of it; null if none.
    CTapiCall *FindCallByState(DWORD stateMask, DWORD featureMask) const;
    /// The call object of a handle, created (and announced by OnNewCall) when new; null for
    /// handle 0, and null when the call was let go while it was being announced.
    CTapiCall *AttachCall(HCALL call);
    /// As AttachCall, and null when the line is no longer open with the handle `openAs`
    /// (it was closed, or closed and opened again, while a request waited): a handle
    /// from an earlier opening is not attached to a later one.
    CTapiCall *AttachCallOpenAs(HCALL call, HLINE openAs);
    /// Lets an idle call go; a call in any other state stays listed.
    void RemoveCall(CTapiCall *call);
    /// Attaches every call lineGetNewCalls reports and appends it to `calls`.
    DWORD GetNewCalls(std::vector<CTapiCall *> &calls);
    /// lineMakeCallW; waits for the reply and attaches the new call. Returns the wait's
    /// outcome (0xFFFFFFFF on time-out); `call` is set only on success.
    DWORD MakeCall(CTapiCall **call, LPCWSTR destAddress, DWORD countryCode = 0, LPLINECALLPARAMS callParams = nullptr);
    /// lineSwapHold: the held one of the two calls (judged by the first call's state) is swapped in.
    /// Registered and returned without waiting.
    DWORD SwapHold(CTapiCall *first, CTapiCall *second);
    /// lineForwardW for one address or, with 0xFFFFFFFF, all addresses; waits for the reply
    /// and finds the consultation call TAPI created (null when none). Returns lineForwardW's own result.
    DWORD Forward(DWORD addressId, LPLINEFORWARDLIST forwardList, DWORD ringsNoAnswer, CTapiCall **consultCall,
                  LPLINECALLPARAMS callParams = nullptr);

    // ---- identification ----
    DWORD GetID(LPVARSTRING deviceId, LPCWSTR deviceClass);
    /// The phone device of this line, or 0xFFFFFFFF when there is none.
    DWORD GetPhoneID();
    /// The device configuration of a device class into `config` (grown as needed, at most 10 calls).
    DWORD GetDevConfig(LPCWSTR deviceClass, KTSPVarStruct<varstring_tag> &config);
    /// The provider's "ktelx/InvalidPasswordState" number; 0 when anything fails.
    int GetInvalidPasswordState();

private:
    void CreateAddresses();
    /// The call object of a handle, created when new; `seedState` (when non-zero) is
    /// stored in a new object before it is announced. A handle a message names
    /// (`fromMessage`) gets an object only when it belongs to the line as it is open now.
    CTapiCallPtr AttachCallRef(HCALL call, DWORD seedState = 0, bool fromMessage = false);
    /// Whether a call handle may belong to this line as it is open now: false when the
    /// line is closed, when TAPI no longer knows the handle, or when the handle's call
    /// information names another line handle (a message left over from an earlier opening).
    bool MayBeCallOfThisOpening(HCALL call) const;
    /// Waits (bounded) until another thread's OnNewCall for `call` has returned, so
    /// that hooks of a call never run before the line announced it; passes `call` on.
    static CTapiCallPtr Announced(CTapiCallPtr call);
    CTapiCallPtr DetachCall(CTapiCall *call);
    /// Deallocates the handles of calls the line lets go; the objects go with their last reference.
    static void ReleaseAll(std::vector<CTapiCallPtr> &calls);

    std::atomic<DWORD> flags_{0};
    CTapiConnection *connection_ = nullptr;
    // Guards addresses_. Taken before callsLock_ (only the destructor nests them).
    mutable std::recursive_mutex addressesLock_;
    std::vector<std::unique_ptr<CTapiAddress>> addresses_;
    // Guards calls_. Re-entrant; only a call's cache locks are taken inside it. No call
    // object is destroyed while it is held (references leave the list first).
    mutable std::recursive_mutex callsLock_;
    std::vector<CTapiCallPtr> calls_;
    std::atomic<HLINE> hLine_{0};
    std::atomic<DWORD> deviceId_{kNoDevice};
    std::atomic<DWORD> apiVersion_{0};
    CTapiCache devCaps_;
    CTapiCache devStatus_;
};

#endif
