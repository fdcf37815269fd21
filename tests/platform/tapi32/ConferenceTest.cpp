// Conference calls through the C API: set-up with and without a call,
// adding and removing parties, related calls, and how a conference ends.
#include "ThreeExtensions.h"

#include <cstring>

using namespace tapitest;

namespace {

class ConferenceTest : public ThreeExtensions {
protected:
    /// 201 talks to 202, sets up a conference, consults 203 who answers.
    void conferenceOfThree()
    {
        std::tie(a, b) = connect(0, 1);
        conferenceWithThird();
    }

    /// 201, talking to 202 on call `a`, conferences 203 in.
    void conferenceWithThird()
    {
        const LONG id = lineSetupConferenceW(a, 0, &conf, &consult, 3, nullptr);
        EXPECT_EQ(0, reply(apps[0], id));
        drain(apps[0]);
        EXPECT_EQ(0, reply(apps[0], lineDialW(consult, u"203", 0)));
        c = announced(2);
        EXPECT_EQ(0, reply(apps[2], lineAnswer(c, nullptr, 0)));
        drain(apps[0]);
        drain(apps[2]);
        EXPECT_EQ(0, reply(apps[0], lineAddToConference(conf, consult)));
        drain(apps[0]);
    }

    /// The handles lineGetConfRelatedCalls lists for a call.
    std::vector<HCALL> related(HCALL call)
    {
        std::vector<uint8_t> buffer(512);
        auto *list = reinterpret_cast<LINECALLLIST *>(buffer.data());
        list->dwTotalSize = DWORD(buffer.size());
        EXPECT_EQ(0, lineGetConfRelatedCalls(call, list));
        std::vector<HCALL> out(list->dwCallsNumEntries);
        EXPECT_EQ(out.size() * sizeof(HCALL), list->dwCallsSize);
        std::memcpy(out.data(), buffer.data() + list->dwCallsOffset, list->dwCallsSize);
        return out;
    }

