// Predictive dialing from the trunk's dialer address (line 4, address 0):
// an answered call passed on to an extension, a call abandoned when nobody
// answers in time, and the parameters the exchange refuses.
#include "CallParamsBlock.h"
#include "TapiFixture.h"

#include <cstddef>

using namespace tapitest;

namespace {

constexpr DWORD kTrunk = 4;

/// A parameter block for a predictive call: the states, the target, the time-out.
class Params : public CallParamsBlock {
public:
    Params() { get()->dwAddressMode = LINEADDRESSMODE_ADDRESSID; }
    Params &passOn(DWORD states, const std::u16string &target)
    {
        get()->dwPredictiveAutoTransferStates = states;
        setText(&LINECALLPARAMS::dwTargetAddressSize, &LINECALLPARAMS::dwTargetAddressOffset, target);
        return *this;
    }
    Params &timeout(DWORD seconds)
    {
        get()->dwNoAnswerTimeout = seconds;
        return *this;
    }
};

class PredictiveDialTest : public TapiFixture {
protected:
    void SetUp() override
    {
        TapiFixture::SetUp();
        dialer = lineApp(u"Dialer");
        trunk = openLine(dialer, kTrunk);
        anna = lineApp(u"Anna");
        annaLine = openLine(anna, 0);
    }

    /// The (state, mode) pairs of the LINE_CALLSTATE messages waiting.
    std::vector<std::pair<DWORD, DWORD>> states(HLINEAPP app)
    {
        std::vector<std::pair<DWORD, DWORD>> out;
        for (const Msg &m : drain(app))
            if (m.id == LINE_CALLSTATE)
                out.emplace_back(DWORD(m.p1), DWORD(m.p2));
        return out;
    }

    exchange::LegId legOf(HCALL call) { return tapi32::Runtime::instance().legOf(call); }

