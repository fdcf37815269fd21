// What a dialer sees when the exchange behaves like an untidy provider:
// each option alone, through the published functions.
#include "TapiFixture.h"

#include <algorithm>
#include <cstddef>

using namespace tapitest;
using exchange::Untidy;
using exchange::UntidyScope;

namespace {

class UntidyTest : public TapiFixture {
protected:
    void SetUp() override
    {
        TapiFixture::SetUp();
        app = lineApp(u"Untidy");
        line = openLine(app, 0);
    }

    exchange::UntidyOptions &untidy() { return ex().untidy(); }

    /// An incoming call on line 0, announced and drained.
    HCALL ringing()
    {
        ex().incomingCall(0, 0, u"5551234", u"Dora");
        return announcedCall(app);
    }

    /// Index of the first message of a kind (with a first parameter), or -1.
    static int indexOf(const std::vector<Msg> &all, DWORD id, std::optional<DWORD_PTR> p1 = std::nullopt)
    {
        for (size_t i = 0; i < all.size(); ++i)
            if (all[i].id == id && (!p1 || all[i].p1 == *p1))
                return int(i);
        return -1;
    }

    static std::vector<std::pair<DWORD_PTR, DWORD_PTR>> states(const std::vector<Msg> &all)
    {
        std::vector<std::pair<DWORD_PTR, DWORD_PTR>> out;
        for (const Msg &m : all)
            if (m.id == LINE_CALLSTATE)
                out.emplace_back(m.p1, m.p2);
        return out;
    }

