// The application's phone: forwards its state changes to the phone features
// window while one is attached to it.
#pragma once

#include "CTapiPhone.h"

#include <window/Types.h>

#include <atomic>

class CMyPhone : public CTapiPhone {
public:
    static const CTapiClass<CTapiPhone> classRecord;

    /// Sends WM_TAPI_PHONECHANGED (states, detail) to the phone window, when one is attached.
    void OnStateChange(DWORD phoneState, DWORD stateDetails) override;

    /// The phone features window showing this phone, or null. Set by the main
    /// window when it opens that window and cleared by the window when it
    /// closes (user-interface thread); read by the phone event thread.
    win::WindowHandle GetPhoneWindow() const { return phoneWindow_.load(); }
    void SetPhoneWindow(win::WindowHandle window) { phoneWindow_.store(window); }

private:
    std::atomic<win::WindowHandle> phoneWindow_{win::WindowHandle::Null};
};
