// A day in a small office on the default topology, told through the C API:
// Anna (201), Ben (202), Carl (203) and Dana, the agent (204), each run their
// own application. Every episode starts from a quiet office.
#include "TapiFixture.h"

#include <cstddef>
#include <cstring>

using namespace tapitest;

namespace {

constexpr int kAnna = 0, kBen = 1, kCarl = 2, kDana = 3;
const char16_t *const kCustomer = u"5551234";

class OfficeDayTest : public TapiFixture {
protected:
    void SetUp() override
    {
        TapiFixture::SetUp();
        // Ben's extension takes one call at a time, so a second call finds it busy.
        exchange::Topology t = exchange::Topology::standard();
        t.lines[kBen].addresses[0].caps.dwMaxNumOnHoldCalls = 0;
        useTopology(std::move(t));
        const char16_t *names[] = {u"Anna", u"Ben", u"Carl", u"Dana"};
        for (int i = 0; i < 4; ++i) {
            apps[i] = lineApp(names[i]);
            lines[i] = openLine(apps[i], DWORD(i));
        }
    }

    /// The call LINE_APPNEWCALL announced to someone (other messages drained).
    HCALL ringsAt(int who) { return announcedCall(apps[who]); }

    /// A customer from outside calls someone's extension.
    HCALL customerCalls(int who)
    {
        EXPECT_NE(0u, ex().incomingCall(DWORD(who), 0, kCustomer, u"Dora Engel"));
        return ringsAt(who);
    }

    void answer(int who, HCALL call)
    {
        EXPECT_EQ(0, reply(apps[who], lineAnswer(call, nullptr, 0)));
        drain(apps[who]);
    }

    /// `from` calls `to`'s extension, `to` answers; both handles.
    std::pair<HCALL, HCALL> talk(int from, int to)
    {
        const char16_t *numbers[] = {u"201", u"202", u"203", u"204"};
        const HCALL caller = makeCall(apps[from], lines[from], numbers[to]);
        const HCALL called = ringsAt(to);
        answer(to, called);
        drain(apps[from]);
        return {caller, called};
    }

    LONG replyAfterStates(int who, LONG requestId) { return TapiFixture::replyAfterStates(apps[who], requestId); }

