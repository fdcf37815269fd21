#ifndef DIALWERK_TAPI_CTAPIPHONE_H
#define DIALWERK_TAPI_CTAPIPHONE_H

#include "CTapiBuffer.h"
#include "CTapiCache.h"
#include "CTapiObject.h"
#include "CTapiRequest.h"
#include "TapiPlatform.h"

#include <atomic>
#include <string>

class CTapiConnection;

/// A phone button or lamp as GetButtonInfo reports it.
struct CTapiButtonInfo {
    DWORD buttonMode = 0;
    DWORD buttonFunction = 0;
    DWORD buttonState = 0;
    tapi_string buttonText;
};

/// One TAPI phone device: version, cached capabilities and status, open and close,
/// the setters and the button query. Hooks run on the phone event thread;
/// operations on the user-interface thread.
///
/// Lifetime. The session owns its phones and deletes them only at Shutdown, after the
/// phone event thread has ended, so a phone pointer stays valid for the whole session;
/// a removed device only gets its flag. A PHONE_CLOSE counts only for the handle the
/// phone is open with at the time.
class CTapiPhone : public CTapiObject {
public:
    static constexpr DWORD kRemoved = 0x1;
    static constexpr DWORD kNoDevice = 0xFFFFFFFF;

    CTapiPhone();
    /// Closes the phone.
    ~CTapiPhone() override;

    // ---- hooks (phone event thread) ----
    /// The phone has been closed: forgets its handle.
    virtual void OnClose();
    virtual void OnDevSpecific(DWORD device, DWORD param1, DWORD param2, DWORD param3);
    virtual void OnButton(DWORD buttonId, DWORD buttonMode, DWORD buttonState);
    /// Re-reads cached capabilities on PHONESTATE_CAPSCHANGE and a cached status on any other bit.
    virtual void OnStateChange(DWORD phoneState, DWORD stateDetails);
    virtual void OnDeviceCreated();
    virtual void OnDeviceRemoved();
    /// TAPI closed the phone (PHONE_CLOSE); runs OnClose.
    virtual void OnForceClose(DWORD device, DWORD param1, DWORD param2, DWORD param3);

    /// Maps one phone message to its hook; other messages are ignored.
    void OnEvent(DWORD device, DWORD messageId, DWORD param1, DWORD param2, DWORD param3);

    /// Negotiates the version (0x00010003..0x00020001); on error the phone keeps no device identifier.
    DWORD Init(CTapiConnection *connection, DWORD deviceId);
    CTapiConnection *GetConnection() const { return connection_; }
    /// Registers a request made through this phone; it ends with
    /// PHONEERR_INVALPHONEHANDLE when the phone closes before its reply.
    std::shared_ptr<CTapiRequest> AddPhoneRequest(DWORD result);
    DWORD GetDeviceID() const { return deviceId_.load(); }
    DWORD GetAPIVersion() const { return apiVersion_.load(); }
    HPHONE GetPhoneHandle() const { return hPhone_.load(); }
    bool IsOpen() const { return hPhone_.load() != 0; }
    bool IsValid() const { return (flags_.load() & kRemoved) == 0; }
    /// Sets the removed flag (PHONE_REMOVE); it is never cleared.
    void MarkRemoved() { flags_.fetch_or(kRemoved); }

    /// The capabilities (cached), or null. API version 0: the negotiated one.
    TapiStructPtr<PHONECAPS> GetPhoneCaps(DWORD apiVersion = 0, DWORD extVersion = 0, bool force = false);
    /// The status (cached), or null.
    TapiStructPtr<PHONESTATUS> GetPhoneStatus(bool force = false);
    /// The phone name, "Phone unnamed" without one, "Phone unavailable" without capabilities.
    tapi_string GetPhoneName();

    /// Opens the phone (0 at once when already open); on error it stays closed.
    DWORD Open(DWORD privilege, DWORD apiVersion = 0, DWORD extVersion = 0);
    /// Closes the phone and runs OnClose; 0 when not open.
    DWORD Close();
    /// phoneSetStatusMessages; PHONEERR_INVALPHONEHANDLE when not open.
    DWORD SetStatusMessages(DWORD phoneStates, DWORD buttonModes, DWORD buttonStates);
    DWORD ConfigDialog(HWND parent, LPCWSTR deviceClass);

    // Setters: registered and returned without waiting.
    DWORD SetHookSwitch(DWORD hookSwitchDevices, DWORD hookSwitchMode);
    DWORD SetVolume(DWORD hookSwitchDevice, DWORD volume);
    DWORD SetGain(DWORD hookSwitchDevice, DWORD gain);
    DWORD SetRing(DWORD ringMode, DWORD volume);
    /// Shows 8-bit text (see EncodeAnsiText) at row 0, column 0.
    DWORD SetDisplay(const std::string &text);

    /// Mode, function, state and text of a button or lamp; PHONEERR_NOMEM or TAPI's error on failure.
    DWORD GetButtonInfo(DWORD buttonId, CTapiButtonInfo &info);
    /// The lamp's PHONELAMPMODE_ value from the cached status; PHONELAMPMODE_UNKNOWN when not known.
    DWORD GetLampMode(DWORD lampId);
    /// The display text of the cached status: UTF-16, or 8-bit text in the
    /// program's code page (TapiCodePage.h) with every byte of the field kept.
    tapi_string GetDisplay();

private:
    DWORD Register(LONG result);

    std::atomic<DWORD> flags_{0};
    CTapiConnection *connection_ = nullptr;
    std::atomic<HPHONE> hPhone_{0};
    std::atomic<DWORD> deviceId_{kNoDevice};
    std::atomic<DWORD> apiVersion_{0};
    CTapiCache phoneCaps_;
    CTapiCache phoneStatus_;
};

#endif
