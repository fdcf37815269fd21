// What a dialer sees of the exchange's own rules: calls to a removed
// extension, address features that follow the address's calls, calls
// started at the desk phone, and new calls while another one is active.
#include "TapiFixture.h"

using namespace tapitest;

namespace {

class ExchangeRulesTest : public TapiFixture {
protected:
    /// Messages of one kind with their first two parameters.
    static std::vector<std::pair<DWORD_PTR, DWORD_PTR>> only(const std::vector<Msg> &all, DWORD id)
    {
        std::vector<std::pair<DWORD_PTR, DWORD_PTR>> out;
        for (const Msg &m : all)
            if (m.id == id)
                out.emplace_back(m.p1, m.p2);
        return out;
    }

    DWORD addressFeatures(HLINE line)
    {
        std::vector<uint8_t> buffer(1024);
        auto *s = reinterpret_cast<LINEADDRESSSTATUS *>(buffer.data());
        s->dwTotalSize = DWORD(buffer.size());
        EXPECT_EQ(0, lineGetAddressStatusW(line, 0, s));
        return s->dwAddressFeatures;
    }
};

TEST_F(ExchangeRulesTest, ACallToARemovedExtensionIsUnreachableInsteadOfRinging)
{
    const HLINEAPP app = lineApp();
    const HLINE line = openLine(app, 0);
    ASSERT_TRUE(ex().removeLine(1));
    drain(app);
    const HCALL call = makeCall(app, line, u"202");
    const auto states = only(drain(app), LINE_CALLSTATE);
    ASSERT_FALSE(states.empty());
    EXPECT_EQ(std::make_pair(DWORD_PTR(LINECALLSTATE_DISCONNECTED), DWORD_PTR(LINEDISCONNECTMODE_UNREACHABLE)),
              states.back());
    EXPECT_EQ(DWORD(LINECALLSTATE_DISCONNECTED), state(call));
}

TEST_F(ExchangeRulesTest, ANewCallWhileOneIsActiveHoldsItOnlyWhereTheAddressCanHold)
{
    const HLINEAPP app = lineApp();
    const HLINE extension = openLine(app, 0); // holds up to three calls
    const HLINE lobby = openLine(app, 6);     // one call, no hold
    for (const HLINE line : {extension, lobby}) {
        const DWORD device = line == extension ? 0 : 6;
        SCOPED_TRACE(device);
        ex().incomingCall(device, 0, u"5551234", u"Dora");
        const HCALL first = announcedCall(app);
        ASSERT_EQ(0, reply(app, lineAnswer(first, nullptr, 0)));
        drain(app);
        if (line == extension) {
            EXPECT_TRUE(addressFeatures(line) & LINEADDRFEATURE_MAKECALL);
            HCALL second = 0;
            EXPECT_EQ(0, replyAfterStates(app, lineMakeCallW(line, &second, nullptr, 0, nullptr)));
            EXPECT_EQ(DWORD(LINECALLSTATE_ONHOLD), state(first));
            EXPECT_EQ(DWORD(LINECALLSTATE_DIALTONE), state(second));
        } else {
            EXPECT_FALSE(addressFeatures(line) & LINEADDRFEATURE_MAKECALL);
            HCALL second = 0;
            const LONG r = lineMakeCallW(line, &second, nullptr, 0, nullptr);
            EXPECT_EQ(LONG(LINEERR_CALLUNAVAIL), r > 0 ? reply(app, r) : r);
            EXPECT_EQ(DWORD(LINECALLSTATE_CONNECTED), state(first));
            ASSERT_EQ(0, reply(app, lineDrop(first, nullptr, 0)));
            EXPECT_TRUE(addressFeatures(line) & LINEADDRFEATURE_MAKECALL);
        }
    }
}

TEST_F(ExchangeRulesTest, ACallStartedAtTheDeskPhoneReachesTheOwnerInDialToneAndDialsOn)
{
    const HLINEAPP app = lineApp();
    openLine(app, 0);
    const exchange::LegId leg = ex().phoneOffHook(0);
    ASSERT_NE(0u, leg);
    const Msg announced = next(app);
    ASSERT_EQ(DWORD(LINE_APPNEWCALL), announced.id);
    EXPECT_EQ(DWORD_PTR(LINECALLPRIVILEGE_OWNER), announced.p3);
    const HCALL call = HCALL(announced.p2);
    const Msg first = next(app);
    EXPECT_EQ(DWORD(LINE_CALLSTATE), first.id);
    EXPECT_EQ(DWORD_PTR(LINECALLSTATE_DIALTONE), first.p1);
    EXPECT_EQ(DWORD(LINECALLORIGIN_OUTBOUND), info(call).dwOrigin);

    EXPECT_EQ(0, ex().phoneDial(0, u"202"));
    std::vector<DWORD_PTR> states;
    for (const auto &[s, mode] : only(drain(app), LINE_CALLSTATE))
        states.push_back(s);
    EXPECT_EQ((std::vector<DWORD_PTR>{LINECALLSTATE_DIALING, LINECALLSTATE_PROCEEDING, LINECALLSTATE_RINGBACK}),
              states);
    EXPECT_EQ(LONG(LINEERR_INVALCALLSTATE), ex().phoneDial(0, u"203"));
    ex().phoneOnHook(0);
    ex().waitIdle();
    EXPECT_EQ(DWORD(LINECALLSTATE_IDLE), state(call));
    EXPECT_EQ(0, lineDeallocateCall(call));
    // A phone without a line starts nothing.
    EXPECT_EQ(0u, ex().phoneOffHook(99));
}

} // namespace
