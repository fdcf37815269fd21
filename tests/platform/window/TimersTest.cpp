// Window timers and the tick count on the manual clock (and once on the real one).
#include "WindowTestSupport.h"

#include <window/Clock.h>

#include <string>
#include <vector>

namespace win::test {
namespace {

// A modeless window that logs each tick with the tick count it saw.
class TickingDialog : public Dialog {
public:
    explicit TickingDialog(std::vector<std::string> &log, const char *name) : log_(log), name_(name) { Create(); }
    ~TickingDialog() override { DestroyWindow(); }

protected:
    void OnTimer(int id) override
    {
        log_.push_back(std::string(name_) + " " + std::to_string(id) + " @" + std::to_string(GetTickCount()));
    }

private:
    std::vector<std::string> &log_;
    const char *name_;
};

using TimersTest = WindowTest;

TEST_F(TimersTest, TimerTicksOncePerPeriodAtItsDueTime)
{
    std::vector<std::string> log;
    TickingDialog dialog(log, "main");
    dialog.SetTimer(100, 1000);

    Clock::Advance(999);
    EXPECT_TRUE(log.empty());
    Clock::Advance(1);
    Clock::Advance(2500);
    EXPECT_EQ(log, (std::vector<std::string>{"main 100 @1000", "main 100 @2000", "main 100 @3000"}));
    EXPECT_EQ(GetTickCount(), 3500u);
}

TEST_F(TimersTest, TimersOfSeveralWindowsFireInTimeOrder)
{
    std::vector<std::string> log;
    TickingDialog main(log, "main");
    TickingDialog consult(log, "consult");
    main.SetTimer(100, 1000);
    Clock::Advance(400);
    consult.SetTimer(100, 1000);
    main.SetTimer(7, 700);

    Clock::Advance(1500);
    EXPECT_EQ(log, (std::vector<std::string>{"main 100 @1000", "main 7 @1100", "consult 100 @1400", "main 7 @1800"}));
}

TEST_F(TimersTest, KilledRestartedAndDestroyedTimersStop)
{
    std::vector<std::string> log;
    {
        TickingDialog dialog(log, "w");
        dialog.SetTimer(1, 100);
        Clock::Advance(150);
        EXPECT_TRUE(dialog.KillTimer(1));
        EXPECT_FALSE(dialog.KillTimer(1));
        Clock::Advance(1000);
        EXPECT_EQ(log.size(), 1u);

        // Setting an existing timer again restarts its period.
        dialog.SetTimer(2, 100);
        Clock::Advance(90);
        dialog.SetTimer(2, 100);
        Clock::Advance(90);
        EXPECT_EQ(log.size(), 1u);
        Clock::Advance(10);
        EXPECT_EQ(log.back(), "w 2 @1340");

        dialog.DestroyWindow();
        Clock::Advance(1000);
        EXPECT_EQ(log.size(), 2u) << "timers end with the window";
    }
    Clock::Advance(1000);
    EXPECT_EQ(log.size(), 2u);
}

TEST_F(TimersTest, HandlerMayKillItsOwnTimerOrDestroyItsWindow)
{
    struct Once : Dialog {
        int ticks = 0;
        void OnTimer(int id) override
        {
            ++ticks;
            KillTimer(id);
            DestroyWindow();
        }
    } dialog;
    dialog.Create();
    dialog.SetTimer(5, 10);
    Clock::Advance(100);
    EXPECT_EQ(dialog.ticks, 1);
    EXPECT_FALSE(dialog.IsCreated());
}

TEST_F(TimersTest, TickCountWrapsAndTimersCarryOn)
{
    win::testing::ResetPlatform(0xFFFFFC00u);
    std::vector<std::string> log;
    TickingDialog dialog(log, "w");
    dialog.SetTimer(100, 1000);
    Clock::Advance(2000);
    EXPECT_EQ(log, (std::vector<std::string>{"w 100 @4294967272", "w 100 @976"}));
    EXPECT_EQ(GetTickCount(), 976u);
}

TEST_F(TimersTest, SleepMovesManualTimeWithoutTicksAndOverdueTicksCollapse)
{
    std::vector<std::string> log;
    TickingDialog dialog(log, "w");
    dialog.SetTimer(100, 1000);

    Sleep(2500);
    EXPECT_EQ(GetTickCount(), 2500u);
    EXPECT_TRUE(log.empty()) << "a sleeping window thread handles no timer";

    Clock::Advance(0);
    Clock::Advance(1000);
    EXPECT_EQ(log, (std::vector<std::string>{"w 100 @2500", "w 100 @3500"}));
}

TEST_F(TimersTest, RealClockTimerTicksWhileTheThreadPumps)
{
    Clock::SetReal();
    std::vector<std::string> log;
    TickingDialog dialog(log, "w");
    dialog.SetTimer(100, 10);
    EXPECT_TRUE(win::testing::PumpUntil([&] { return log.size() >= 2; }));
    Clock::Advance(100000);
    EXPECT_EQ(dialog.KillTimer(100), true);
}

TEST_F(TimersTest, SwitchingToTheManualClockReArmsRunningTimers)
{
    Clock::SetReal();
    std::vector<std::string> log;
    TickingDialog dialog(log, "w");
    dialog.SetTimer(100, 1000);
    Clock::SetManual(50);
    Clock::Advance(999);
    EXPECT_TRUE(log.empty());
    Clock::Advance(1);
    EXPECT_EQ(log, std::vector<std::string>{"w 100 @1050"});
}

} // namespace
} // namespace win::test
