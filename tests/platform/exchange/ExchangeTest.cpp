// The exchange on its own: dial strings, the fault table, timers on the
// manual clock, the order events reach the sink, and the call model's
// bookkeeping.
#include <exchange/core/DialString.h>
#include <exchange/Exchange.h>

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>

using namespace exchange;

namespace {

/// Collects delivered events (on the exchange thread).
class Collector : public EventSink {
public:
    void deliver(const std::vector<Event> &events) override
    {
        std::lock_guard lock(mutex);
        all.insert(all.end(), events.begin(), events.end());
    }
    std::vector<Event> take()
    {
        std::lock_guard lock(mutex);
        return std::exchange(all, {});
    }
    std::mutex mutex;
    std::vector<Event> all;
};

class ExchangeTest : public ::testing::Test {
protected:
    ExchangeTest() : ex(Topology::standard(), std::make_unique<ManualClock>()) { ex.setSink(&sink); }
    ~ExchangeTest() override { ex.setSink(nullptr); }

    Collector sink;
    Exchange ex;
};

TEST(DialStringTest, FormattingIsDroppedAndBadCharactersRefused)
{
    DialString d;
    EXPECT_EQ(0, parseDialString(u"+49 (30) 123-45.6", d));
    EXPECT_EQ(u"+4930123456", d.digits);
    EXPECT_FALSE(d.partial);
    EXPECT_EQ(0, parseDialString(u"9W202;", d));
    EXPECT_EQ(u"9202", d.digits);
    EXPECT_TRUE(d.partial);
    EXPECT_EQ(0, parseDialString(u"202|77", d));
    EXPECT_EQ(u"202", d.digits);
    EXPECT_EQ(0, parseDialString(u"*#abcd", d));
    EXPECT_EQ(u"*#ABCD", d.digits);
    EXPECT_EQ(LONG(LINEERR_INVALADDRESS), parseDialString(u"20x", d));
    EXPECT_EQ(LONG(LINEERR_INVALADDRESS), parseDialString(u"1;2", d));
    EXPECT_EQ(LONG(LINEERR_INVALADDRESS), parseDialString(u"1+2", d));
    EXPECT_TRUE(validGenerateDigits(u"0123456789*#ABCD", LINEDIGITMODE_DTMF));
    EXPECT_FALSE(validGenerateDigits(u"*", LINEDIGITMODE_PULSE));
}

TEST(FaultTableTest, RulesOfDifferentKindsCombineAndRunOut)
{
    FaultTable t;
    t.failNext("f", 5, 2);
    t.delayReply("f", Millis(10), 1);
    t.inflateNeededSize("g", 7, 1);
    Fault f = t.take("f");
    ASSERT_TRUE(f.result);
    EXPECT_EQ(5, *f.result);
    EXPECT_EQ(ReplyTiming::Delayed, f.timing);
    f = t.take("f");
    EXPECT_TRUE(f.result);
    EXPECT_EQ(ReplyTiming::Normal, f.timing);
    EXPECT_FALSE(t.take("f").result);
    EXPECT_EQ(0u, t.take("f").extraNeededSize);
    EXPECT_EQ(7u, t.take("g").extraNeededSize);
    EXPECT_EQ(0, t.armed("g"));
    t.dropReply("h", 3);
    t.clear();
    EXPECT_EQ(0, t.armed("h"));
}

TEST_F(ExchangeTest, TimersRunInTimeOrderWhenTheClockIsAdvanced)
{
    std::vector<int> order;
    ex.modify([&](Switchboard &) { return 0; });
    ex.requestCreating(
        {1, Millis(300)}, [](const Switchboard &) { return 0; },
        [&](Switchboard &, uint32_t) { order.push_back(300); });
    ex.requestCreating(
        {2, Millis(100)}, [](const Switchboard &) { return 0; },
        [&](Switchboard &, uint32_t) { order.push_back(100); });
    ex.waitIdle();
    EXPECT_TRUE(order.empty());
    ex.advance(Millis(200));
    EXPECT_EQ(std::vector<int>{100}, order);
    ex.advance(Millis(100));
    EXPECT_EQ((std::vector<int>{100, 300}), order);
    EXPECT_EQ(Millis(300), ex.clock().now());
}

TEST_F(ExchangeTest, ARequestReportsItsReplyBeforeTheStatesOfItsCall)
{
    const LONG r = ex.requestCreating(
        {7, Millis(0)}, [](const Switchboard &b) { return b.calls().checkMakeCall(0, 0, u"202"); },
        [](Switchboard &b, uint32_t id) { b.makeCall(id, 0, 0, u"202", {}); });
    ASSERT_EQ(0, r);
    ex.waitIdle();
    const std::vector<Event> events = sink.take();
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(Event::Kind::RequestDone, events[0].kind);
    EXPECT_EQ(7u, events[0].requestId);
    ASSERT_EQ(1u, events[0].newLegs.size());
    const LegId caller = events[0].newLegs[0];
    std::vector<DWORD> states;
    LegId callee = 0;
    for (const Event &e : events) {
        if (e.kind == Event::Kind::LegState && e.leg == caller)
            states.push_back(e.state);
        if (e.kind == Event::Kind::LegAppeared)
            callee = e.leg;
    }
    EXPECT_EQ((std::vector<DWORD>{LINECALLSTATE_DIALTONE, LINECALLSTATE_DIALING, LINECALLSTATE_PROCEEDING,
                                  LINECALLSTATE_RINGBACK}),
              states);
    EXPECT_NE(0u, callee);
    EXPECT_EQ(DWORD(LINECALLSTATE_OFFERING), ex.legState(callee));

    // A failed second check answers with the code and changes nothing.
    ex.modify([&](Switchboard &b) { b.calls().setLineDevStatus(0, LINEDEVSTATUSFLAGS_INSERVICE, false); });
    EXPECT_EQ(
        LONG(LINEERR_RESOURCEUNAVAIL),
        ex.request(
            {8, Millis(0)}, [](const Switchboard &b) { return b.calls().checkMakeCall(0, 0, u"1"); }, [](Switchboard &) {}));
}

TEST_F(ExchangeTest, UnreferencedIdleLegsAreForgotten)
{
    const LegId leg = ex.incomingCall(0, 0, u"5551111", u"Someone");
    ASSERT_NE(0u, leg);
    EXPECT_EQ(1u, ex.legsOn(0).size());
    EXPECT_EQ(0u, ex.incomingCall(0, 3, u"1", u""));
    EXPECT_EQ(0u, ex.incomingCall(9, 0, u"1", u""));
    ex.modify([&](Switchboard &b) {
        b.retain(leg);
        b.release(leg, true); // the sole owner leaves: the call is dropped
    });
    ex.waitIdle();
    EXPECT_EQ(0u, ex.legState(leg));
    EXPECT_TRUE(ex.legsOn(0).empty());
}

TEST(ExchangeCleanUpTest, ACallRaisedDuringADeliveryLivesUntilItsOwnDeliveryTellsOfIt)
{
    // Holds the first delivery until the test has raised and hung up an
    // incoming call; notes whether each announced call still exists when
    // the runtime hears of it.
    struct Gate : EventSink {
        Exchange *ex = nullptr;
        std::mutex mutex;
        std::condition_variable cv;
        bool inside = false, open = false;
        std::vector<DWORD> announcedStates;
        void deliver(const std::vector<Event> &events) override
        {
            for (const Event &e : events)
                if (e.kind == Event::Kind::LegAppeared)
                    announcedStates.push_back(ex->legState(e.leg));
            std::unique_lock lock(mutex);
            inside = true;
            cv.notify_all();
            cv.wait(lock, [&] { return open; });
        }
    } gate;
    Exchange ex(Topology::standard(), std::make_unique<ManualClock>());
    gate.ex = &ex;
    ex.setSink(&gate);
    ex.raiseLineState(0, LINEDEVSTATE_OTHER);
    {
        std::unique_lock lock(gate.mutex);
        gate.cv.wait(lock, [&] { return gate.inside; });
    }
    const LegId leg = ex.incomingCall(0, 0, u"5551111", u"Someone");
    ASSERT_EQ(0, ex.remoteHangUp(leg));
    {
        std::lock_guard lock(gate.mutex);
        gate.open = true;
    }
    gate.cv.notify_all();
    ex.waitIdle();
    EXPECT_EQ(std::vector<DWORD>{LINECALLSTATE_DISCONNECTED}, gate.announcedStates);
    EXPECT_EQ(0u, ex.legState(leg)); // nobody took it: forgotten after that delivery
    ex.setSink(nullptr);
}

TEST_F(ExchangeTest, PhoneDisplayWritesAtItsPositionAndStaysWithinTheDisplay)
{
    ex.modify([&](Switchboard &b) {
        Phone &p = *b.core().phone(0);
        std::vector<Event> out;
        EXPECT_EQ(0, p.setDisplay(0, 38, "ABCDEFG", &out));
        EXPECT_EQ(LONG(PHONEERR_INVALPARAM), p.setDisplay(2, 0, "x", &out));
        EXPECT_EQ(LONG(PHONEERR_INVALPARAM), p.setDisplay(0, 40, "x", &out));
        EXPECT_EQ(0, p.setDisplay(1, 39, std::string(500, 'z'), &out));
        const std::string text = p.displayText();
        EXPECT_EQ(80u, text.size());
        EXPECT_EQ("ABCDEFG", text.substr(38, 7));
        EXPECT_EQ('z', text.back());
        return 0;
    });
}

} // namespace

