// Every fault the exchange can inject, and the record of TAPI calls.
#include "TapiFixture.h"

using namespace tapitest;

namespace {

class FaultTest : public TapiFixture {
protected:
    void SetUp() override
    {
        TapiFixture::SetUp();
        app = lineApp(u"Faulty");
        line = openLine(app, 0);
    }

    HLINEAPP app = 0;
    HLINE line = 0;
};

TEST_F(FaultTest, SynchronousFunctionsFailForTheNextCallsOnly)
{
    ex().faults().failNext("lineGetDevCapsW", LINEERR_NOMEM, 2);
    LINEDEVCAPS caps{};
    caps.dwTotalSize = sizeof caps;
    EXPECT_EQ(LONG(LINEERR_NOMEM), lineGetDevCapsW(app, 0, 0x00030000, 0, &caps));
    EXPECT_EQ(LONG(LINEERR_NOMEM), lineGetDevCapsW(app, 0, 0x00030000, 0, &caps));
    EXPECT_EQ(0, lineGetDevCapsW(app, 0, 0x00030000, 0, &caps));
    EXPECT_EQ(0, ex().faults().armed("lineGetDevCapsW"));

    // An application that retries initialisation while TAPI reinitialises.
    ex().faults().failNext("lineInitializeExW", LINEERR_REINIT, 3);
    HLINEAPP second = 0;
    DWORD devs = 0, version = 0x00030000;
    LINEINITIALIZEEXPARAMS params{};
    params.dwTotalSize = sizeof params;
    params.dwOptions = LINEINITIALIZEEXOPTION_USEEVENT;
    int attempts = 1;
    LONG r;
    while ((r = lineInitializeExW(&second, nullptr, nullptr, u"Retry", &devs, &version, &params)) ==
           LONG(LINEERR_REINIT))
        ++attempts;
    EXPECT_EQ(0, r);
    EXPECT_EQ(4, attempts);
    EXPECT_EQ(0, lineShutdown(second));
}

TEST_F(FaultTest, AsynchronousFunctionsFailInTheirReplyOrAtOnce)
{
    ex().faults().failNext("lineMakeCallW", LINEERR_CALLUNAVAIL);
    HCALL call = 0;
    const LONG id = lineMakeCallW(line, &call, u"202", 0, nullptr);
    EXPECT_EQ(LONG(LINEERR_CALLUNAVAIL), reply(app, id));
    EXPECT_EQ(0u, call);
    EXPECT_TRUE(quiet(app));
    EXPECT_TRUE(ex().legsOn(0).empty());

    ex().faults().failNext("lineMakeCallW", LINEERR_RESOURCEUNAVAIL, 1, false);
    EXPECT_EQ(LONG(LINEERR_RESOURCEUNAVAIL), lineMakeCallW(line, &call, u"202", 0, nullptr));
    EXPECT_TRUE(quiet(app));
}

TEST_F(FaultTest, RepliesCanBeDelayedLostOrEarly)
{
    ex().faults().delayReply("lineMakeCallW", exchange::Millis(1000));
    HCALL call = 0;
    const LONG delayed = lineMakeCallW(line, &call, u"5550102", 0, nullptr);
    ASSERT_GT(delayed, 0);
    EXPECT_TRUE(quiet(app));
    ex().advance(exchange::Millis(999));
    EXPECT_TRUE(quiet(app));
    ex().advance(exchange::Millis(1));
    EXPECT_EQ(0, reply(app, delayed));
    EXPECT_NE(0u, call);
    drain(app);

    ex().faults().dropReply("lineHold");
    ex().remoteAnswer(tapi32::Runtime::instance().legOf(call));
    drain(app);
    EXPECT_GT(lineHold(call), 0);
    ex().advance(exchange::Millis(60000));
    EXPECT_TRUE(quiet(app));
    EXPECT_EQ(DWORD(LINECALLSTATE_CONNECTED), status(call).dwCallState);

    // An early reply is queued before the function returns its identifier;
    // the out-parameter is still written only when the reply is fetched.
    ex().faults().replyBeforeReturn("lineMakeCallW");
    HLINEAPP other = lineApp(u"Other");
    HLINE otherLine = openLine(other, 1);
    HCALL early = 0;
    const LONG id = lineMakeCallW(otherLine, &early, u"201", 0, nullptr);
    EXPECT_EQ(0u, early);
    LINEMESSAGE m{};
    ASSERT_EQ(0, lineGetMessage(other, &m, 0));
    EXPECT_EQ(DWORD(LINE_REPLY), m.dwMessageID);
    EXPECT_EQ(DWORD_PTR(id), m.dwParam1);
    EXPECT_NE(0u, early);
}

TEST_F(FaultTest, NothingIsWrittenForAnApplicationThatIsGone)
{
    HLINEAPP other = lineApp(u"Leaving");
    HLINE otherLine = openLine(other, 1);
    HCALL call = 0;
    ASSERT_GT(lineMakeCallW(otherLine, &call, u"201", 0, nullptr), 0);
    ex().waitIdle();
    EXPECT_EQ(0, lineShutdown(other));
    EXPECT_EQ(0u, call);
    // The call it made is dropped with it.
    drain(app);
    EXPECT_TRUE(ex().legsOn(1).empty());
}

TEST_F(FaultTest, StructuresCanClaimMoreThanTheyFilled)
{
    ex().faults().inflateNeededSize("lineGetDevCapsW", 100);
    std::vector<uint8_t> buffer(4096);
    auto *caps = reinterpret_cast<LINEDEVCAPS *>(buffer.data());
    caps->dwTotalSize = DWORD(buffer.size());
    ASSERT_EQ(0, lineGetDevCapsW(app, 0, 0x00030000, 0, caps));
    EXPECT_EQ(caps->dwUsedSize + 100, caps->dwNeededSize);
    ASSERT_EQ(0, lineGetDevCapsW(app, 0, 0x00030000, 0, caps));
    EXPECT_EQ(caps->dwUsedSize, caps->dwNeededSize);
}

TEST_F(FaultTest, TheRecorderKeepsFunctionsAndTheirKeyArguments)
{
    ex().recorder().clear();
    std::vector<uint8_t> block(680, 0);
    auto *params = reinterpret_cast<LINECALLPARAMS *>(block.data());
    params->dwTotalSize = 680;
    params->dwAddressMode = LINEADDRESSMODE_ADDRESSID;
    HCALL call = 0;
    reply(app, lineMakeCallW(line, &call, u"202", 0, params));
    const auto rec = ex().recorder().last("lineMakeCallW");
    ASSERT_TRUE(rec);
    EXPECT_EQ(line, rec->number("hLine"));
    EXPECT_EQ("202", rec->text("lpszDestAddress"));
    EXPECT_EQ(0u, rec->number("dwCountryCode"));
    EXPECT_EQ(680u, rec->dword("lpCallParams", 0));
    EXPECT_EQ(680u, rec->bytes("lpCallParams").size());
    EXPECT_GT(rec->result, 0);

    // One active call per address: the first must go before the next.
    drain(app);
    EXPECT_EQ(0, reply(app, lineDrop(call, nullptr, 0)));
    drain(app);
    reply(app, lineMakeCallW(line, &call, nullptr, 0, nullptr));
    EXPECT_TRUE(ex().recorder().last("lineMakeCallW")->isNull("lpCallParams"));
    EXPECT_EQ(2u, ex().recorder().count("lineMakeCallW"));
    EXPECT_EQ(0u, ex().recorder().count("lineGetMessage"));
}

} // namespace