    HCALL a = 0, b = 0, c = 0, conf = 0, consult = 0;
};

TEST_F(ConferenceTest, SettingUpConferencesTheCallAndConsultsAnother)
{
    std::tie(a, b) = connect(0, 1);
    EXPECT_TRUE(status(a).dwCallFeatures & LINECALLFEATURE_SETUPCONF);
    EXPECT_EQ(LONG(LINEERR_CONFERENCEFULL), lineSetupConferenceW(a, 0, &conf, &consult, 4, nullptr));
    EXPECT_EQ(LONG(LINEERR_INVALPOINTER), lineSetupConferenceW(a, 0, nullptr, &consult, 3, nullptr));
    const LONG id = lineSetupConferenceW(a, 0, &conf, &consult, 3, nullptr);
    EXPECT_EQ(0, reply(apps[0], id));
    ASSERT_NE(0u, conf);
    ASSERT_NE(0u, consult);
    // The reply announced both new calls; then the first call joins the
    // conference, which waits for the consultation call.
    Msg m = next(apps[0]);
    if (m.id == LINE_CALLINFO)
        m = next(apps[0]);
    EXPECT_EQ(a, m.device);
    EXPECT_EQ(DWORD_PTR(LINECALLSTATE_CONFERENCED), m.p1);
    EXPECT_EQ(DWORD_PTR(conf), m.p2);
    m = next(apps[0]);
    EXPECT_EQ(conf, m.device);
    EXPECT_EQ(DWORD_PTR(LINECALLSTATE_ONHOLDPENDCONF), m.p1);
    m = next(apps[0]);
    EXPECT_EQ(consult, m.device);
    EXPECT_EQ(DWORD_PTR(LINECALLSTATE_DIALTONE), m.p1);
    EXPECT_EQ(DWORD(LINECALLORIGIN_CONFERENCE), info(conf).dwOrigin);
    EXPECT_EQ(DWORD(LINECALLSTATE_CONNECTED), state(b)) << "the far party does not notice";

    // Dropping the consultation call leaves a conference of one: it dissolves.
    EXPECT_EQ(0, reply(apps[0], lineDropCall(consult)));
    drain(apps[0]);
    EXPECT_EQ(DWORD(LINECALLSTATE_IDLE), state(conf));
    EXPECT_EQ(DWORD(LINECALLSTATE_CONNECTED), state(a));
}

TEST_F(ConferenceTest, ThreePartiesAreRelatedAndOneCanBeRemoved)
{
    conferenceOfThree();
    EXPECT_EQ(DWORD(LINECALLSTATE_CONNECTED), state(conf));
    EXPECT_EQ(DWORD(LINECALLSTATE_CONFERENCED), state(consult));
    EXPECT_EQ((std::vector<HCALL>{conf, a, consult}), related(a));
    EXPECT_EQ((std::vector<HCALL>{conf, a, consult}), related(conf));
    EXPECT_EQ(LONG(LINEERR_NOCONFERENCE), lineGetConfRelatedCalls(b, nullptr));

    // The removed party is dropped (the address says IDLE); 203 hears it.
    EXPECT_EQ(LONG(LINEERR_INVALCALLSTATE), lineRemoveFromConference(conf));
    EXPECT_EQ(0, reply(apps[0], lineRemoveFromConference(consult)));
    drain(apps[2]);
    EXPECT_EQ(DWORD(LINECALLSTATE_DISCONNECTED), state(c));
    EXPECT_EQ(DWORD(LINECALLSTATE_IDLE), state(consult));
    // ... and a conference of one dissolves.
    drain(apps[0]);
    EXPECT_EQ(DWORD(LINECALLSTATE_IDLE), state(conf));
    EXPECT_EQ(DWORD(LINECALLSTATE_CONNECTED), state(a));
}

TEST_F(ConferenceTest, RelatedCallsMakeTheAskerAMonitorOfPartiesItDidNotHold)
{
    // An observer of 201 that took a handle to the first call only.
    const HLINEAPP observer = lineApp(u"Observer");
    const HLINE observed = openLine(observer, 0, LINECALLPRIVILEGE_NONE, 0);
    std::tie(a, b) = connect(0, 1);
    std::vector<uint8_t> buffer(256);
    auto *list = reinterpret_cast<LINECALLLIST *>(buffer.data());
    list->dwTotalSize = DWORD(buffer.size());
    ASSERT_EQ(0, lineGetNewCalls(observed, 0, LINECALLSELECT_LINE, list));
    ASSERT_EQ(1u, list->dwCallsNumEntries);
    HCALL first = 0;
    std::memcpy(&first, buffer.data() + list->dwCallsOffset, sizeof first);
    drain(apps[0]);
    conferenceWithThird();

    const std::vector<HCALL> calls = related(first);
    ASSERT_EQ(3u, calls.size());
    EXPECT_EQ(first, calls[1]);
    for (HCALL call : calls)
        EXPECT_EQ(DWORD(LINECALLPRIVILEGE_MONITOR), status(call).dwCallPrivilege);
    EXPECT_EQ(DWORD(LINECALLSTATE_CONNECTED), state(calls[0]));
    EXPECT_EQ(calls, related(first)); // no second set of handles
}

TEST_F(ConferenceTest, AddingAPartyPutsTheConferenceOnHoldUntilItJoins)
{
    conferenceOfThree();
    HCALL more = 0;
    EXPECT_EQ(LONG(LINEERR_INVALCONFCALLHANDLE), linePrepareAddToConferenceW(a, &more, nullptr));
    EXPECT_EQ(0, replyAfterStates(0, linePrepareAddToConferenceW(conf, &more, nullptr)));
    drain(apps[0]);
    EXPECT_EQ(DWORD(LINECALLSTATE_ONHOLDPENDCONF), state(conf));
    EXPECT_EQ(DWORD(LINECALLSTATE_DIALTONE), state(more));
    EXPECT_TRUE(status(conf).dwCallFeatures & LINECALLFEATURE_ADDTOCONF);
    EXPECT_EQ(LONG(LINEERR_INVALCALLSTATE), lineAddToConference(conf, more)) << "nobody reached yet";

    // Giving up the new party returns to the conference.
    EXPECT_EQ(0, reply(apps[0], lineDropCall(more)));
    drain(apps[0]);
    EXPECT_EQ(DWORD(LINECALLSTATE_CONNECTED), state(conf));

    // A fourth party does not fit an address of three.
    EXPECT_EQ(0, replyAfterStates(0, linePrepareAddToConferenceW(conf, &more, nullptr)));
    drain(apps[0]);
    EXPECT_EQ(0, reply(apps[0], lineDialW(more, u"5550105", 0)));
    drain(apps[0]);
    EXPECT_EQ(DWORD(LINECALLSTATE_CONNECTED), state(more));
    EXPECT_EQ(0, reply(apps[0], lineAddToConference(conf, more)));
    drain(apps[0]);
    EXPECT_EQ((std::vector<HCALL>{conf, a, consult, more}), related(conf));
    EXPECT_EQ(LONG(LINEERR_CONFERENCEFULL), linePrepareAddToConferenceW(conf, &more, nullptr));
    EXPECT_EQ(LONG(LINEERR_INVALCONSULTCALLHANDLE), lineAddToConference(conf, 0xBAD));
}

TEST_F(ConferenceTest, DroppingTheConferenceCallDropsEveryParty)
{
    conferenceOfThree();
    EXPECT_EQ(0, reply(apps[0], lineDropCall(conf)));
    drain(apps[0]);
    drain(apps[1]);
    drain(apps[2]);
    for (HCALL call : {a, consult, conf})
        EXPECT_EQ(DWORD(LINECALLSTATE_IDLE), state(call));
    EXPECT_EQ(DWORD(LINECALLSTATE_DISCONNECTED), state(b));
    EXPECT_EQ(DWORD(LINECALLSTATE_DISCONNECTED), state(c));
}

TEST_F(ConferenceTest, AConferenceSetUpWithoutACallEndsWithItsConsultation)
{
    EXPECT_EQ(LONG(LINEERR_INVALLINEHANDLE), lineSetupConferenceW(0, 0xBAD, &conf, &consult, 3, nullptr));
    EXPECT_EQ(0, reply(apps[0], lineSetupConferenceW(0, lines[0], &conf, &consult, 3, nullptr)));
    drain(apps[0]);
    EXPECT_EQ(DWORD(LINECALLSTATE_ONHOLDPENDCONF), state(conf));
    EXPECT_EQ(DWORD(LINECALLSTATE_DIALTONE), state(consult));
    EXPECT_EQ(0, reply(apps[0], lineDropCall(consult)));
    drain(apps[0]);
    EXPECT_EQ(DWORD(LINECALLSTATE_IDLE), state(conf));
}

} // namespace
