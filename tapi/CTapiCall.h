#ifndef DIALWERK_TAPI_CTAPICALL_H
#define DIALWERK_TAPI_CTAPICALL_H

#include "CTapiBuffer.h"
#include "CTapiCache.h"
#include "CTapiEvent.h"
#include "CTapiObject.h"
#include "TapiCallTexts.h"
#include "TapiPlatform.h"

#include <atomic>
#include <functional>
#include <memory>
#include <vector>

class CTapiAddress;
class CTapiCall;
class CTapiLine;

/// A reference that keeps a call object alive.
using CTapiCallPtr = std::shared_ptr<CTapiCall>;

/// One call handle on one line: its last state, its cached call information, every
/// call-control operation, and the hooks of its messages. Hooks run on the line event
/// thread; operations and texts on the user-interface thread. Operations return the
/// TAPI function's own result and do not wait unless stated; asynchronous ones
/// register their request first.
///
/// Lifetime. A call object is shared: it lives while anybody holds a CTapiCallPtr to it,
/// and the holder that lets go last destroys it, on whichever thread that is. The holders:
/// - its line, from the moment the line attaches the handle until the line lets the call
///   go (an idle call whose handle was deallocated, the line closing, the line destroyed);
/// - the line event thread, for as long as a hook of the call runs, which covers every
///   window message a hook sends (a sent message holds the event thread until handled);
/// - an operation that waits (park, the operations that create calls, WaitForFeatures),
///   for the length of the operation;
/// - whoever keeps a call beyond one message: a window that lists calls holds Ref()s.
/// The destructor only drops and deallocates a handle still held; it runs no hook and
/// sends nothing, so it is safe on either thread. A plain pointer is as good as a
/// reference that somebody else holds: it is valid while a message that carries it is
/// handled, and on the user-interface thread until that thread next dispatches messages,
/// when the call may go. Code that keeps a plain pointer across a wait or a dialog holds
/// a Ref(), or checks the call against the line (CTapiLine::IsListed) before using it.
/// Posted messages never carry a call. Hooks of a call the line has let go do not run.
class CTapiCall : public CTapiObject, public std::enable_shared_from_this<CTapiCall> {
public:
    CTapiCall();
    /// Drops the call unless it is idle (nobody waits for that), then deallocates its handle.
    ~CTapiCall() override;

    // ---- hooks (line event thread) ----
    /// Re-reads the call information if it has been read before.
    virtual void OnInfoChange(DWORD infoState);
    /// Stores the state, then calls the one per-state hook of that state (none for
    /// LINECALLSTATE_UNKNOWN or a combination). While the stored state came from a read
    /// of the status, a report that disagrees with the status read now is one that was
    /// queued before that read: it is stale, so the status's state is stored instead and
    /// no per-state hook runs.
    virtual void OnStateChange(DWORD state, DWORD stateDetail, DWORD privilege);
    virtual void OnGatherDigitsComplete(DWORD termination);
    virtual void OnGenerateComplete(DWORD termination);
    virtual void OnDigitDetected(DWORD digit, DWORD digitMode);
    virtual void OnMediaModeChange(DWORD mediaMode);
    virtual void OnToneDetected(DWORD appSpecific);
    virtual void OnStateIdle();
    virtual void OnStateOffering(DWORD detail);
    virtual void OnStateAccepted();
    virtual void OnStateDialtone(DWORD detail);
    virtual void OnStateDialing();
    virtual void OnStateRingback();
    virtual void OnStateBusy(DWORD detail);
    virtual void OnStateConnected(DWORD detail);
    virtual void OnStateProceeding();
    virtual void OnStateOnHold();
    virtual void OnStateOnHoldPendingConference();
    virtual void OnStateOnHoldPendingTransfer();
    virtual void OnStateSpecialInfo(DWORD detail);
    virtual void OnStateDisconnected(DWORD detail);
    virtual void OnStateConferenced();

    // ---- plumbing ----
    /// Stores the owning line and the handle (right after creation by the line).
    void Init(CTapiLine *line, HCALL call);
    HCALL GetCallHandle() const { return hCall_.load(); }
    /// A reference that keeps this object alive; null for an object no line ever attached.
    CTapiCallPtr Ref() { return weak_from_this().lock(); }
    /// Set by the line once its OnNewCall for this object has returned.
    void MarkAnnounced() { announced_.Set(); }
    /// Waits for MarkAnnounced; returns whether it came. The `milliseconds` are one budget
    /// for the object's whole life: once they are spent the gate stays open, so a slow
    /// announcement holds up the event thread once, not once per message.
    bool WaitAnnounced(DWORD milliseconds);
    CTapiLine *GetLine() const { return line_; }
    /// The line's address of the call information's dwAddressID, or null.
    CTapiAddress *GetAddress();
    /// The call information (cached; read on first use or when forced), or null.
    TapiStructPtr<LINECALLINFO> GetCallInfo(bool force = false);
    /// The call status, read afresh; null on failure.
    TapiStructPtr<LINECALLSTATUS> GetCallStatus();
    /// The last reported state; before any report the status's state, or LINECALLSTATE_UNKNOWN.
    /// A state read from the status is newer than the reports queued before the read: those
    /// reports do not take the state back (see OnStateChange).
    DWORD GetCallState();
    /// lineDeallocateCall; on success the handle becomes 0 and the line deletes the call if it
    /// is idle (the caller must then treat this object as gone). 0 when already deallocated.
    DWORD Deallocate();
    /// Whether dwCallFeatures has all of `features`, waiting up to `milliseconds` (pumping
    /// messages) for them to appear.
    bool WaitForFeatures(DWORD features, DWORD milliseconds);

