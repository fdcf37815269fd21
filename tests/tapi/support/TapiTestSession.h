// Test fixture support for the object layer: a session over the scripted TAPI with
// line, call and phone subclasses that log every hook, and a tick the test drives.
#ifndef DIALWERK_TESTS_TAPI_TAPITESTSESSION_H
#define DIALWERK_TESTS_TAPI_TAPITESTSESSION_H

#include "CTapiCall.h"
#include "CTapiConnection.h"
#include "CTapiLine.h"
#include "CTapiPhone.h"
#include "ScriptedTapi.h"
#include "TapiClock.h"
#include "TapiPump.h"

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

/// A tick the test sets and advances; installed for the lifetime of the object.
class ManualTick {
public:
    ManualTick();
    ~ManualTick();
    static void Set(DWORD tick);
    static void Advance(DWORD milliseconds);

private:
    TapiTickSource previous_;
};

/// Hooks of the logging subclasses, in the order they ran ("line 0 OnNewCall", "call 0x5 OnStateConnected").
class HookLog {
public:
    static void Add(std::string entry);
    static std::vector<std::string> Entries();
    static void Clear();
};

class LoggingLine : public CTapiLine {
public:
    static const CTapiClass<CTapiLine> classRecord;
    void OnNewCall(CTapiCall *call) override;
    void OnDeviceCreated() override;
    void OnDeviceRemoved() override;
    void OnClose() override;
    void OnAddressStateChange(DWORD addressId, DWORD addressState) override;
    void OnLineStatusChange(DWORD lineState, DWORD param2, DWORD param3) override;
};

class LoggingCall : public CTapiCall {
public:
    static const CTapiClass<CTapiCall> classRecord;
    void OnStateChange(DWORD state, DWORD detail, DWORD privilege) override;
    void OnInfoChange(DWORD infoState) override;
    void OnStateConnected(DWORD detail) override;
    void OnStateIdle() override;
    void OnStateOffering(DWORD detail) override;
};

class LoggingPhone : public CTapiPhone {
public:
    static const CTapiClass<CTapiPhone> classRecord;
    void OnStateChange(DWORD phoneState, DWORD details) override;
    void OnDeviceCreated() override;
    void OnDeviceRemoved() override;
    void OnClose() override;
};

/// Base fixture: resets the scripted TAPI, and shuts the session down after each test.
class ScriptedSessionTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    /// Initialises the session with the logging classes; expects success.
    void InitSession(DWORD lines = 2, DWORD phones = 1, DWORD addressesPerLine = 1);
    /// Opens line `id` and returns it.
    CTapiLine *OpenLine(DWORD id);
    /// Lets a LINE_CALLSTATE for `call` arrive on the open line `line` and waits for it to be handled.
    CTapiCall *OfferCall(CTapiLine *line, HCALL call, DWORD state = LINECALLSTATE_OFFERING);

    ScriptedTapi &tapi = Scripted();
    CTapiConnection *session = GetTapiConnection();
};

/// Narrow text of a wide string, for readable assertions.
std::string Narrow(const tapi_string &text);

#endif
