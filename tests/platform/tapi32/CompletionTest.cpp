// Call completion through the C API: the errors, the completion id written
// with the reply, call back and camp on waiting for a busy or unanswered
// extension, intrusion, messages, and what the address and call offer.
#include "ThreeExtensions.h"

#include <cstring>
#include <string>

using namespace tapitest;

namespace {

using Calls = std::vector<std::pair<HCALL, DWORD>>;
constexpr DWORD kUnwritten = 0xDEADBEEF;

class CompletionTest : public ThreeExtensions {
protected:
    /// 203 talks to 202, which can take no second call; 201 calls 202 and
    /// hears busy. Answers 201's busy call; b and c are 202's and 203's.
    HCALL busyAt202()
    {
        ex().changeLine(1, [](exchange::LineConfig &c) { c.addresses[0].caps.dwMaxNumOnHoldCalls = 0; });
        drain(apps[1]);
        std::tie(c, b) = connect(2, 1);
        const HCALL a = makeCall(apps[0], lines[0], u"202");
        drain(apps[0]);
        EXPECT_EQ(DWORD(LINECALLSTATE_BUSY), state(a));
        return a;
    }

    /// 201 calls 202, which rings unanswered; b is 202's ringing call.
    HCALL ringingAt202()
    {
        const HCALL a = makeCall(apps[0], lines[0], u"202");
        b = announced(1);
        drain(apps[0]);
        EXPECT_EQ(DWORD(LINECALLSTATE_RINGBACK), state(a));
        return a;
    }

    /// Requests a completion and answers the id the reply wrote.
    DWORD complete(HCALL call, DWORD mode, DWORD messageId = 0)
    {
        DWORD id = kUnwritten;
        const LONG request = lineCompleteCall(call, &id, mode, messageId);
        EXPECT_EQ(kUnwritten, id) << "written before the reply was fetched";
        EXPECT_EQ(0, reply(apps[0], request));
        EXPECT_NE(kUnwritten, id);
        EXPECT_NE(0u, id);
        return id;
    }

    /// The call LINE_APPNEWCALL announces next at extension `i` (messages
    /// about other calls before it are skipped), with its first state.
    std::pair<HCALL, DWORD> newCall(int i)
    {
        Msg m = next(apps[i]);
        for (int n = 0; n < 8 && m.id != LINE_APPNEWCALL && m.id != 0; ++n)
            m = next(apps[i]);
        EXPECT_EQ(DWORD(LINE_APPNEWCALL), m.id) << messageName(m.id);
        const Msg s = next(apps[i]);
        EXPECT_EQ(DWORD(LINE_CALLSTATE), s.id) << messageName(s.id);
        return {HCALL(m.p2), DWORD(s.p1)};
    }

    std::u16string callerOf(HCALL call)
    {
        return party(call, &LINECALLINFO::dwCallerIDSize, &LINECALLINFO::dwCallerIDOffset);
    }
    std::u16string connectedOf(HCALL call)
    {
        return party(call, &LINECALLINFO::dwConnectedIDSize, &LINECALLINFO::dwConnectedIDOffset);
    }

    /// 202 answers a call and both ends settle.
    void answerAt202(HCALL call)
    {
        EXPECT_EQ(0, reply(apps[1], lineAnswer(call, nullptr, 0)));
        drain(apps[0]);
        drain(apps[1]);
    }

