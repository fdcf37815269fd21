// A test fixture over the runtime: a fresh exchange with the standard
// topology and a manual clock, helpers to initialise applications, open
// devices and read messages with a safety time-out (never a sleep).
#ifndef DIALWERK_TESTS_TAPIFIXTURE_H
#define DIALWERK_TESTS_TAPIFIXTURE_H

#include <tapi32/ConfigDialogHandler.h>
#include <tapi32/Runtime.h>

#include <gtest/gtest.h>
#include <tapi.h>

#include <cstring>
#include <string>
#include <vector>

namespace tapitest {

/// A message as the tests compare it.
struct Msg {
    DWORD device = 0;
    DWORD id = 0;
    DWORD_PTR instance = 0;
    DWORD_PTR p1 = 0, p2 = 0, p3 = 0;
};

class TapiFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    exchange::Exchange &ex() { return tapi32::Runtime::instance().exchange(); }
    /// Rebuilds the exchange from a topology (no application may be initialised).
    void useTopology(exchange::Topology topology);

    HLINEAPP lineApp(const char16_t *name = u"Test", DWORD *numDevs = nullptr);
    HPHONEAPP phoneApp(const char16_t *name = u"Test", DWORD *numDevs = nullptr);
    HLINE openLine(HLINEAPP app, DWORD device, DWORD privileges = LINECALLPRIVILEGE_OWNER | LINECALLPRIVILEGE_MONITOR,
                   DWORD mediaModes = LINEMEDIAMODE_INTERACTIVEVOICE, DWORD_PTR instance = 0x1234);
    HPHONE openPhone(HPHONEAPP app, DWORD device, DWORD privilege = PHONEPRIVILEGE_OWNER, DWORD_PTR instance = 0x5678);

    /// The next line message, after the exchange has settled; a failure when
    /// none arrives within a few seconds.
    Msg next(HLINEAPP app);
    Msg nextPhone(HPHONEAPP app);
    /// True when no message is waiting once the exchange is idle.
    bool quiet(HLINEAPP app);
    bool quietPhone(HPHONEAPP app);
    /// Every line message waiting once the exchange is idle.
    std::vector<Msg> drain(HLINEAPP app);
    /// Waits for the LINE_REPLY of a request and answers its result.
    LONG reply(HLINEAPP app, LONG requestId);

    /// Makes a call from line `from` (opened as `fromLine`) to `number` and
    /// answers the caller's call handle once the reply is fetched.
    HCALL makeCall(HLINEAPP app, HLINE line, const char16_t *number, LPLINECALLPARAMS params = nullptr);

    /// Call state and features from lineGetCallStatus.
    LINECALLSTATUS status(HCALL call);
    /// The handle of the call LINE_APPNEWCALL announced to `app` (other
    /// messages drained).
    HCALL announcedCall(HLINEAPP app);
    DWORD state(HCALL call) { return status(call).dwCallState; }
    /// The fixed part of a call's information.
    LINECALLINFO info(HCALL call);
    /// The result of a request whose LINE_REPLY may follow state changes of
    /// other calls (those are skipped).
    LONG replyAfterStates(HLINEAPP app, LONG requestId);

private:
    std::vector<DWORD> lineApps_, phoneApps_;
};

/// Message names for readable failures.
std::string messageName(DWORD id);

} // namespace tapitest

#endif
