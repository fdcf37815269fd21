// Two applications on two extensions call each other end to end; every
// message each side receives is checked in order.
#include "TapiFixture.h"

using namespace tapitest;

namespace {

class CallFlowTest : public TapiFixture {
protected:
    void SetUp() override
    {
        TapiFixture::SetUp();
        appA = lineApp(u"Caller");
        appB = lineApp(u"Callee");
        lineA =
            openLine(appA, 0, LINECALLPRIVILEGE_OWNER | LINECALLPRIVILEGE_MONITOR, LINEMEDIAMODE_INTERACTIVEVOICE, 0xA);
        lineB =
            openLine(appB, 1, LINECALLPRIVILEGE_OWNER | LINECALLPRIVILEGE_MONITOR, LINEMEDIAMODE_INTERACTIVEVOICE, 0xB);
    }

    void expectState(HLINEAPP app, HCALL call, DWORD state, DWORD mode, DWORD_PTR instance)
    {
        const Msg m = next(app);
        EXPECT_EQ(DWORD(LINE_CALLSTATE), m.id) << messageName(m.id);
        EXPECT_EQ(call, m.device);
        EXPECT_EQ(instance, m.instance);
        EXPECT_EQ(DWORD_PTR(state), m.p1);
        EXPECT_EQ(DWORD_PTR(mode), m.p2);
    }

    void expectInfo(HLINEAPP app, HCALL call, DWORD infoStates)
    {
        const Msg m = next(app);
        EXPECT_EQ(DWORD(LINE_CALLINFO), m.id) << messageName(m.id);
        EXPECT_EQ(call, m.device);
        EXPECT_EQ(DWORD_PTR(infoStates), m.p1);
    }

    /// A connected call from 201 (app A) to 202 (app B); answers both handles.
    std::pair<HCALL, HCALL> connectedCall()
    {
        HCALL a = makeCall(appA, lineA, u"202");
        drain(appA);
        const Msg newCall = next(appB);
        EXPECT_EQ(DWORD(LINE_APPNEWCALL), newCall.id);
        const HCALL b = HCALL(newCall.p2);
        drain(appB);
        EXPECT_EQ(0, reply(appB, lineAnswer(b, nullptr, 0)));
        drain(appA);
        drain(appB);
        return {a, b};
    }