    HLINEAPP app = 0;
    HLINE line = 0;
};

TEST_F(UntidyTest, EffectsArriveBeforeTheReplyOfTheRequestThatCausedThem)
{
    const HCALL call = ringing();
    untidy().enable(Untidy::EffectsBeforeReply, {"lineAnswer", 0});
    untidy().enable(Untidy::EffectsBeforeReply, {"lineDrop", {}});
    for (const auto &[request, state] :
         {std::pair{"lineAnswer", LINECALLSTATE_CONNECTED}, std::pair{"lineDrop", LINECALLSTATE_IDLE}}) {
        SCOPED_TRACE(request);
        const LONG id = std::string(request) == "lineAnswer" ? lineAnswer(call, nullptr, 0) : lineDrop(call, nullptr, 0);
        ASSERT_GT(id, 0);
        const auto all = drain(app);
        const int effect = indexOf(all, LINE_CALLSTATE, state);
        const int reply = indexOf(all, LINE_REPLY, DWORD_PTR(id));
        ASSERT_GE(effect, 0);
        ASSERT_GE(reply, 0);
        EXPECT_LT(effect, reply);
        EXPECT_EQ(0u, all[reply].p2);
    }
    // Scoped to its device: another line's requests stay tidy.
    const HLINE other = openLine(app, 1);
    const HCALL made = makeCall(app, other, u"5550102");
    untidy().disable(Untidy::EffectsBeforeReply);
    untidy().enable(Untidy::EffectsBeforeReply, {"", 0});
    const LONG id = lineDrop(made, nullptr, 0);
    const auto all = drain(app);
    EXPECT_LT(indexOf(all, LINE_REPLY, DWORD_PTR(id)), indexOf(all, LINE_CALLSTATE, LINECALLSTATE_IDLE));
}

struct StateNoise {
    Untidy option;
    UntidyScope scope;
    std::vector<std::pair<DWORD_PTR, DWORD_PTR>> seen; // LINE_CALLSTATE (state, mode) after lineAnswer
    DWORD modeAfter;                                    // dwCallStateMode read afterwards
};

TEST_F(UntidyTest, CallStatesRepeatComeAsUnknownOrChangeOnlyTheirMode)
{
    using P = std::pair<DWORD_PTR, DWORD_PTR>;
    const P connected{LINECALLSTATE_CONNECTED, LINECONNECTEDMODE_ACTIVE};
    const StateNoise rows[] = {
        {Untidy::RepeatedStates, {"lineAnswer", {}}, {connected, connected}, LINECONNECTEDMODE_ACTIVE},
        {Untidy::UnknownStates, {"", 0}, {{LINECALLSTATE_UNKNOWN, 0}, connected}, LINECONNECTEDMODE_ACTIVE},
        {Untidy::ModeChanges,
         {"lineAnswer", 0},
         {connected, {LINECALLSTATE_CONNECTED, LINECONNECTEDMODE_CONFIRMED}},
         LINECONNECTEDMODE_CONFIRMED},
        // Rules for another function or device leave the call alone.
        {Untidy::RepeatedStates, {"lineDrop", {}}, {connected}, LINECONNECTEDMODE_ACTIVE},
        {Untidy::UnknownStates, {"", 3}, {connected}, LINECONNECTEDMODE_ACTIVE},
    };
    for (const StateNoise &row : rows) {
        SCOPED_TRACE(exchange::untidyName(row.option) + (" @" + row.scope.function));
        const HCALL call = ringing();
        untidy().enable(row.option, row.scope, 1);
        ASSERT_EQ(0, replyAfterStates(app, lineAnswer(call, nullptr, 0)));
        // The reply came first; the states follow it.
        EXPECT_EQ(row.seen, states(drain(app)));
        const LINECALLSTATUS s = status(call);
        EXPECT_EQ(DWORD(LINECALLSTATE_CONNECTED), s.dwCallState);
        EXPECT_EQ(row.modeAfter, s.dwCallStateMode);
        untidy().clear();
        ASSERT_EQ(0, reply(app, lineDrop(call, nullptr, 0)));
        drain(app);
        ASSERT_EQ(0, lineDeallocateCall(call));
    }
}

TEST_F(UntidyTest, StructuresComeWithANeedRaisedAgainPartlyFilledOrWithAnOpenString)
{
    auto devCaps = [&](std::vector<uint8_t> &buffer, DWORD total) {
        buffer.assign(std::max<DWORD>(total, 4096), 0xEE);
        auto *caps = reinterpret_cast<LINEDEVCAPS *>(buffer.data());
        caps->dwTotalSize = total;
        EXPECT_EQ(0, lineGetDevCapsW(app, 0, 0x00030000, 0, caps));
        return caps;
    };
    std::vector<uint8_t> buffer;

    // The need is raised once more for the buffer sized from the first answer.
    untidy().enable(Untidy::NeededSizeAgain, {"lineGetDevCapsW", 0}, 1);
    const DWORD first = devCaps(buffer, sizeof(LINEDEVCAPS))->dwNeededSize;
    const LINEDEVCAPS *caps = devCaps(buffer, first);
    EXPECT_GT(caps->dwNeededSize, first);
    EXPECT_EQ(DWORD(sizeof(LINEDEVCAPS)), caps->dwUsedSize);
    EXPECT_EQ(0u, caps->dwLineNameSize);
    caps = devCaps(buffer, caps->dwNeededSize);
    EXPECT_EQ(first, caps->dwNeededSize);
    EXPECT_EQ(first, caps->dwUsedSize);

    // Partly filled: fields past dwUsedSize point at zeros.
    untidy().enable(Untidy::PartlyFilled, {"lineGetDevCapsW", {}}, 1);
    caps = devCaps(buffer, 4096);
    EXPECT_LT(caps->dwUsedSize, caps->dwNeededSize);
    EXPECT_LE(caps->dwNeededSize, caps->dwTotalSize);
    EXPECT_TRUE(std::all_of(buffer.begin() + caps->dwUsedSize, buffer.begin() + 4096, [](uint8_t b) { return b == 0; }));
    ASSERT_GT(caps->dwLineNameSize, 0u);
    EXPECT_GE(caps->dwLineNameOffset, caps->dwUsedSize);

    // An open string: the last text ends the buffer without a terminator.
    untidy().enable(Untidy::UnterminatedStrings, {"lineGetDevCapsW", 0}, 1);
    caps = devCaps(buffer, 4000);
    EXPECT_EQ(4000u, caps->dwUsedSize);
    const DWORD offsets[] = {caps->dwProviderInfoOffset + caps->dwProviderInfoSize,
                             caps->dwSwitchInfoOffset + caps->dwSwitchInfoSize,
                             caps->dwLineNameOffset + caps->dwLineNameSize};
    EXPECT_EQ(4000u, *std::max_element(std::begin(offsets), std::end(offsets)));
    char16_t last = 0;
    std::memcpy(&last, buffer.data() + 4000 - sizeof last, sizeof last);
    EXPECT_NE(u'\0', last);

    // Each rule was used up: the next answer is tidy again.
    caps = devCaps(buffer, 4096);
    EXPECT_EQ(caps->dwNeededSize, caps->dwUsedSize);
}

TEST_F(UntidyTest, TheProviderClosesWhileARequestIsPendingAndItsReplyNeverComes)
{
    untidy().enable(Untidy::ProviderClose, {"lineMakeCallW", 0}, 1);
    HCALL call = 0;
    const LONG id = lineMakeCallW(line, &call, u"5550100", 0, nullptr);
    ASSERT_GT(id, 0);
    const auto all = drain(app);
    EXPECT_GE(indexOf(all, LINE_CLOSE), 0);
    EXPECT_EQ(-1, indexOf(all, LINE_REPLY));
    EXPECT_EQ(0u, call);
    EXPECT_TRUE(ex().legsOn(0).empty());
    LINEDEVSTATUS s{};
    s.dwTotalSize = sizeof s;
    EXPECT_EQ(LONG(LINEERR_INVALLINEHANDLE), lineGetLineDevStatus(line, &s));

    // At any moment: after a call event of the line.
    line = openLine(app, 0);
    const HCALL offered = ringing();
    untidy().enable(Untidy::ProviderClose, {"", 0}, 1);
    const LONG answer = lineAnswer(offered, nullptr, 0);
    const auto after = drain(app);
    EXPECT_LT(indexOf(after, LINE_CALLSTATE, LINECALLSTATE_CONNECTED), indexOf(after, LINE_CLOSE));
    // Its reply was queued, but a closed line's replies are withdrawn.
    EXPECT_EQ(-1, indexOf(after, LINE_REPLY, DWORD_PTR(answer)));
    EXPECT_EQ(LONG(LINEERR_INVALCALLHANDLE), lineDrop(offered, nullptr, 0));

    // A phone closes the same way.
    const HPHONEAPP phones = phoneApp();
    const HPHONE phone = openPhone(phones, 0);
    untidy().enable(Untidy::ProviderClose, {"phoneSetRing", 0}, 1);
    ASSERT_GT(phoneSetRing(phone, 1, 0x8000), 0);
    EXPECT_EQ(DWORD(PHONE_CLOSE), nextPhone(phones).id);
    EXPECT_TRUE(quietPhone(phones));
}

TEST_F(UntidyTest, MessagesStillComeForHandlesJustClosedOrDeallocated)
{
    untidy().enable(Untidy::MessagesAfterClose, {"lineDeallocateCall", {}});
    untidy().enable(Untidy::MessagesAfterClose, {"lineClose", 0});
    untidy().enable(Untidy::MessagesAfterClose, {"phoneClose", {}});

    const HCALL dropped = ringing();
    ASSERT_EQ(0, reply(app, lineDrop(dropped, nullptr, 0)));
    drain(app);
    ASSERT_EQ(0, lineDeallocateCall(dropped));
    auto all = drain(app);
    ASSERT_EQ(2u, all.size());
    EXPECT_EQ(DWORD(dropped), all[0].device);
    EXPECT_EQ(std::make_pair(DWORD(LINE_CALLSTATE), DWORD_PTR(LINECALLSTATE_IDLE)), std::make_pair(all[0].id, all[0].p1));
    EXPECT_EQ(DWORD(LINE_CALLINFO), all[1].id);

    const HCALL held = ringing();
    ASSERT_EQ(0, lineClose(line));
    all = drain(app);
    ASSERT_EQ(2u, all.size());
    EXPECT_EQ(std::make_pair(DWORD(line), DWORD(LINE_LINEDEVSTATE)), std::make_pair(all[0].device, all[0].id));
    EXPECT_EQ(std::make_pair(DWORD(held), DWORD(LINE_CALLSTATE)), std::make_pair(all[1].device, all[1].id));
    EXPECT_EQ(LONG(LINEERR_INVALCALLHANDLE), lineDeallocateCall(held));

    const HPHONEAPP phones = phoneApp();
    const HPHONE phone = openPhone(phones, 0);
    ASSERT_EQ(0, phoneClose(phone));
    const Msg m = nextPhone(phones);
    EXPECT_EQ(std::make_pair(DWORD(phone), DWORD(PHONE_STATE)), std::make_pair(m.device, m.id));
}

TEST_F(UntidyTest, TheRandomModeMakesTheSameChoicesForTheSameSeed)
{
    auto run = [&](uint64_t seed) {
        untidy().clear();
        drain(app);
        untidy().random(seed);
        std::vector<Msg> seen;
        for (int i = 0; i < 6; ++i) {
            ex().incomingCall(0, 0, u"5551234", u"Dora");
            HCALL call = 0;
            for (const Msg &m : drain(app)) {
                seen.push_back(m);
                if (m.id == LINE_APPNEWCALL)
                    call = HCALL(m.p2);
                if (m.id == LINE_CLOSE)
                    line = openLine(app, 0);
            }
            if (!call)
                continue;
            lineAnswer(call, nullptr, 0);
            lineDrop(call, nullptr, 0);
            for (const Msg &m : drain(app)) {
                seen.push_back(m);
                if (m.id == LINE_CLOSE)
                    line = openLine(app, 0);
            }
            lineDeallocateCall(call);
        }
        // Handles differ between runs; message kinds and parameters do not.
        std::vector<std::tuple<DWORD, DWORD_PTR, DWORD_PTR>> kinds;
        for (const Msg &m : seen)
            kinds.emplace_back(m.id, m.id == LINE_REPLY || m.id == LINE_APPNEWCALL ? 0 : m.p1,
                               m.id == LINE_CALLSTATE ? m.p2 : 0);
        return kinds;
    };
    const auto first = run(7);
    EXPECT_EQ(first, run(7));
    EXPECT_NE(first, run(8));
}

} // namespace
