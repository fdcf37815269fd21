// Line, call and phone subclasses that log their hooks, and a tick the test
// drives: shared by the object-layer tests over the scripted TAPI and over the
// simulated exchange.
#ifndef DIALWERK_TESTS_TAPI_LOGGINGOBJECTS_H
#define DIALWERK_TESTS_TAPI_LOGGINGOBJECTS_H

#include "CTapiCall.h"
#include "CTapiLine.h"
#include "CTapiPhone.h"
#include "TapiClock.h"
#include "TapiPump.h"

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

/// Narrow text of a wide string, for readable assertions.
std::string Narrow(const tapi_string &text);

#endif