    HLINEAPP appA = 0, appB = 0;
    HLINE lineA = 0, lineB = 0;
};

TEST_F(CallFlowTest, CallBetweenTwoExtensionsGivesTheExactMessageOrderOnBothSides)
{
    HCALL a = 0;
    const LONG id = lineMakeCallW(lineA, &a, u"202", 0, nullptr);
    ASSERT_GT(id, 0);

    // Caller: the reply announces the call before any of its states.
    EXPECT_EQ(0, reply(appA, id));
    ASSERT_NE(0u, a);
    expectState(appA, a, LINECALLSTATE_DIALTONE, LINEDIALTONEMODE_NORMAL, 0xA);
    expectState(appA, a, LINECALLSTATE_DIALING, 0, 0xA);
    expectInfo(appA, a, LINECALLINFOSTATE_CALLEDID);
    expectState(appA, a, LINECALLSTATE_PROCEEDING, 0, 0xA);
    expectInfo(appA, a, LINECALLINFOSTATE_CALLEDID);
    expectState(appA, a, LINECALLSTATE_RINGBACK, 0, 0xA);
    EXPECT_TRUE(quiet(appA));

    // Callee: LINE_APPNEWCALL immediately followed by OFFERING with the privilege.
    const Msg newCall = next(appB);
    EXPECT_EQ(DWORD(LINE_APPNEWCALL), newCall.id);
    EXPECT_EQ(lineB, newCall.device);
    EXPECT_EQ(DWORD_PTR(0xB), newCall.instance);
    EXPECT_EQ(DWORD_PTR(0), newCall.p1);
    EXPECT_EQ(DWORD_PTR(LINECALLPRIVILEGE_OWNER), newCall.p3);
    const HCALL b = HCALL(newCall.p2);
    const Msg offering = next(appB);
    EXPECT_EQ(DWORD(LINE_CALLSTATE), offering.id);
    EXPECT_EQ(b, offering.device);
    EXPECT_EQ(DWORD_PTR(LINECALLSTATE_OFFERING), offering.p1);
    EXPECT_EQ(DWORD_PTR(LINECALLPRIVILEGE_OWNER), offering.p3);
    EXPECT_TRUE(quiet(appB));

    // Answer: both sides connected.
    const LONG answer = lineAnswer(b, nullptr, 0);
    EXPECT_EQ(0, reply(appB, answer));
    expectInfo(appB, b, LINECALLINFOSTATE_CONNECTEDID);
    expectState(appB, b, LINECALLSTATE_CONNECTED, LINECONNECTEDMODE_ACTIVE, 0xB);
    expectInfo(appA, a, LINECALLINFOSTATE_CONNECTEDID);
    expectState(appA, a, LINECALLSTATE_CONNECTED, LINECONNECTEDMODE_ACTIVE, 0xA);

    // Drop: the dropping side goes idle, the other side is disconnected.
    EXPECT_EQ(0, reply(appA, lineDrop(a, nullptr, 0)));
    expectState(appA, a, LINECALLSTATE_IDLE, 0, 0xA);
    expectState(appB, b, LINECALLSTATE_DISCONNECTED, LINEDISCONNECTMODE_NORMAL, 0xB);
    EXPECT_TRUE(quiet(appA));
    EXPECT_TRUE(quiet(appB));

    EXPECT_EQ(0, reply(appB, lineDrop(b, nullptr, 0)));
    expectState(appB, b, LINECALLSTATE_IDLE, 0, 0xB);
    EXPECT_EQ(0, lineDeallocateCall(a));
    EXPECT_EQ(0, lineDeallocateCall(b));
    EXPECT_TRUE(ex().legsOn(0).empty());
}

TEST_F(CallFlowTest, StatusAndInformationFollowTheCall)
{
    auto [a, b] = connectedCall();
    const LINECALLSTATUS sa = status(a);
    EXPECT_EQ(DWORD(LINECALLSTATE_CONNECTED), sa.dwCallState);
    EXPECT_EQ(DWORD(LINECALLPRIVILEGE_OWNER), sa.dwCallPrivilege);
    EXPECT_TRUE(sa.dwCallFeatures & LINECALLFEATURE_DROP);
    EXPECT_TRUE(sa.dwCallFeatures & LINECALLFEATURE_HOLD);
    EXPECT_FALSE(sa.dwCallFeatures & LINECALLFEATURE_ANSWER);
    EXPECT_EQ(2024, sa.tStateEntryTime.wYear);

    std::vector<uint8_t> buffer(2048);
    auto *info = reinterpret_cast<LINECALLINFO *>(buffer.data());
    info->dwTotalSize = DWORD(buffer.size());
    ASSERT_EQ(0, lineGetCallInfoW(b, info));
    EXPECT_EQ(lineB, info->hLine);
    EXPECT_EQ(1u, info->dwLineDeviceID);
    EXPECT_EQ(DWORD(LINECALLORIGIN_INTERNAL), info->dwOrigin);
    EXPECT_EQ(DWORD(LINECALLREASON_DIRECT), info->dwReason);
    EXPECT_EQ(1u, info->dwNumOwners);
    EXPECT_LE(info->dwNeededSize, info->dwUsedSize);
    const auto text = [&](DWORD size, DWORD offset) {
        return std::u16string(reinterpret_cast<const char16_t *>(buffer.data() + offset), size / 2 - 1);
    };
    EXPECT_EQ(u"201", text(info->dwCallerIDSize, info->dwCallerIDOffset));
    EXPECT_EQ(u"Anna Berg", text(info->dwCallerIDNameSize, info->dwCallerIDNameOffset));
    EXPECT_EQ(u"201", text(info->dwConnectedIDSize, info->dwConnectedIDOffset));
    EXPECT_TRUE(info->dwCallerIDFlags & LINECALLPARTYID_ADDRESS);
}

} // namespace