    HLINEAPP apps[4] = {};
    HLINE lines[4] = {};
};

/// A forward list of one entry.
std::vector<uint8_t> forwardOne(DWORD mode, const std::u16string &dest)
{
    const size_t head = offsetof(LINEFORWARDLIST, ForwardList) + sizeof(LINEFORWARD);
    std::vector<uint8_t> buffer(head + (dest.size() + 1) * 2);
    LINEFORWARD entry{};
    entry.dwForwardMode = mode;
    entry.dwDestAddressOffset = DWORD(head);
    entry.dwDestAddressSize = DWORD((dest.size() + 1) * 2);
    std::memcpy(buffer.data() + offsetof(LINEFORWARDLIST, ForwardList), &entry, sizeof entry);
    std::memcpy(buffer.data() + head, dest.c_str(), entry.dwDestAddressSize);
    auto *list = reinterpret_cast<LINEFORWARDLIST *>(buffer.data());
    list->dwTotalSize = DWORD(buffer.size());
    list->dwNumEntries = 1;
    return buffer;
}

TEST_F(OfficeDayTest, MorningACustomerReachesCarlWhileBenIsOnThePhone)
{
    // Ben forwards his extension to Carl for when he is busy.
    std::vector<uint8_t> list = forwardOne(LINEFORWARDMODE_BUSY, u"203");
    EXPECT_EQ(0, reply(apps[kBen], lineForwardW(lines[kBen], FALSE, 0, reinterpret_cast<LINEFORWARDLIST *>(list.data()),
                                                3, nullptr, nullptr)));
    drain(apps[kBen]);

    // Anna and Ben talk; a customer calls Ben and rings at Carl instead.
    auto [anna, ben] = talk(kAnna, kBen);
    ASSERT_NE(0u, ex().incomingCall(kBen, 0, kCustomer, u"Dora Engel"));
    const HCALL atCarl = ringsAt(kCarl);
    EXPECT_EQ(DWORD(LINECALLREASON_FWDBUSY), info(atCarl).dwReason);
    answer(kCarl, atCarl);
    EXPECT_EQ(DWORD(LINECALLSTATE_CONNECTED), state(atCarl));
    EXPECT_EQ(DWORD(LINECALLSTATE_CONNECTED), state(ben)) << "Ben's own call is untouched";
}

TEST_F(OfficeDayTest, AnnaHandsACustomerOverToBenAfterAskingHim)
{
    const HCALL customer = customerCalls(kAnna);
    answer(kAnna, customer);

    // Anna holds the customer and calls Ben on a consultation call.
    HCALL consult = 0;
    EXPECT_EQ(0, replyAfterStates(kAnna, lineSetupTransferW(customer, &consult, nullptr)));
    ASSERT_NE(0u, consult);
    drain(apps[kAnna]);
    EXPECT_EQ(DWORD(LINECALLSTATE_ONHOLDPENDTRANSFER), state(customer));
    EXPECT_EQ(DWORD(LINECALLSTATE_DIALTONE), state(consult));
    EXPECT_EQ(0, reply(apps[kAnna], lineDialW(consult, u"202", 0)));
    const HCALL ben = ringsAt(kBen);
    answer(kBen, ben);
    drain(apps[kAnna]);

    // Ben agrees: Anna completes the transfer and is free again.
    EXPECT_EQ(0, reply(apps[kAnna], lineCompleteTransfer(customer, consult, nullptr, LINETRANSFERMODE_TRANSFER)));
    drain(apps[kAnna]);
    EXPECT_EQ(DWORD(LINECALLSTATE_IDLE), state(customer));
    EXPECT_EQ(DWORD(LINECALLSTATE_IDLE), state(consult));
    drain(apps[kBen]);
    EXPECT_EQ(DWORD(LINECALLSTATE_CONNECTED), state(ben));
}

TEST_F(OfficeDayTest, NoonAnnaHoldsAMeetingOfThreeAndCarlLeavesEarly)
{
    auto [anna, ben] = talk(kAnna, kBen);
    HCALL conf = 0, consult = 0;
    EXPECT_EQ(0, reply(apps[kAnna], lineSetupConferenceW(anna, 0, &conf, &consult, 3, nullptr)));
    drain(apps[kAnna]);
    EXPECT_EQ(0, reply(apps[kAnna], lineDialW(consult, u"203", 0)));
    const HCALL carl = ringsAt(kCarl);
    answer(kCarl, carl);
    drain(apps[kAnna]);
    EXPECT_EQ(0, reply(apps[kAnna], lineAddToConference(conf, consult)));
    drain(apps[kAnna]);
    EXPECT_EQ(DWORD(LINECALLSTATE_CONNECTED), state(conf));
    EXPECT_EQ(DWORD(LINECALLSTATE_CONFERENCED), state(anna));
    EXPECT_EQ(DWORD(LINECALLSTATE_CONFERENCED), state(consult));
    EXPECT_EQ(DWORD(LINECALLORIGIN_CONFERENCE), info(conf).dwOrigin);

    // Carl is taken out; Anna and Ben go on talking.
    EXPECT_EQ(0, reply(apps[kAnna], lineRemoveFromConference(consult)));
    drain(apps[kCarl]);
    EXPECT_EQ(DWORD(LINECALLSTATE_DISCONNECTED), state(carl));
    drain(apps[kAnna]);
    EXPECT_EQ(DWORD(LINECALLSTATE_CONNECTED), state(anna));
    drain(apps[kBen]);
    EXPECT_EQ(DWORD(LINECALLSTATE_CONNECTED), state(ben));
}

TEST_F(OfficeDayTest, AfternoonBenParksACustomerAndCarlFetchesIt)
{
    const HCALL customer = customerCalls(kBen);
    answer(kBen, customer);
    EXPECT_EQ(0, reply(apps[kBen], lineParkW(customer, LINEPARKMODE_DIRECTED, u"7003", nullptr)));
    drain(apps[kBen]);
    EXPECT_EQ(DWORD(LINECALLSTATE_IDLE), state(customer));

    HCALL carl = 0;
    EXPECT_EQ(0, reply(apps[kCarl], lineUnparkW(lines[kCarl], 0, &carl, u"7003")));
    ASSERT_NE(0u, carl);
    drain(apps[kCarl]);
    EXPECT_EQ(DWORD(LINECALLSTATE_CONNECTED), state(carl));
    EXPECT_EQ(LONG(LINEERR_OPERATIONFAILED), lineUnparkW(lines[kAnna], 0, &carl, u"7003")) << "nothing is left there";
}

TEST_F(OfficeDayTest, DanaIsAwaySoCarlPicksUpHerRingingPhone)
{
    const HCALL ringing = customerCalls(kDana);
    HCALL carl = 0;
    EXPECT_EQ(0, reply(apps[kCarl], linePickupW(lines[kCarl], 0, &carl, nullptr, u"1")));
    ASSERT_NE(0u, carl);
    drain(apps[kCarl]);
    EXPECT_EQ(DWORD(LINECALLSTATE_CONNECTED), state(carl));
    EXPECT_EQ(DWORD(LINECALLREASON_PICKUP), info(carl).dwReason);
    drain(apps[kDana]);
    EXPECT_EQ(DWORD(LINECALLSTATE_IDLE), state(ringing));
}

TEST_F(OfficeDayTest, EveningDanaLogsInAsAnAgentAndGoesBusy)
{
    const LONG login = lineSetAgentState(lines[kDana], 0, LINEAGENTSTATE_READY, LINEAGENTSTATE_READY);
    if (login == LONG(LINEERR_OPERATIONUNAVAIL))
        GTEST_SKIP() << "the exchange does not carry out agent states yet";
    EXPECT_EQ(0, reply(apps[kDana], login));
    drain(apps[kDana]);
    LINEAGENTSTATUS agent{};
    agent.dwTotalSize = sizeof agent;
    EXPECT_EQ(0, reply(apps[kDana], lineGetAgentStatusW(lines[kDana], 0, &agent)));
    EXPECT_EQ(DWORD(LINEAGENTSTATE_READY), agent.dwState);

    EXPECT_EQ(0, reply(apps[kDana], lineSetAgentState(lines[kDana], 0, LINEAGENTSTATE_BUSYACD, 0)));
    drain(apps[kDana]);
    agent = {};
    agent.dwTotalSize = sizeof agent;
    EXPECT_EQ(0, reply(apps[kDana], lineGetAgentStatusW(lines[kDana], 0, &agent)));
    EXPECT_EQ(DWORD(LINEAGENTSTATE_BUSYACD), agent.dwState);

    EXPECT_EQ(LONG(LINEERR_OPERATIONUNAVAIL), lineSetAgentState(lines[kAnna], 0, LINEAGENTSTATE_READY, 0))
        << "Anna is no agent";
}

} // namespace