namespace {

TEST_F(ExchangeTest, DevicesCanChangeWhileTheExchangeRuns)
{
    ASSERT_TRUE(ex.changeLine(1, [](LineConfig &c) {
        c.name = u"Reception";
        c.addresses[0].caps.dwMaxNumActiveCalls = 2;
    }));
    ASSERT_TRUE(ex.changePhone(0, [](PhoneConfig &c) {
        c.buttons.resize(2);
        c.caps.dwDisplayNumRows = 1;
    }));
    EXPECT_FALSE(ex.changeLine(99, [](LineConfig &) {}));
    ex.waitIdle();
    const std::vector<Event> events = sink.take();
    ASSERT_EQ(3u, events.size());
    EXPECT_EQ(DWORD(LINEDEVSTATE_CAPSCHANGE), events[0].state);
    EXPECT_EQ(DWORD(LINEADDRESSSTATE_CAPSCHANGE), events[1].state);
    EXPECT_EQ(DWORD(PHONESTATE_CAPSCHANGE), events[2].state);
    ex.inspect([](const Switchboard &b) {
        EXPECT_EQ(u"Reception", b.line(1)->config().name);
        EXPECT_EQ(2u, b.phone(0)->buttonCount());
        EXPECT_EQ(13u, b.phone(0)->displayText().size());
        return 0;
    });
}

} // namespace

