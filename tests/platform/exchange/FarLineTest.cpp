// Far lines without a network: what the exchange asks of the network, in
// which order, and how replies wait for the network's answer (or its guard).
#include <exchange/Exchange.h>

#include <gtest/gtest.h>

#include <mutex>

using namespace exchange;
using Kind = FarCommand::Kind;

namespace {

class Recorder : public EventSink, public FarPort {
public:
    void deliver(const std::vector<Event> &events) override
    {
        std::lock_guard lock(mutex);
        all.insert(all.end(), events.begin(), events.end());
    }
    void send(std::vector<FarCommand> commands) override
    {
        std::lock_guard lock(mutex);
        sent.insert(sent.end(), commands.begin(), commands.end());
    }
    std::vector<FarCommand> commands()
    {
        std::lock_guard lock(mutex);
        return std::exchange(sent, {});
    }
    /// The replies (request, result) and the states of `leg`, in order, as "R7=0" and "S<state>".
    std::vector<std::string> trail(LegId leg)
    {
        std::lock_guard lock(mutex);
        std::vector<std::string> out;
        for (const Event &e : std::exchange(all, {})) {
            if (e.kind == Event::Kind::RequestDone)
                out.push_back("R" + std::to_string(e.requestId) + "=" + std::to_string(e.result));
            else if (e.kind == Event::Kind::LegState && e.leg == leg)
                out.push_back("S" + std::to_string(e.state));
        }
        return out;
    }
    std::mutex mutex;
    std::vector<Event> all;
    std::vector<FarCommand> sent;
};

Topology withFarLine()
{
    Topology t = Topology::standard();
    t.lines.push_back(LineConfig::farLine(u"Sam (SIP)", u"301", u"Sam Sipp"));
    t.farGuard = Millis(2000);
    return t;
}

std::string S(DWORD state)
{
    return "S" + std::to_string(state);
}

class FarLineTest : public ::testing::Test {
protected:
    FarLineTest() : ex(withFarLine(), std::make_unique<ManualClock>())
    {
        ex.setSink(&rec);
        ex.setFarPort(&rec);
        far = DWORD(ex.topology().lines.size() - 1);
        ex.setLineStatus(far, LINEDEVSTATUSFLAGS_INSERVICE, true);
        ex.waitIdle();
        rec.trail(0);
    }
    ~FarLineTest() override
    {
        ex.setSink(nullptr);
        ex.setFarPort(nullptr);
        ex.waitIdle();
    }
    /// A call from the far line to `number`, answered by the network.
    LegId connectedCall(std::u16string number = u"5550100")
    {
        ex.requestCreating({1}, [&](const Switchboard &b) { return b.calls().checkMakeCall(far, 0, number); },
                           [&](Switchboard &b, uint32_t id) { b.makeCall(id, far, 0, number, {}); });
        ex.waitIdle();
        const LegId leg = ex.legsOn(far).back();
        EXPECT_EQ(0, ex.remoteAnswer(leg));
        ex.waitIdle();
        rec.trail(leg);
        rec.commands();
        return leg;
    }
    template <class Check, class Act> void request(uint32_t id, Check check, Act act)
    {
        ASSERT_EQ(0, ex.request({id}, check, act));
        ex.waitIdle();
    }
    void hold(uint32_t id, LegId leg)
    {
        request(id, [leg](const Switchboard &b) { return b.calls().checkHold(leg); },
                [leg](Switchboard &b) { b.calls().hold(leg); });
    }