    HCALL b = 0, c = 0;
};

TEST_F(CompletionTest, BadRequestsAreRefusedAndLeaveTheIdAlone)
{
    const HLINEAPP watcher = lineApp(u"W");
    openLine(watcher, 0, LINECALLPRIVILEGE_MONITOR);
    const HCALL a = busyAt202();
    const HCALL watched = announcedCall(watcher);
    ASSERT_NE(0u, watched);

    DWORD id = kUnwritten;
    EXPECT_EQ(LONG(LINEERR_INVALCALLHANDLE), lineCompleteCall(0xBAD, &id, LINECALLCOMPLMODE_CAMPON, 0));
    EXPECT_EQ(LONG(LINEERR_NOTOWNER), lineCompleteCall(watched, &id, LINECALLCOMPLMODE_CAMPON, 0));
    EXPECT_EQ(LONG(LINEERR_INVALPOINTER), lineCompleteCall(a, nullptr, LINECALLCOMPLMODE_CAMPON, 0));
    for (DWORD mode : {0u, 3u, 0x10u, 0xFu})
        EXPECT_EQ(LONG(LINEERR_INVALCALLCOMPLMODE), lineCompleteCall(a, &id, mode, 0)) << mode;
    EXPECT_EQ(LONG(LINEERR_INVALMESSAGEID), lineCompleteCall(a, &id, LINECALLCOMPLMODE_MESSAGE, 3));
    EXPECT_EQ(LONG(LINEERR_INVALCALLSTATE), lineCompleteCall(c, &id, LINECALLCOMPLMODE_CAMPON, 0))
        << "a connected call";

    // A failure in the reply writes nothing either; nothing is left pending.
    ex().faults().failNext("lineCompleteCall", LINEERR_OPERATIONFAILED);
    EXPECT_EQ(LONG(LINEERR_OPERATIONFAILED), reply(apps[0], lineCompleteCall(a, &id, LINECALLCOMPLMODE_CAMPON, 0)));
    EXPECT_EQ(kUnwritten, id);
    EXPECT_TRUE(ex().pendingCompletions().empty());

    // A busy outside number is no extension to wait for.
    EXPECT_EQ(0, reply(apps[0], lineDrop(a, nullptr, 0)));
    drain(apps[0]);
    const HCALL outside = makeCall(apps[0], lines[0], u"5550101");
    drain(apps[0]);
    EXPECT_EQ(DWORD(LINECALLSTATE_BUSY), state(outside));
    EXPECT_EQ(LONG(LINEERR_INVALCALLSTATE), lineCompleteCall(outside, &id, LINECALLCOMPLMODE_CALLBACK, 0));
    EXPECT_EQ(kUnwritten, id);
}

TEST_F(CompletionTest, IdsAreNewForEveryRequestAndALineWithoutTheFeatureRefuses)
{
    const HCALL a = busyAt202();
    const DWORD first = complete(a, LINECALLCOMPLMODE_CAMPON);
    const DWORD second = complete(a, LINECALLCOMPLMODE_CALLBACK);
    EXPECT_NE(first, second);
    const auto pending = ex().pendingCompletions();
    ASSERT_EQ(2u, pending.size());
    EXPECT_EQ(first, pending[0].id);
    EXPECT_EQ(DWORD(LINECALLCOMPLMODE_CALLBACK), pending[1].mode);
    EXPECT_EQ(1u, pending[1].targetLine);

    // The lobby line offers no completion at all.
    const HLINEAPP lobby = lineApp(u"Lobby");
    const HLINE lobbyLine = openLine(lobby, 6);
    const HCALL l = makeCall(lobby, lobbyLine, u"202");
    drain(lobby);
    DWORD id = kUnwritten;
    EXPECT_EQ(LONG(LINEERR_OPERATIONUNAVAIL), lineCompleteCall(l, &id, LINECALLCOMPLMODE_CAMPON, 0));
    EXPECT_EQ(0u, status(l).dwCallFeatures2 & 0xF0);
}

TEST_F(CompletionTest, CallBackOnBusyOffersTheCallerACallThatThenRingsTheTarget)
{
    const HCALL a = busyAt202();
    const DWORD id = complete(a, LINECALLCOMPLMODE_CALLBACK);
    EXPECT_EQ(0, reply(apps[0], lineDrop(a, nullptr, 0)));
    drain(apps[0]);

    // 203 hangs up, but 202 still holds its disconnected call: not free yet.
    EXPECT_EQ(0, reply(apps[2], lineDrop(c, nullptr, 0)));
    drain(apps[1]);
    EXPECT_TRUE(quiet(apps[0]));
    EXPECT_EQ(1u, ex().pendingCompletions().size());

    EXPECT_EQ(0, reply(apps[1], lineDrop(b, nullptr, 0)));
    const auto [back, first] = newCall(0);
    EXPECT_EQ(DWORD(LINECALLSTATE_OFFERING), first);
    EXPECT_EQ(DWORD(LINECALLREASON_CALLCOMPLETION), info(back).dwReason);
    EXPECT_EQ(id, info(back).dwCompletionID);
    EXPECT_EQ(u"202", callerOf(back));
    EXPECT_TRUE(ex().pendingCompletions().empty());
    drain(apps[0]);

    EXPECT_EQ(0, reply(apps[0], lineAnswer(back, nullptr, 0)));
    EXPECT_EQ((Calls{{back, LINECALLSTATE_RINGBACK}}), states(0));
    const auto [rung, offered] = newCall(1);
    EXPECT_EQ(DWORD(LINECALLSTATE_OFFERING), offered);
    EXPECT_EQ(u"201", callerOf(rung));
    answerAt202(rung);
    EXPECT_EQ(DWORD(LINECALLSTATE_CONNECTED), state(back));
    EXPECT_EQ(DWORD(LINECALLSTATE_CONNECTED), state(rung));
    EXPECT_EQ(u"202", connectedOf(back));
    EXPECT_EQ(u"201", connectedOf(rung));
}

TEST_F(CompletionTest, CallBackOnNoAnswerWaitsForTheTargetsNextCallNotTheOriginal)
{
    const HCALL a = ringingAt202();
    complete(a, LINECALLCOMPLMODE_CALLBACK);
    EXPECT_EQ(0, reply(apps[0], lineDrop(a, nullptr, 0)));
    drain(apps[0]);
    drain(apps[1]);
    EXPECT_EQ(0, reply(apps[1], lineDrop(b, nullptr, 0))) << "the original call ends at the target";
    drain(apps[1]);
    EXPECT_TRUE(quiet(apps[0]));
    EXPECT_EQ(1u, ex().pendingCompletions().size());

    // 202 makes a call of its own; when that ends, 201 is called back.
    const HCALL own = makeCall(apps[1], lines[1], u"203");
    drain(apps[1]);
    drain(apps[2]);
    EXPECT_TRUE(quiet(apps[0]));
    EXPECT_EQ(0, reply(apps[1], lineDrop(own, nullptr, 0)));
    const auto [back, first] = newCall(0);
    EXPECT_EQ(DWORD(LINECALLSTATE_OFFERING), first);
    EXPECT_EQ(DWORD(LINECALLREASON_CALLCOMPLETION), info(back).dwReason);
}

TEST_F(CompletionTest, CampOnRingsTheTargetWithTheWaitingCall)
{
    const HCALL a = busyAt202();
    complete(a, LINECALLCOMPLMODE_CAMPON);
    EXPECT_EQ(0, reply(apps[1], lineDrop(b, nullptr, 0)));
    drain(apps[2]);

    EXPECT_EQ((Calls{{a, LINECALLSTATE_RINGBACK}}), states(0));
    const auto [rung, offered] = newCall(1);
    EXPECT_EQ(DWORD(LINECALLSTATE_OFFERING), offered);
    EXPECT_EQ(DWORD(LINECALLREASON_CALLCOMPLETION), info(rung).dwReason);
    EXPECT_EQ(u"201", callerOf(rung));
    EXPECT_TRUE(ex().pendingCompletions().empty());
    answerAt202(rung);
    EXPECT_EQ(DWORD(LINECALLSTATE_CONNECTED), state(a));
    EXPECT_EQ(DWORD(LINECALLSTATE_CONNECTED), state(rung));
}

TEST_F(CompletionTest, CampOnAfterTheCallerHungUpCallsTheCallerBack)
{
    const HCALL a = busyAt202();
    const DWORD id = complete(a, LINECALLCOMPLMODE_CAMPON);
    EXPECT_EQ(0, reply(apps[0], lineDrop(a, nullptr, 0)));
    drain(apps[0]);
    EXPECT_EQ(0, reply(apps[1], lineDrop(b, nullptr, 0)));
    const auto [back, first] = newCall(0);
    EXPECT_EQ(DWORD(LINECALLSTATE_OFFERING), first);
    EXPECT_EQ(id, info(back).dwCompletionID);
    EXPECT_EQ(u"202", callerOf(back));
    for (const Msg &m : drain(apps[1]))
        EXPECT_NE(DWORD(LINE_APPNEWCALL), m.id) << "the target is not rung before the caller answers";
}

TEST_F(CompletionTest, APendingCompletionIsForgottenWithTheCallersLine)
{
    const HCALL a = busyAt202();
    complete(a, LINECALLCOMPLMODE_CALLBACK);
    ASSERT_TRUE(ex().removeLine(0));
    EXPECT_TRUE(ex().pendingCompletions().empty());
    drain(apps[1]);
    EXPECT_EQ(0, reply(apps[1], lineDrop(b, nullptr, 0)));
    EXPECT_TRUE(ex().legsOn(0).empty()) << "nobody is called back on a removed line";
}

TEST_F(CompletionTest, ACallBackWhoseTargetWentAwayIsDisconnectedWhenAnswered)
{
    const HCALL a = busyAt202();
    complete(a, LINECALLCOMPLMODE_CALLBACK);
    EXPECT_EQ(0, reply(apps[0], lineDrop(a, nullptr, 0)));
    drain(apps[0]);
    EXPECT_EQ(0, reply(apps[1], lineDrop(b, nullptr, 0)));
    const HCALL back = newCall(0).first;
    ASSERT_TRUE(ex().removeLine(1));
    drain(apps[0]);
    EXPECT_EQ(0, reply(apps[0], lineAnswer(back, nullptr, 0)));
    const LINECALLSTATUS s = status(back);
    EXPECT_EQ(DWORD(LINECALLSTATE_DISCONNECTED), s.dwCallState);
    EXPECT_EQ(DWORD(LINEDISCONNECTMODE_UNREACHABLE), s.dwCallStateMode);
}

TEST_F(CompletionTest, IntrudeAnswersAnUnansweredCallAtOnce)
{
    const HCALL a = ringingAt202();
    complete(a, LINECALLCOMPLMODE_INTRUDE);
    EXPECT_EQ((Calls{{a, LINECALLSTATE_CONNECTED}}), states(0));
    EXPECT_EQ((Calls{{b, LINECALLSTATE_CONNECTED}}), states(1));
    EXPECT_TRUE(ex().pendingCompletions().empty());
}

TEST_F(CompletionTest, IntrudeOnABusyTargetHoldsItsCallAndConnectsTheCaller)
{
    const HCALL a = busyAt202();
    complete(a, LINECALLCOMPLMODE_INTRUDE);
    const HCALL in = announcedCall(apps[1]);
    ASSERT_NE(0u, in);
    EXPECT_EQ(DWORD(LINECALLSTATE_ONHOLD), state(b));
    EXPECT_EQ(DWORD(LINECALLSTATE_CONNECTED), state(in));
    EXPECT_EQ(DWORD(LINECALLREASON_CALLCOMPLETION), info(in).dwReason);
    EXPECT_EQ(u"201", callerOf(in));
    EXPECT_EQ(DWORD(LINECALLSTATE_CONNECTED), state(a));
    EXPECT_EQ(u"202", connectedOf(a));
    EXPECT_EQ(DWORD(LINECALLSTATE_CONNECTED), state(c)) << "203 waits, held at 202";
    EXPECT_TRUE(ex().pendingCompletions().empty());
}

TEST_F(CompletionTest, MessageLeavesMessageWaitingAtTheTarget)
{
    ASSERT_EQ(0, lineSetStatusMessages(lines[1], LINEDEVSTATE_MSGWAITON | LINEDEVSTATE_MSGWAITOFF, 0));
    const HCALL a = busyAt202();
    const DWORD id = complete(a, LINECALLCOMPLMODE_MESSAGE, 1);

    const Msg m = next(apps[1]);
    EXPECT_EQ(DWORD(LINE_LINEDEVSTATE), m.id) << messageName(m.id);
    EXPECT_EQ(DWORD_PTR(LINEDEVSTATE_MSGWAITON), m.p1);
    LINEDEVSTATUS s{};
    s.dwTotalSize = sizeof s;
    ASSERT_EQ(0, lineGetLineDevStatus(lines[1], &s));
    EXPECT_TRUE(s.dwDevStatusFlags & LINEDEVSTATUSFLAGS_MSGWAIT);
    const auto left = ex().completionMessages(1);
    ASSERT_EQ(1u, left.size());
    EXPECT_EQ(id, left[0].completionId);
    EXPECT_EQ(1u, left[0].messageId);
    EXPECT_EQ(u"201", left[0].caller);
    EXPECT_TRUE(ex().pendingCompletions().empty());
    EXPECT_EQ(DWORD(LINECALLSTATE_BUSY), state(a)) << "the call itself stays as it was";

    // A second message: the flag is on already, so no second event.
    complete(a, LINECALLCOMPLMODE_MESSAGE, 0);
    EXPECT_TRUE(quiet(apps[1]));
    EXPECT_EQ(2u, ex().completionMessages(1).size());
}

TEST_F(CompletionTest, CallFeaturesFollowTheOfferedModes)
{
    constexpr DWORD all = LINECALLFEATURE2_COMPLCAMPON | LINECALLFEATURE2_COMPLCALLBACK |
                          LINECALLFEATURE2_COMPLINTRUDE | LINECALLFEATURE2_COMPLMESSAGE;
    const HCALL a = busyAt202();
    EXPECT_TRUE(status(a).dwCallFeatures & LINECALLFEATURE_COMPLETECALL);
    EXPECT_EQ(all, status(a).dwCallFeatures2 & all);
    EXPECT_FALSE(status(c).dwCallFeatures & LINECALLFEATURE_COMPLETECALL) << "connected";
    EXPECT_EQ(0u, status(c).dwCallFeatures2 & all);

    ex().changeLine(0, [](exchange::LineConfig &l) {
        l.addresses[0].caps.dwCallCompletionModes = LINECALLCOMPLMODE_CAMPON | LINECALLCOMPLMODE_MESSAGE;
    });
    EXPECT_EQ(DWORD(LINECALLFEATURE2_COMPLCAMPON | LINECALLFEATURE2_COMPLMESSAGE), status(a).dwCallFeatures2 & all);
    DWORD id = kUnwritten;
    EXPECT_EQ(LONG(LINEERR_INVALCALLCOMPLMODE), lineCompleteCall(a, &id, LINECALLCOMPLMODE_CALLBACK, 0));

    EXPECT_EQ(0, reply(apps[0], lineDrop(a, nullptr, 0)));
    drain(apps[0]);
    const HCALL outside = makeCall(apps[0], lines[0], u"5550101");
    EXPECT_FALSE(status(outside).dwCallFeatures & LINECALLFEATURE_COMPLETECALL) << "busy outside";
}

TEST_F(CompletionTest, AddressCapsListTheModesAndFixedSizeMessages)
{
    std::vector<uint8_t> buffer(1024);
    auto *caps = reinterpret_cast<LINEADDRESSCAPS *>(buffer.data());
    caps->dwTotalSize = DWORD(buffer.size());
    ASSERT_EQ(0, lineGetAddressCapsW(apps[0], 0, 0, 0x00030000, 0, caps));
    EXPECT_EQ(0xFu, caps->dwCallCompletionModes);
    ASSERT_EQ(3u, caps->dwNumCompletionMessages);
    const DWORD entry = caps->dwCompletionMsgTextEntrySize;
    EXPECT_EQ(sizeof "I will call again", entry) << "the longest with its terminator";
    EXPECT_EQ(3 * entry, caps->dwCompletionMsgTextSize);
    ASSERT_LE(caps->dwCompletionMsgTextOffset + caps->dwCompletionMsgTextSize, caps->dwUsedSize);
    const char *texts = reinterpret_cast<const char *>(buffer.data() + caps->dwCompletionMsgTextOffset);
    EXPECT_EQ(std::string("Please call back"), std::string(texts));
    EXPECT_EQ(std::string("Urgent: call me"), std::string(texts + entry));
    EXPECT_EQ(std::string("I will call again"), std::string(texts + 2 * entry));
    EXPECT_EQ(0, texts[entry - 1]) << "zero-padded";
    EXPECT_EQ(0, texts[2 * entry - 2]);

    caps->dwTotalSize = DWORD(buffer.size());
    ASSERT_EQ(0, lineGetAddressCapsW(apps[0], 6, 0, 0x00030000, 0, caps));
    EXPECT_EQ(0u, caps->dwCallCompletionModes) << "the lobby";
    EXPECT_EQ(0u, caps->dwNumCompletionMessages);
    EXPECT_EQ(0u, caps->dwCompletionMsgTextSize);
}

} // namespace