    HLINEAPP dialer = 0, anna = 0;
    HLINE trunk = 0, annaLine = 0;
};

TEST_F(PredictiveDialTest, AnAnsweredCallIsPassedOnToTheTarget)
{
    Params p;
    p.passOn(LINECALLSTATE_CONNECTED, u"201").timeout(30);
    const HCALL call = makeCall(dialer, trunk, u"5550102", p.get());
    EXPECT_EQ(LINECALLSTATE_RINGBACK, states(dialer).back().first);
    EXPECT_EQ(0, ex().remoteAnswer(legOf(call)));
    const auto seen = states(dialer);
    ASSERT_EQ(2u, seen.size());
    EXPECT_EQ(DWORD(LINECALLSTATE_CONNECTED), seen[0].first);
    EXPECT_EQ(DWORD(LINECALLSTATE_IDLE), seen[1].first);

    HCALL offered = 0;
    for (const Msg &m : drain(anna)) {
        if (m.id == LINE_APPNEWCALL)
            offered = HCALL(m.p2);
        if (m.id == LINE_CALLSTATE) {
            EXPECT_EQ(DWORD_PTR(LINECALLSTATE_OFFERING), m.p1);
        }
    }
    ASSERT_NE(0u, offered);
    std::vector<uint8_t> buffer(4096);
    auto *info = reinterpret_cast<LINECALLINFO *>(buffer.data());
    info->dwTotalSize = DWORD(buffer.size());
    ASSERT_EQ(0, lineGetCallInfoW(offered, info));
    EXPECT_EQ(DWORD(LINECALLREASON_TRANSFER), info->dwReason);
    ASSERT_GE(info->dwCallerIDSize, 2u);
    EXPECT_EQ(u"5550102", std::u16string(reinterpret_cast<const char16_t *>(buffer.data() + info->dwCallerIDOffset)));

    // Anna takes the far party; the no-answer time-out is long gone.
    EXPECT_EQ(0, reply(anna, lineAnswer(offered, nullptr, 0)));
    EXPECT_EQ(DWORD(LINECALLSTATE_CONNECTED), states(anna).back().first);
    ex().advance(exchange::Millis(60000));
    EXPECT_TRUE(quiet(dialer));
    EXPECT_TRUE(states(anna).empty());
}

TEST_F(PredictiveDialTest, ACallNobodyAnswersIsAbandonedAfterTheTimeout)
{
    Params p;
    p.timeout(10);
    const HCALL call = makeCall(dialer, trunk, u"5550102", p.get());
    drain(dialer);
    ex().advance(exchange::Millis(9999));
    EXPECT_EQ(DWORD(LINECALLSTATE_RINGBACK), status(call).dwCallState);
    ex().advance(exchange::Millis(1));
    const auto seen = states(dialer);
    ASSERT_EQ(1u, seen.size());
    EXPECT_EQ(DWORD(LINECALLSTATE_DISCONNECTED), seen[0].first);
    EXPECT_EQ(DWORD(LINEDISCONNECTMODE_NOANSWER), seen[0].second);
    EXPECT_EQ(LONG(LINEERR_INVALCALLSTATE), ex().remoteAnswer(legOf(call)));
    EXPECT_EQ(0, reply(dialer, lineDrop(call, nullptr, 0)));
    EXPECT_EQ(DWORD(LINECALLSTATE_IDLE), states(dialer).back().first);
}

TEST_F(PredictiveDialTest, AnAnswerOrADropInTimeStopsTheTimeout)
{
    Params p;
    p.timeout(5);
    // Answers by itself after three seconds; without states it stays with the dialer.
    const HCALL answered = makeCall(dialer, trunk, u"5550100", p.get());
    ex().advance(exchange::Millis(3000));
    EXPECT_EQ(DWORD(LINECALLSTATE_CONNECTED), states(dialer).back().first);
    ex().advance(exchange::Millis(10000));
    EXPECT_TRUE(quiet(dialer));
    EXPECT_EQ(DWORD(LINECALLSTATE_CONNECTED), status(answered).dwCallState);
    EXPECT_EQ(0, reply(dialer, lineDrop(answered, nullptr, 0)));
    drain(dialer);

    const HCALL dropped = makeCall(dialer, trunk, u"5550102", p.get());
    drain(dialer);
    EXPECT_EQ(0, reply(dialer, lineDrop(dropped, nullptr, 0)));
    drain(dialer);
    ex().advance(exchange::Millis(10000));
    EXPECT_TRUE(quiet(dialer));
}

TEST_F(PredictiveDialTest, ABusyCallStaysWithTheDialer)
{
    Params p;
    p.passOn(LINECALLSTATE_CONNECTED, u"201");
    const HCALL call = makeCall(dialer, trunk, u"5550101", p.get());
    EXPECT_EQ(DWORD(LINECALLSTATE_BUSY), states(dialer).back().first);
    EXPECT_EQ(DWORD(LINECALLSTATE_BUSY), status(call).dwCallState);
    EXPECT_TRUE(quiet(anna));
}

TEST_F(PredictiveDialTest, ParametersTheAddressDoesNotOfferAreRefused)
{
    HCALL call = 0;
    auto make = [&](HLINE line, Params &p) { return lineMakeCallW(line, &call, u"5550102", 0, p.get()); };
    Params flag;
    flag.get()->dwCallParamFlags = LINECALLPARAMFLAGS_PREDICTIVEDIAL;
    EXPECT_EQ(LONG(LINEERR_INVALCALLPARAMS), make(annaLine, flag));
    flag.get()->dwAddressID = 1; // the trunk's second address has no dialer
    EXPECT_EQ(LONG(LINEERR_INVALCALLPARAMS), make(trunk, flag));

    Params unoffered;
    unoffered.passOn(LINECALLSTATE_ONHOLD, u"201");
    EXPECT_EQ(LONG(LINEERR_INVALCALLPARAMS), make(trunk, unoffered));
    unoffered.passOn(LINECALLSTATE_BUSY, u"201"); // nobody to pass on: not offered
    EXPECT_EQ(LONG(LINEERR_INVALCALLPARAMS), make(trunk, unoffered));
    Params elsewhere;
    elsewhere.passOn(LINECALLSTATE_CONNECTED, u"201");
    elsewhere.get()->dwAddressID = 1;
    EXPECT_EQ(LONG(LINEERR_INVALCALLPARAMS), make(trunk, elsewhere));
    Params tooLong;
    tooLong.timeout(121);
    EXPECT_EQ(LONG(LINEERR_INVALCALLPARAMS), make(trunk, tooLong));
    Params ordinary; // an extension has no no-answer time-out
    EXPECT_EQ(LONG(LINEERR_INVALCALLPARAMS), make(annaLine, ordinary.timeout(5)));

    Params noTarget;
    noTarget.get()->dwPredictiveAutoTransferStates = LINECALLSTATE_CONNECTED;
    EXPECT_EQ(LONG(LINEERR_INVALCALLPARAMS), make(trunk, noTarget));
    Params unknownTarget;
    unknownTarget.passOn(LINECALLSTATE_CONNECTED, u"999");
    EXPECT_EQ(LONG(LINEERR_INVALCALLPARAMS), make(trunk, unknownTarget));
    Params outside; // the target lies past the end of the block
    outside.passOn(LINECALLSTATE_CONNECTED, u"201");
    outside.get()->dwTargetAddressOffset = outside.get()->dwTotalSize - 2;
    EXPECT_EQ(LONG(LINEERR_INVALCALLPARAMS), make(trunk, outside));
    Params wrapping; // offset plus size wrap around 32 bits
    wrapping.passOn(LINECALLSTATE_CONNECTED, u"201");
    wrapping.get()->dwTargetAddressSize = 0xFFFFFFF0u;
    EXPECT_EQ(LONG(LINEERR_INVALCALLPARAMS), make(trunk, wrapping));

    // Flag, states and time-out all offered: accepted.
    Params fine;
    fine.passOn(LINECALLSTATE_CONNECTED, u"201").timeout(120);
    fine.get()->dwCallParamFlags = LINECALLPARAMFLAGS_PREDICTIVEDIAL;
    EXPECT_EQ(0, reply(dialer, make(trunk, fine)));
    EXPECT_TRUE(quiet(anna));
}

} // namespace