    Recorder rec;
    Exchange ex;
    DWORD far = 0;
};

TEST_F(FarLineTest, ACallGoesOutAndFollowsTheNetwork)
{
    ex.requestCreating({1}, [&](const Switchboard &b) { return b.calls().checkMakeCall(far, 0, u"5550199"); },
                       [&](Switchboard &b, uint32_t id) { b.makeCall(id, far, 0, u"5550199", {}); });
    ex.waitIdle();
    const LegId leg = ex.legsOn(far).back();
    const std::vector<FarCommand> sent = rec.commands();
    ASSERT_EQ(1u, sent.size());
    EXPECT_EQ(Kind::Invite, sent[0].kind);
    EXPECT_EQ(u"5550199", sent[0].text);
    EXPECT_EQ(u"Sam Sipp", sent[0].callerName);
    EXPECT_EQ(leg, sent[0].leg);
    // No rule answers: the call waits for the network in DIALING.
    ex.advance(Millis(60000));
    EXPECT_EQ(DWORD(LINECALLSTATE_DIALING), ex.legState(leg));
    EXPECT_EQ(0, ex.remoteProgress(leg, LINECALLSTATE_PROCEEDING));
    EXPECT_EQ(0, ex.remoteProgress(leg, LINECALLSTATE_RINGBACK));
    EXPECT_EQ(LONG(LINEERR_INVALCALLSTATE), ex.remoteProgress(leg, LINECALLSTATE_CONNECTED));
    EXPECT_EQ(0, ex.remoteDisconnect(leg, LINEDISCONNECTMODE_BUSY));
    ex.waitIdle();
    EXPECT_EQ((std::vector<std::string>{"R1=0", S(LINECALLSTATE_DIALTONE), S(LINECALLSTATE_DIALING),
                                        S(LINECALLSTATE_PROCEEDING), S(LINECALLSTATE_RINGBACK),
                                        S(LINECALLSTATE_BUSY)}),
              rec.trail(leg));
    // The network ended the dialog: dropping the call sends nothing more.
    ex.modify([&](Switchboard &b) {
        // Nobody holds a handle here, so the exchange may have let the ended call go already.
        if (b.calls().checkDrop(leg) == 0)
            b.calls().drop(leg, {});
    });
    ex.waitIdle();
    EXPECT_TRUE(rec.commands().empty());

    // A SIP URI is passed on whole on a far line, and refused by the others.
    ex.inspect([&](const Switchboard &b) {
        EXPECT_EQ(0, b.calls().checkMakeCall(far, 0, u"SIP:bob@example.org;transport=tcp"));
        EXPECT_EQ(LONG(LINEERR_INVALADDRESS), b.calls().checkMakeCall(far, 0, u"sip:bob@example.org\r\nX: 1"));
        EXPECT_EQ(LONG(LINEERR_INVALADDRESS), b.calls().checkMakeCall(0, 0, u"sip:bob@example.org"));
        return 0;
    });
    ex.modify([&](Switchboard &b) { b.makeCall(2, far, 0, u"sips:bob@example.org", {}); });
    ex.waitIdle();
    EXPECT_EQ(u"sips:bob@example.org", rec.commands().at(0).text);
}

TEST_F(FarLineTest, HoldRepliesWhenTheNetworkAnswersOrTheGuardFires)
{
    const LegId leg = connectedCall();
    hold(7, leg);
    const std::vector<FarCommand> sent = rec.commands();
    ASSERT_EQ(1u, sent.size());
    EXPECT_EQ(Kind::Hold, sent[0].kind);
    EXPECT_EQ(7u, sent[0].request);
    EXPECT_TRUE(rec.trail(leg).empty()); // no reply, no state before the network answers
    ex.farEndDone(7, 0);
    ex.waitIdle();
    EXPECT_EQ((std::vector<std::string>{"R7=0", S(LINECALLSTATE_ONHOLD)}), rec.trail(leg));

    // Unhold the network never answers: the guard fails it and the call stays held.
    request(8, [leg](const Switchboard &b) { return b.calls().checkUnhold(leg); },
            [leg](Switchboard &b) { b.calls().unhold(leg); });
    EXPECT_EQ(Kind::Resume, rec.commands().at(0).kind);
    ex.advance(Millis(2000));
    EXPECT_EQ((std::vector<std::string>{"R8=" + std::to_string(LONG(LINEERR_OPERATIONFAILED))}), rec.trail(leg));
    ex.farEndDone(8, 0); // too late: ignored
    ex.waitIdle();
    EXPECT_TRUE(rec.trail(leg).empty());
    EXPECT_EQ(DWORD(LINECALLSTATE_ONHOLD), ex.legState(leg));

    // A refusal replies with the error and changes nothing; a drop ends the dialog.
    request(9, [leg](const Switchboard &b) { return b.calls().checkUnhold(leg); },
            [leg](Switchboard &b) { b.calls().unhold(leg); });
    ex.farEndDone(9, LINEERR_OPERATIONFAILED);
    ex.modify([&](Switchboard &b) {
        // Nobody holds a handle here, so the exchange may have let the ended call go already.
        if (b.calls().checkDrop(leg) == 0)
            b.calls().drop(leg, {});
    });
    ex.waitIdle();
    const std::vector<FarCommand> after = rec.commands();
    ASSERT_EQ(2u, after.size());
    EXPECT_EQ(Kind::Hangup, after[1].kind);
    EXPECT_EQ(leg, after[1].leg);
}

TEST_F(FarLineTest, TransfersWaitForTheNetworkThenEndTheCalls)
{
    const LegId first = connectedCall(u"5550100");
    request(3, [first](const Switchboard &b) { return b.transfers().checkBlindTransfer(first, u"5550111"); },
            [first](Switchboard &b) { b.transfers().blindTransfer(first, u"5550111"); });
    std::vector<FarCommand> sent = rec.commands();
    ASSERT_EQ(1u, sent.size());
    EXPECT_EQ(Kind::Refer, sent[0].kind);
    EXPECT_EQ(u"5550111", sent[0].text);
    ex.farEndDone(3, 0);
    ex.waitIdle();
    EXPECT_EQ((std::vector<std::string>{"R3=0", S(LINECALLSTATE_IDLE)}), rec.trail(first));
    sent = rec.commands();
    ASSERT_EQ(1u, sent.size());
    EXPECT_EQ(Kind::Hangup, sent[0].kind); // the dialog ends with a BYE

    // Consultation transfer: the held call is referred to the consultation call's party.
    const LegId held = connectedCall(u"5550100");
    hold(4, held);
    ex.farEndDone(4, 0);
    const LegId consult = connectedCall(u"5550122");
    ex.requestCreating(
        {5}, [&](const Switchboard &b) { return b.transfers().checkCompleteTransfer(held, consult, LINETRANSFERMODE_TRANSFER); },
        [&](Switchboard &b, uint32_t id) { b.transfers().completeTransfer(id, held, consult, LINETRANSFERMODE_TRANSFER); });
    ex.waitIdle();
    sent = rec.commands();
    ASSERT_EQ(1u, sent.size());
    EXPECT_EQ(Kind::ReferReplacing, sent[0].kind);
    EXPECT_EQ(held, sent[0].leg);
    EXPECT_EQ(consult, sent[0].other);
    ex.farEndDone(5, 0);
    ex.waitIdle();
    EXPECT_TRUE(ex.legsOn(far).empty());
    EXPECT_EQ(2u, rec.commands().size()); // BYE on both dialogs
}

TEST_F(FarLineTest, CallsFromTheNetworkAreAnsweredRedirectedOrForwarded)
{
    const LegId leg = ex.farIncomingCall(far, PartyId::of(u"+495551234", u"Dora Engel"), nullptr);
    ASSERT_NE(0u, leg);
    ex.waitIdle();
    EXPECT_EQ(DWORD(LINECALLSTATE_OFFERING), ex.legState(leg));
    ex.modify([&](Switchboard &b) { b.calls().answer(leg, {}); });
    ex.waitIdle();
    EXPECT_EQ(Kind::Answer, rec.commands().at(0).kind);
    EXPECT_EQ(0, ex.remoteHangUp(leg));
    ex.modify([&](Switchboard &b) {
        // Nobody holds a handle here, so the exchange may have let the ended call go already.
        if (b.calls().checkDrop(leg) == 0)
            b.calls().drop(leg, {});
    });
    ex.waitIdle();
    EXPECT_TRUE(rec.commands().empty()); // the far end hung up already

    const LegId offered = ex.farIncomingCall(far, PartyId::of(u"5550100", {}), nullptr);
    ex.modify([&](Switchboard &b) { b.parking().redirect(offered, u"sip:desk@example.org"); });
    ex.waitIdle();
    std::vector<FarCommand> sent = rec.commands();
    ASSERT_EQ(1u, sent.size()); // a 302, and no decline after it
    EXPECT_EQ(Kind::Redirect, sent[0].kind);
    EXPECT_EQ(u"sip:desk@example.org", sent[0].text);

    ex.modify([&](Switchboard &b) {
        b.forwarding().forward(far, false, 0, std::vector<ForwardEntry>{{LINEFORWARDMODE_UNCOND, {}, u"5550177", 0}},
                               0);
    });
    std::u16string divert;
    EXPECT_EQ(0u, ex.farIncomingCall(far, PartyId::of(u"5550100", {}), &divert));
    EXPECT_EQ(u"5550177", divert);
}

TEST_F(FarLineTest, WhatADialogCannotCarryIsUnavailable)
{
    const LegId leg = connectedCall();
    ex.inspect([&](const Switchboard &b) {
        EXPECT_EQ(LONG(LINEERR_OPERATIONUNAVAIL), b.parking().checkPark(leg, LINEPARKMODE_NONDIRECTED, {}));
        EXPECT_EQ(LONG(LINEERR_OPERATIONUNAVAIL), b.conferences().checkSetup(leg, far, 0, 3));
        EXPECT_NE(0, b.calls().checkSendUserUserInfo(leg, 4));
        return 0;
    });
}

} // namespace
