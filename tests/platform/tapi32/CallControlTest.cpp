// Hold, swap, dial, digits, call information changes, privileges and
// handles, monitors, and calls to and from external numbers.
#include "TapiFixture.h"

using namespace tapitest;

namespace {

class CallControlTest : public TapiFixture {
protected:
    void SetUp() override
    {
        TapiFixture::SetUp();
        appA = lineApp(u"A");
        appB = lineApp(u"B");
        lineA = openLine(appA, 0);
        lineB = openLine(appB, 1);
    }

    /// Connects 201 (app A) with 202 (app B).
    std::pair<HCALL, HCALL> connectedCall()
    {
        const HCALL a = makeCall(appA, lineA, u"202");
        const HCALL b = announcedCall(appB);
        EXPECT_EQ(0, reply(appB, lineAnswer(b, nullptr, 0)));
        drain(appA);
        drain(appB);
        return {a, b};
    }

    /// Answers the call information (the exchange's variable part included).
    std::vector<uint8_t> callInfo(HCALL call)
    {
        std::vector<uint8_t> buffer(4096);
        reinterpret_cast<LINECALLINFO *>(buffer.data())->dwTotalSize = DWORD(buffer.size());
        EXPECT_EQ(0, lineGetCallInfoW(call, reinterpret_cast<LINECALLINFO *>(buffer.data())));
        return buffer;
    }

    static std::vector<uint8_t> field(const std::vector<uint8_t> &info, DWORD size, DWORD offset)
    {
        return {info.begin() + offset, info.begin() + offset + size};
    }

