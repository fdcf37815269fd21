// Events that keep arriving while the user-interface thread waits for a reply:
// the event thread creates and updates call objects on another line while the
// waiting thread reads them from its message pump, and the wait still ends with
// its own reply. Run under ThreadSanitizer with the other threaded tests.
#include "OfficeFixture.h"

#include <atomic>
#include <chrono>
#include <thread>

namespace office {
namespace {

using namespace std::chrono_literals;
using EventsWhileWaitingTest = OfficeTest;

constexpr int kCallers = 5;

TEST_F(EventsWhileWaitingTest, CallsRingElsewhereWhileAMakeCallWaitsForItsReply)
{
    Faults().delayReply("lineMakeCallW", 1s);

    // The waiting thread looks at Carl's calls each time its wait pumps, as the window would.
    std::atomic<int> pumps{0};
    std::atomic<DWORD> seen{0};
    CTapiLine *carlLine = lines[kCarl];
    SetTapiMessagePump([&] {
        DWORD offered = 0;
        for (DWORD i = 0; i < carlLine->GetCallCount(); ++i) {
            CTapiCall *call = carlLine->GetCall(i);
            if (call && call->GetCallState() != LINECALLSTATE_UNKNOWN && !call->GetCallerName().empty())
                ++offered;
        }
        seen = std::max(seen.load(), offered);
        ++pumps;
        return false;
    });

    // The outside world: callers ring at Carl and some hang up again; then the
    // exchange's time moves on and the held-back reply goes out.
    std::thread world([&] {
        WaitFor([&] { return pumps.load() > 0; });
        for (int i = 0; i < kCallers; ++i) {
            const std::u16string number = u"555000" + std::u16string(1, char16_t(u'0' + i));
            const exchange::LegId leg = Exchange().incomingCall(kCarl, 0, number, u"Caller " + number);
            // A caller who hangs up before the application heard of the call leaves
            // no trace in it, so the hang-up waits for the call object.
            if (i % 2 == 1 && WaitFor([&] { return carlLine->GetCallCount() == DWORD(i + 1); }))
                Exchange().remoteHangUp(leg);
        }
        const int before = pumps.load();
        WaitFor([&] { return pumps.load() > before + 2; });
        Advance(1s);
    });

    CTapiCall *anna = nullptr;
    const DWORD outcome = lines[kAnna]->MakeCall(&anna, TAPI_TEXT("5550105"));
    world.join();
    SetTapiMessagePump(nullptr);
    ASSERT_EQ(outcome, 0u);
    ASSERT_TRUE(Lists(kAnna, anna));
    EXPECT_GT(pumps.load(), 0);

    // Every caller has its own call object on Carl's line, in the state the exchange left it.
    ASSERT_TRUE(WaitFor([&] { return carlLine->GetCallCount() == kCallers; }));
    for (int i = 0; i < kCallers; ++i) {
        CTapiCall *call = carlLine->GetCall(static_cast<DWORD>(i));
        const DWORD state = i % 2 == 1 ? LINECALLSTATE_DISCONNECTED : LINECALLSTATE_OFFERING;
        EXPECT_TRUE(Reaches(call, state)) << "caller " << i;
        EXPECT_EQ(Narrow(call->GetCallerNumber()), "555000" + std::to_string(i));
        EXPECT_TRUE(AnnouncedBefore(2, call, "OnStateChange")) << "caller " << i;
    }
    EXPECT_LE(seen.load(), DWORD{kCallers});

    // Anna's own call carries on after the reply.
    ASSERT_TRUE(Reaches(anna, LINECALLSTATE_CONNECTED));
}

} // namespace
} // namespace office