namespace {

// An address may allow 0xFFFFFFFF active calls ("no limit"); added to the
// held calls it once wrapped round, and two calls made the address busy.
TEST(ExchangeLimitTest, AnAddressWithoutACallLimitIsNeverFull)
{
    Topology t = Topology::standard();
    t.lines[0].addresses[0].caps.dwMaxNumActiveCalls = 0xFFFFFFFF;
    Collector sink;
    Exchange ex(std::move(t), std::make_unique<ManualClock>());
    ex.setSink(&sink);
    ASSERT_NE(0u, ex.incomingCall(0, 0, u"5551111", u"First"));
    ASSERT_NE(0u, ex.incomingCall(0, 0, u"5551112", u"Second"));
    ASSERT_EQ(0, ex.requestCreating(
                     {7, Millis(0)}, [](const Switchboard &b) { return b.calls().checkMakeCall(1, 0, u"201"); },
                     [](Switchboard &b, uint32_t id) { b.makeCall(id, 1, 0, u"201", {}); }));
    ex.waitIdle();
    ASSERT_EQ(1u, ex.legsOn(1).size());
    EXPECT_EQ(DWORD(LINECALLSTATE_RINGBACK), ex.legState(ex.legsOn(1)[0]));
    EXPECT_EQ(3u, ex.legsOn(0).size());
    ex.setSink(nullptr);
}

} // namespace