    HLINEAPP appA = 0, appB = 0;
    HLINE lineA = 0, lineB = 0;
};

TEST_F(CallControlTest, HoldUnholdAndSwapFollowTheFeatures)
{
    auto [a, b] = connectedCall();
    EXPECT_EQ(0, reply(appA, lineHold(a)));
    Msg m = next(appA);
    EXPECT_EQ(DWORD(LINE_CALLSTATE), m.id);
    EXPECT_EQ(DWORD_PTR(LINECALLSTATE_ONHOLD), m.p1);
    EXPECT_TRUE(status(a).dwCallFeatures & LINECALLFEATURE_UNHOLD);
    EXPECT_FALSE(status(a).dwCallFeatures & LINECALLFEATURE_HOLD);
    EXPECT_EQ(LONG(LINEERR_INVALCALLSTATE), lineHold(a));

    // A second call from 201 while the first is held; then swap the two.
    const HCALL second = makeCall(appA, lineA, u"5550105");
    drain(appA);
    EXPECT_EQ(DWORD(LINECALLSTATE_CONNECTED), status(second).dwCallState);
    EXPECT_TRUE(status(second).dwCallFeatures & LINECALLFEATURE_SWAPHOLD);
    EXPECT_EQ(0, reply(appA, lineSwapHold(second, a)));
    m = next(appA);
    EXPECT_EQ(second, m.device);
    EXPECT_EQ(DWORD_PTR(LINECALLSTATE_ONHOLD), m.p1);
    m = next(appA);
    EXPECT_EQ(a, m.device);
    EXPECT_EQ(DWORD_PTR(LINECALLSTATE_CONNECTED), m.p1);

    // Unholding the held call makes room by holding the active one.
    EXPECT_EQ(0, reply(appA, lineUnhold(second)));
    EXPECT_EQ(DWORD(LINECALLSTATE_ONHOLD), status(a).dwCallState);
    EXPECT_EQ(DWORD(LINECALLSTATE_CONNECTED), status(second).dwCallState);
    drain(appA);
    EXPECT_EQ(LONG(LINEERR_INVALCALLSTATE), lineSwapHold(a, second));

    // A held party that hangs up is disconnected.
    EXPECT_EQ(0, reply(appB, lineDrop(b, nullptr, 0)));
    drain(appB);
    EXPECT_EQ(DWORD(LINECALLSTATE_DISCONNECTED), status(a).dwCallState);
}

TEST_F(CallControlTest, DialingContinuesACallMadeWithoutANumber)
{
    const HCALL a = makeCall(appA, lineA, nullptr);
    Msg m = next(appA);
    EXPECT_EQ(DWORD_PTR(LINECALLSTATE_DIALTONE), m.p1);
    EXPECT_TRUE(quiet(appA));
    EXPECT_TRUE(status(a).dwCallFeatures & LINECALLFEATURE_DIAL);

    EXPECT_EQ(0, reply(appA, lineDialW(a, u"20;", 0)));
    m = next(appA);
    EXPECT_EQ(DWORD_PTR(LINECALLSTATE_DIALING), m.p1);
    EXPECT_TRUE(quiet(appA));
    EXPECT_EQ(LONG(LINEERR_INVALADDRESS), lineDialW(a, u"2?x", 0));
    EXPECT_EQ(0, reply(appA, lineDialW(a, u"2", 0)));
    drain(appA);
    EXPECT_EQ(DWORD(LINECALLSTATE_RINGBACK), status(a).dwCallState);
    EXPECT_FALSE(status(a).dwCallFeatures & LINECALLFEATURE_DIAL);
    EXPECT_EQ(LONG(LINEERR_INVALCALLSTATE), lineDialW(a, u"1", 0));
    EXPECT_NE(0u, announcedCall(appB));
}

TEST_F(CallControlTest, GeneratedDigitsCompleteOnTheExchangeClock)
{
    auto [a, b] = connectedCall();
    EXPECT_EQ(LONG(LINEERR_INVALDIGITS), lineGenerateDigitsW(a, LINEDIGITMODE_DTMF, u"12x", 0));
    EXPECT_EQ(LONG(LINEERR_INVALDIGITS), lineGenerateDigitsW(a, LINEDIGITMODE_PULSE, u"1#", 0));
    EXPECT_EQ(LONG(LINEERR_INVALDIGITMODE), lineGenerateDigitsW(a, LINEDIGITMODE_DTMFEND, u"1", 0));
    EXPECT_EQ(0, lineGenerateDigitsW(a, LINEDIGITMODE_DTMF, u"123", 100));
    EXPECT_TRUE(quiet(appA));
    ex().advance(exchange::Millis(599));
    EXPECT_TRUE(quiet(appA));
    ex().advance(exchange::Millis(1));
    Msg m = next(appA);
    EXPECT_EQ(DWORD(LINE_GENERATE), m.id);
    EXPECT_EQ(a, m.device);
    EXPECT_EQ(DWORD_PTR(LINEGENERATETERM_DONE), m.p1);

    // A new generation cancels the running one; no digits cancels as well.
    EXPECT_EQ(0, lineGenerateDigitsW(a, LINEDIGITMODE_DTMF, u"1", 0));
    EXPECT_EQ(0, lineGenerateDigitsW(a, LINEDIGITMODE_DTMF, nullptr, 0));
    m = next(appA);
    EXPECT_EQ(DWORD(LINE_GENERATE), m.id);
    EXPECT_EQ(DWORD_PTR(LINEGENERATETERM_CANCEL), m.p1);
    ex().advance(exchange::Millis(10000));
    EXPECT_TRUE(quiet(appA));
}

TEST_F(CallControlTest, DigitsTheFarPartySendsReachOnlyTheHandlesThatMonitorThem)
{
    auto [a, b] = connectedCall();
    const exchange::LegId leg = tapi32::Runtime::instance().legOf(a);
    EXPECT_EQ(LONG(LINEERR_INVALDIGITMODE), lineMonitorDigits(a, LINEDIGITMODE_PULSE));
    EXPECT_EQ(0, ex().remoteDigits(leg, u"1")) << "nobody monitors: nothing arrives";
    ex().waitIdle(); // delivered before monitoring starts
    EXPECT_EQ(0, lineMonitorDigits(a, LINEDIGITMODE_DTMF));
    EXPECT_EQ(LONG(LINEERR_INVALDIGITS), ex().remoteDigits(leg, u"5x"));
    EXPECT_EQ(0, ex().remoteDigits(leg, u"5#"));
    ex().waitIdle();
    for (char16_t digit : {u'5', u'#'}) {
        const Msg m = next(appA);
        EXPECT_EQ(DWORD(LINE_MONITORDIGITS), m.id);
        EXPECT_EQ(a, m.device);
        EXPECT_EQ(DWORD_PTR(digit), m.p1);
        EXPECT_EQ(DWORD_PTR(LINEDIGITMODE_DTMF), m.p2);
    }
    EXPECT_TRUE(quiet(appA));
    EXPECT_TRUE(quiet(appB));

    EXPECT_EQ(0, lineMonitorDigits(a, 0));
    EXPECT_EQ(0, ex().remoteDigits(leg, u"7"));
    EXPECT_TRUE(quiet(appA)) << "monitoring ended";
    EXPECT_EQ(0, reply(appA, lineDrop(a, nullptr, 0)));
    EXPECT_EQ(LONG(LINEERR_INVALCALLSTATE), ex().remoteDigits(leg, u"7"));
}

TEST_F(CallControlTest, InformationChangesAreReportedAndStored)
{
    auto [a, b] = connectedCall();
    EXPECT_EQ(0, lineSetAppSpecific(a, 0xBEEF));
    Msg m = next(appA);
    EXPECT_EQ(DWORD(LINE_CALLINFO), m.id);
    EXPECT_EQ(DWORD_PTR(LINECALLINFOSTATE_APPSPECIFIC), m.p1);
    EXPECT_EQ(0xBEEFu, reinterpret_cast<const LINECALLINFO *>(callInfo(a).data())->dwAppSpecific);

    char data[] = "call data";
    EXPECT_EQ(0, reply(appA, lineSetCallData(a, data, sizeof data)));
    m = next(appA);
    EXPECT_EQ(DWORD_PTR(LINECALLINFOSTATE_CALLDATA), m.p1);
    EXPECT_EQ(DWORD_PTR(LINECALLINFOSTATE_CALLDATA), next(appB).p1) << "call data travels with the call";
    auto info = callInfo(a);
    auto *ci = reinterpret_cast<const LINECALLINFO *>(info.data());
    EXPECT_EQ(std::vector<uint8_t>(data, data + sizeof data), field(info, ci->dwCallDataSize, ci->dwCallDataOffset));

    FLOWSPEC send{}, receive{};
    send.TokenRate = 8000;
    EXPECT_EQ(0, reply(appA, lineSetCallQualityOfService(a, &send, sizeof send, &receive, sizeof receive)));
    m = next(appA);
    EXPECT_EQ(DWORD_PTR(LINECALLINFOSTATE_QOS), m.p1);
    EXPECT_EQ(DWORD_PTR(LINECALLINFOSTATE_QOS), next(appB).p1) << "the other party receives what this one sends";
    info = callInfo(a);
    ci = reinterpret_cast<const LINECALLINFO *>(info.data());
    EXPECT_EQ(DWORD(sizeof send), ci->dwSendingFlowspecSize);

    // User-user information reaches the other party, which may release it.
    const char uui[] = "hello";
    EXPECT_EQ(0, reply(appA, lineSendUserUserInfo(a, uui, sizeof uui)));
    m = next(appB);
    EXPECT_EQ(DWORD(LINE_CALLINFO), m.id);
    EXPECT_EQ(DWORD_PTR(LINECALLINFOSTATE_USERUSERINFO), m.p1);
    info = callInfo(b);
    ci = reinterpret_cast<const LINECALLINFO *>(info.data());
    EXPECT_EQ(std::vector<uint8_t>(uui, uui + sizeof uui),
              field(info, ci->dwUserUserInfoSize, ci->dwUserUserInfoOffset));
    EXPECT_TRUE(status(b).dwCallFeatures & LINECALLFEATURE_RELEASEUSERUSERINFO);
    EXPECT_EQ(0, reply(appB, lineReleaseUserUserInfo(b)));
    EXPECT_EQ(DWORD_PTR(LINECALLINFOSTATE_USERUSERINFO), next(appB).p1);
    EXPECT_EQ(0u, reinterpret_cast<const LINECALLINFO *>(callInfo(b).data())->dwUserUserInfoSize);

    std::vector<char> tooBig(257, 'x');
    EXPECT_EQ(LONG(LINEERR_USERUSERINFOTOOBIG), lineSendUserUserInfo(a, tooBig.data(), DWORD(tooBig.size())));

    // Far-end information (charging) arrives through the control interface.
    ASSERT_TRUE(ex().updateCallInfo(tapi32::Runtime::instance().legOf(a), LINECALLINFOSTATE_CHARGINGINFO,
                                    [](exchange::CallInfoData &i) {
                                        i.chargingInfo = {1, 2, 3};
                                    }));
    EXPECT_EQ(DWORD_PTR(LINECALLINFOSTATE_CHARGINGINFO), next(appA).p1);
}

TEST_F(CallControlTest, PrivilegesAndDeallocationFollowTheOwnershipRules)
{
    // A monitor on line 0 sees the caller's call, UNKNOWN first.
    HLINEAPP monitorApp = lineApp(u"Monitor");
    HLINE monitorLine = openLine(monitorApp, 0, LINECALLPRIVILEGE_MONITOR, 0, 0xC);
    const HCALL a = makeCall(appA, lineA, u"202");
    Msg m = next(monitorApp);
    EXPECT_EQ(DWORD(LINE_APPNEWCALL), m.id);
    EXPECT_EQ(monitorLine, m.device);
    EXPECT_EQ(DWORD_PTR(LINECALLPRIVILEGE_MONITOR), m.p3);
    const HCALL watched = HCALL(m.p2);
    EXPECT_NE(a, watched);
    m = next(monitorApp);
    EXPECT_EQ(watched, m.device);
    EXPECT_EQ(DWORD_PTR(LINECALLSTATE_UNKNOWN), m.p1);
    EXPECT_EQ(DWORD_PTR(LINECALLPRIVILEGE_MONITOR), m.p3);
    m = next(monitorApp);
    EXPECT_EQ(DWORD_PTR(LINECALLSTATE_DIALTONE), m.p1);
    drain(monitorApp);
    drain(appA);

    // Owner-only operations are refused to the monitor, whose status offers none.
    EXPECT_EQ(LONG(LINEERR_NOTOWNER), lineDrop(watched, nullptr, 0));
    EXPECT_EQ(LONG(LINEERR_NOTOWNER), lineSetAppSpecific(watched, 1));
    EXPECT_EQ(LONG(LINEERR_NOTOWNER), lineGenerateDigitsW(watched, LINEDIGITMODE_DTMF, u"1", 0));
    EXPECT_EQ(DWORD(LINECALLPRIVILEGE_MONITOR), status(watched).dwCallPrivilege);
    EXPECT_NE(0u, status(a).dwCallFeatures);
    EXPECT_EQ(0u, status(watched).dwCallFeatures);
    EXPECT_EQ(0u, status(watched).dwCallFeatures2);

    // The sole owner of a live call may neither deallocate it nor become a
    // monitor; a monitor may.
    EXPECT_EQ(LONG(LINEERR_INVALCALLSTATE), lineDeallocateCall(a));
    EXPECT_EQ(LONG(LINEERR_INVALCALLSTATE), lineSetCallPrivilege(a, LINECALLPRIVILEGE_MONITOR));
    EXPECT_EQ(LONG(LINEERR_INVALCALLPRIVILEGE), lineSetCallPrivilege(watched, LINECALLPRIVILEGE_NONE));
    EXPECT_EQ(0, lineSetCallPrivilege(watched, LINECALLPRIVILEGE_OWNER));
    m = next(appA);
    EXPECT_EQ(DWORD(LINE_CALLINFO), m.id);
    EXPECT_TRUE(m.p1 & LINECALLINFOSTATE_NUMOWNERINCR);
    drain(monitorApp);
    EXPECT_EQ(0, lineDeallocateCall(a)); // no longer the sole owner
    EXPECT_EQ(LONG(LINEERR_INVALCALLHANDLE), lineGetCallStatus(a, nullptr));
    EXPECT_EQ(LONG(LINEERR_INVALCALLSTATE), lineDeallocateCall(watched));

    // Closing the line of the sole owner drops the call.
    HCALL b = announcedCall(appB);
    EXPECT_EQ(0, lineClose(monitorLine));
    drain(appB);
    EXPECT_EQ(DWORD(LINECALLSTATE_DISCONNECTED), status(b).dwCallState);
}

TEST_F(CallControlTest, NewCallsOfALineCanBeCollected)
{
    const HCALL a = makeCall(appA, lineA, u"202");
    drain(appA);
    HLINEAPP late = lineApp(u"Late");
    HLINE lateLine = openLine(late, 0, LINECALLPRIVILEGE_NONE, 0);
    // A list too small for the new handle tells the size; the retry gets the
    // handle the first call made.
    std::vector<uint8_t> buffer(sizeof(LINECALLLIST));
    auto *list = reinterpret_cast<LINECALLLIST *>(buffer.data());
    list->dwTotalSize = DWORD(buffer.size());
    ASSERT_EQ(0, lineGetNewCalls(lateLine, 0, LINECALLSELECT_LINE, list));
    EXPECT_EQ(0u, list->dwCallsSize);
    buffer.resize(list->dwNeededSize);
    list = reinterpret_cast<LINECALLLIST *>(buffer.data());
    list->dwTotalSize = DWORD(buffer.size());
    ASSERT_EQ(0, lineGetNewCalls(lateLine, 0, LINECALLSELECT_LINE, list));
    ASSERT_EQ(1u, list->dwCallsNumEntries);
    ASSERT_EQ(sizeof(HCALL), list->dwCallsSize);
    HCALL got = 0;
    std::memcpy(&got, buffer.data() + list->dwCallsOffset, sizeof got);
    EXPECT_NE(a, got);
    EXPECT_EQ(DWORD(LINECALLPRIVILEGE_MONITOR), status(got).dwCallPrivilege);
    ASSERT_EQ(0, lineGetNewCalls(lateLine, 0, LINECALLSELECT_ADDRESS, list));
    EXPECT_EQ(0u, list->dwCallsNumEntries); // it has a handle now
    EXPECT_EQ(LONG(LINEERR_INVALADDRESSID), lineGetNewCalls(lateLine, 3, LINECALLSELECT_ADDRESS, list));
    EXPECT_EQ(LONG(LINEERR_INVALCALLSELECT), lineGetNewCalls(lateLine, 0, LINECALLSELECT_CALL, list));
}

TEST_F(CallControlTest, DroppingAnOfferingCallRejectsIt)
{
    makeCall(appA, lineA, u"202");
    const HCALL b = announcedCall(appB);
    EXPECT_EQ(0, reply(appB, lineAccept(b, nullptr, 0)));
    EXPECT_EQ(DWORD_PTR(LINECALLSTATE_ACCEPTED), next(appB).p1);
    drain(appA);
    EXPECT_EQ(0, reply(appB, lineDrop(b, nullptr, 0)));
    EXPECT_EQ(DWORD_PTR(LINECALLSTATE_IDLE), next(appB).p1);
    const Msg m = next(appA);
    EXPECT_EQ(DWORD_PTR(LINECALLSTATE_DISCONNECTED), m.p1);
    EXPECT_EQ(DWORD_PTR(LINEDISCONNECTMODE_REJECT), m.p2);
    EXPECT_EQ(0, lineDeallocateCall(b));
}

struct ExternalCase {
    const char16_t *number;
    DWORD waitMs;
    DWORD state;
    DWORD mode;
};

class ExternalNumberTest : public CallControlTest, public ::testing::WithParamInterface<ExternalCase> {};

TEST_P(ExternalNumberTest, ExternalNumbersBehaveByRule)
{
    const ExternalCase c = GetParam();
    const HCALL a = makeCall(appA, lineA, c.number);
    drain(appA);
    if (c.waitMs) {
        ex().advance(exchange::Millis(c.waitMs - 1));
        EXPECT_EQ(DWORD(LINECALLSTATE_RINGBACK), status(a).dwCallState);
        ex().advance(exchange::Millis(1));
    }
    const LINECALLSTATUS s = status(a);
    EXPECT_EQ(c.state, s.dwCallState);
    EXPECT_EQ(c.mode, s.dwCallStateMode);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, ExternalNumberTest,
    ::testing::Values(ExternalCase{u"5550100", 3000, LINECALLSTATE_CONNECTED, LINECONNECTEDMODE_ACTIVE},
                      ExternalCase{u"5550101", 0, LINECALLSTATE_BUSY, LINEBUSYMODE_STATION},
                      ExternalCase{u"5550102", 0, LINECALLSTATE_RINGBACK, 0},
                      ExternalCase{u"5550103", 2000, LINECALLSTATE_DISCONNECTED, LINEDISCONNECTMODE_REJECT},
                      ExternalCase{u"5550104", 0, LINECALLSTATE_DISCONNECTED, LINEDISCONNECTMODE_UNREACHABLE},
                      ExternalCase{u"+1 (555) 9999", 0, LINECALLSTATE_DISCONNECTED, LINEDISCONNECTMODE_BADADDRESS},
                      ExternalCase{u"201", 0, LINECALLSTATE_BUSY, LINEBUSYMODE_STATION}));

TEST_F(CallControlTest, AbsurdBufferSizesAreRefusedWithoutReadingThem)
{
    auto [a, b] = connectedCall();
    char small[4] = "abc";
    EXPECT_EQ(LONG(LINEERR_USERUSERINFOTOOBIG), lineSendUserUserInfo(a, small, 0xFFFFFFFF));
    EXPECT_EQ(LONG(LINEERR_USERUSERINFOTOOBIG), lineDrop(a, small, 0x80000000));
    EXPECT_EQ(LONG(LINEERR_INVALPARAM), lineSetCallData(a, small, 0xF0000000));
    EXPECT_EQ(LONG(LINEERR_INVALPARAM), lineSetCallQualityOfService(a, small, 0xF0000000, nullptr, 0));
    EXPECT_EQ(LONG(LINEERR_INVALPOINTER), lineSetCallData(a, nullptr, 4));
    HPHONEAPP phones = phoneApp();
    HPHONE phone = openPhone(phones, 0);
    EXPECT_EQ(LONG(PHONEERR_INVALPARAM), phoneSetDisplay(phone, 0, 0, small, 0xFFFFFFF0));
    EXPECT_TRUE(quiet(appA));
    EXPECT_EQ(DWORD(LINECALLSTATE_CONNECTED), status(b).dwCallState);
}

TEST_F(CallControlTest, TheCallBackNumberRingsTheCallerLater)
{
    const HCALL a = makeCall(appA, lineA, u"5550106");
    drain(appA);
    EXPECT_EQ(DWORD(LINECALLSTATE_BUSY), status(a).dwCallState);
    EXPECT_EQ(0, reply(appA, lineDrop(a, nullptr, 0)));
    drain(appA);
    ex().advance(exchange::Millis(3000));
    const Msg m = next(appA);
    EXPECT_EQ(DWORD(LINE_APPNEWCALL), m.id);
    EXPECT_EQ(DWORD_PTR(LINECALLSTATE_OFFERING), next(appA).p1);
}

TEST_F(CallControlTest, IncomingCallsFromOutsideAndTheFarEndsActions)
{
    const exchange::LegId leg = ex().incomingCall(1, 0, u"5551234", u"Dora Engel");
    ASSERT_NE(0u, leg);
    Msg m = next(appB);
    EXPECT_EQ(DWORD(LINE_APPNEWCALL), m.id);
    const HCALL b = HCALL(m.p2);
    EXPECT_EQ(DWORD_PTR(LINECALLSTATE_OFFERING), next(appB).p1);
    const auto info = callInfo(b);
    const auto *ci = reinterpret_cast<const LINECALLINFO *>(info.data());
    EXPECT_EQ(DWORD(LINECALLORIGIN_EXTERNAL), ci->dwOrigin);
    EXPECT_EQ(u"Dora Engel",
              std::u16string(reinterpret_cast<const char16_t *>(info.data() + ci->dwCallerIDNameOffset)));
    EXPECT_EQ(0, reply(appB, lineAnswer(b, nullptr, 0)));
    drain(appB);
    EXPECT_EQ(DWORD(LINECALLSTATE_CONNECTED), status(b).dwCallState);
    EXPECT_EQ(0, ex().remoteHangUp(leg));
    m = next(appB);
    EXPECT_EQ(DWORD_PTR(LINECALLSTATE_DISCONNECTED), m.p1);
    EXPECT_EQ(LONG(LINEERR_INVALCALLSTATE), ex().remoteHangUp(leg));

    // An outgoing call to a party that never answers can be answered remotely.
    const HCALL a = makeCall(appA, lineA, u"5550102");
    drain(appA);
    EXPECT_EQ(0, ex().remoteAnswer(tapi32::Runtime::instance().legOf(a)));
    drain(appA);
    EXPECT_EQ(DWORD(LINECALLSTATE_CONNECTED), status(a).dwCallState);

    // No line application owns the media mode: monitors only.
    HLINEAPP fax = lineApp(u"Fax");
    openLine(fax, 1, LINECALLPRIVILEGE_OWNER, LINEMEDIAMODE_AUTOMATEDVOICE);
    ex().incomingCall(1, 0, u"5550000", u"", LINEMEDIAMODE_INTERACTIVEVOICE);
    EXPECT_TRUE(quiet(fax));
}

} // namespace

namespace {

TEST_F(CallControlTest, CallsToALineNobodyHoldsDoNotPileUp)
{
    ASSERT_EQ(0, lineClose(lineB));
    for (int i = 0; i < 6; ++i) {
        const HCALL a = makeCall(appA, lineA, u"202");
        drain(appA);
        ASSERT_EQ(DWORD(LINECALLSTATE_RINGBACK), status(a).dwCallState) << "attempt " << i;
        EXPECT_EQ(0, reply(appA, lineDrop(a, nullptr, 0)));
        drain(appA);
        EXPECT_EQ(0, lineDeallocateCall(a));
    }
    ex().waitIdle();
    EXPECT_TRUE(ex().legsOn(1).empty());
    EXPECT_TRUE(ex().legsOn(0).empty());
}

} // namespace