    // ---- call control ----
    /// lineDrop; 0 without calling TAPI when the call is already idle.
    DWORD Drop(LPCSTR userUserInfo = nullptr, DWORD size = 0);
    DWORD Answer(LPCSTR userUserInfo = nullptr, DWORD size = 0);
    DWORD Accept(LPCSTR userUserInfo = nullptr, DWORD size = 0);
    DWORD Hold();
    DWORD Unhold();
    DWORD Dial(LPCWSTR destAddress, DWORD countryCode = 0);
    DWORD BlindTransfer(LPCWSTR destAddress, DWORD countryCode = 0);
    DWORD Redirect(LPCWSTR destAddress, DWORD countryCode = 0);
    DWORD GenerateDigits(DWORD digitMode, LPCWSTR digits, DWORD duration);
    /// lineCompleteCall. The completion id is stored in `completionId` by the first wait
    /// (WaitForReply on the returned request) that returns 0, on the waiting thread.
    DWORD CompleteCall(LPDWORD completionId, DWORD completionMode, DWORD messageId);
    /// lineParkW; waits for the reply and, for a non-directed park, copies the park address
    /// (UTF-16, at most `bufferSize` bytes) into `buffer`, which is cleared first.
    /// Returns lineParkW's own result.
    DWORD Park(DWORD parkMode, LPCWSTR directedAddress, void *buffer, DWORD bufferSize);
    /// lineSetupTransferW; waits and attaches the consultation call. Returns TAPI's own result.
    DWORD SetupTransfer(CTapiCall **consultCall, LPLINECALLPARAMS callParams = nullptr);
    /// lineCompleteTransfer; waits and, for LINETRANSFERMODE_CONFERENCE, attaches the conference call.
    DWORD CompleteTransfer(CTapiCall *consultCall, CTapiCall **confCall, DWORD transferMode);
    /// lineSetupConferenceW; waits and attaches the conference and consultation calls.
    DWORD SetupConference(CTapiCall **confCall, CTapiCall **consultCall, DWORD numParties,
                          LPLINECALLPARAMS callParams = nullptr);
    /// linePrepareAddToConferenceW on this conference call; waits and attaches the consultation call.
    DWORD PrepareAddToConference(CTapiCall **consultCall, LPLINECALLPARAMS callParams = nullptr);
    DWORD AddToConference(CTapiCall *consultCall);
    DWORD RemoveFromConference();
    /// Appends the conference call and its parties (attached to the line); 0 or the error.
    DWORD GetConferenceRelatedCalls(std::vector<CTapiCall *> &calls);
    DWORD SetCallPrivilege(DWORD privilege);
    DWORD SetAppSpecific(DWORD appSpecific);
    DWORD SetCallData(LPVOID data, DWORD size);
    DWORD SetQualityOfService(LPVOID sendingFlowspec, DWORD sendingSize, LPVOID receivingFlowspec, DWORD receivingSize);
    DWORD SendUserUserInfo(LPCSTR userUserInfo, DWORD size);
    DWORD ReleaseUserUserInfo();

    // ---- description texts ----
    /// State name, one blank, state mode text: "Connected (Active)", "Idle ".
    tapi_string GetCallStateText();
    /// The mode of the current state in parentheses, or empty.
    tapi_string GetStateModeText();
    /// One line per call feature, an empty line, one line per second-level feature.
    tapi_string GetCallFeaturesText();
    tapi_string GetCallerNumber();
    tapi_string GetCallerName();
    tapi_string GetCalledNumber();
    tapi_string GetCalledName();
    tapi_string GetConnectedNumber();
    tapi_string GetConnectedName();
    tapi_string GetRedirectingNumber();
    tapi_string GetRedirectingName();
    tapi_string GetRedirectionNumber();
    tapi_string GetRedirectionName();

private:
    friend class CTapiLine;
    /// The state a LINE_CALLSTATE gave the object as it was created, before it is announced.
    void SeedState(DWORD state) { lastState_ = state; }
    /// The line lets the call go: its handle is deallocated (dropped first unless idle).
    void Release();
    DWORD Register(LONG result);
    DWORD DeallocateHandle();
    DWORD IssueCreatingCalls(const std::function<LONG(LPHCALL, LPHCALL)> &issue, CTapiCall **first, CTapiCall **second);
    tapi_string PartyText(TapiCallParty party, TapiPartyItem item);

    CTapiLine *line_ = nullptr;
    std::atomic<HCALL> hCall_{0};
    std::atomic<DWORD> lastState_{0};
    // While lastState_ holds a state read from the status rather than reported by an event:
    // how many more disagreeing reports may still be judged stale (a provider whose status
    // never agrees with its reports must not freeze the state for good).
    std::atomic<int> staleReportsLeft_{0};
    static constexpr int kMaxStaleReports = 32;
    CTapiCache callInfo_;
    CTapiCache callStatus_;
    // Set once, by the thread that created the object, after OnNewCall; waited on by the event thread.
    CTapiEvent announced_;
    // Milliseconds of announcement wait left (event thread only).
    DWORD announceBudget_ = kNoBudgetYet;
    static constexpr DWORD kNoBudgetYet = 0xFFFFFFFF;
};

#endif
