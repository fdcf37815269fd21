// Call handles and ownership: what an idle call's handle still allows, and
// who owns a call that several applications could own.
#include "TapiFixture.h"

#include <functional>

using namespace tapitest;

namespace {

class OwnershipTest : public TapiFixture {};

TEST_F(OwnershipTest, AnIdleCallsHandleStaysValidButActsOnNothing)
{
    const HLINEAPP app = lineApp(u"A");
    const HLINE line = openLine(app, 0);
    const HCALL call = makeCall(app, line, u"202");
    drain(app);
    EXPECT_EQ(0, replyAfterStates(app, lineDrop(call, nullptr, 0)));
    drain(app);
    ASSERT_EQ(DWORD(LINECALLSTATE_IDLE), state(call));

    HCALL h1 = 0, h2 = 0;
    DWORD id = 0;
    char uui[] = "x";
    struct Row {
        const char *function;
        std::function<LONG()> act;
    };
    const Row rows[] = {
        {"lineAccept", [&] { return lineAccept(call, nullptr, 0); }},
        {"lineAnswer", [&] { return lineAnswer(call, nullptr, 0); }},
        {"lineDrop", [&] { return lineDrop(call, nullptr, 0); }},
        {"lineHold", [&] { return lineHold(call); }},
        {"lineUnhold", [&] { return lineUnhold(call); }},
        {"lineSwapHold", [&] { return lineSwapHold(call, call); }},
        {"lineDialW", [&] { return lineDialW(call, u"203", 0); }},
        {"lineRedirectW", [&] { return lineRedirectW(call, u"203", 0); }},
        {"lineBlindTransferW", [&] { return lineBlindTransferW(call, u"203", 0); }},
        {"lineSetupTransferW", [&] { return lineSetupTransferW(call, &h1, nullptr); }},
        {"lineSetupConferenceW", [&] { return lineSetupConferenceW(call, 0, &h1, &h2, 3, nullptr); }},
        {"linePrepareAddToConferenceW", [&] { return linePrepareAddToConferenceW(call, &h1, nullptr); }},
        {"lineRemoveFromConference", [&] { return lineRemoveFromConference(call); }},
        {"lineParkW", [&] { return lineParkW(call, LINEPARKMODE_DIRECTED, u"700", nullptr); }},
        {"lineCompleteCall", [&] { return lineCompleteCall(call, &id, LINECALLCOMPLMODE_CALLBACK, 0); }},
        {"lineGenerateDigitsW", [&] { return lineGenerateDigitsW(call, LINEDIGITMODE_DTMF, u"1", 0); }},
        {"lineSendUserUserInfo", [&] { return lineSendUserUserInfo(call, uui, 1); }},
        {"lineReleaseUserUserInfo", [&] { return lineReleaseUserUserInfo(call); }},
        {"lineSetCallData", [&] { return lineSetCallData(call, uui, 1); }},
    };
    for (const Row &row : rows)
        EXPECT_EQ(LONG(LINEERR_INVALCALLSTATE), row.act()) << row.function;
    EXPECT_TRUE(quiet(app));

    // What works in every state still works; once deallocated the handle is gone.
    EXPECT_EQ(0, lineSetAppSpecific(call, 7));
    EXPECT_EQ(0, lineSetCallPrivilege(call, LINECALLPRIVILEGE_MONITOR));
    EXPECT_EQ(0, lineDeallocateCall(call));
    EXPECT_EQ(LONG(LINEERR_INVALCALLHANDLE), lineDrop(call, nullptr, 0));
}

TEST_F(OwnershipTest, AnIncomingCallHasOneOwnerAndMonitorsSeeNoControls)
{
    // Opened in this order; the most recent owner of the media mode wins.
    const HLINEAPP first = lineApp(u"First");
    const HLINEAPP ownerOnly = lineApp(u"Owner only");
    const HLINEAPP last = lineApp(u"Last");
    openLine(first, 1);
    openLine(ownerOnly, 1, LINECALLPRIVILEGE_OWNER);
    openLine(last, 1);
    ex().incomingCall(1, 0, u"5551234", u"Dora Engel");

    auto newCall = [&](HLINEAPP app) -> std::pair<HCALL, DWORD_PTR> {
        for (const Msg &m : drain(app))
            if (m.id == LINE_APPNEWCALL)
                return {HCALL(m.p2), m.p3};
        return {0, 0};
    };
    const auto [owned, ownerPrivilege] = newCall(last);
    const auto [watched, monitorPrivilege] = newCall(first);
    EXPECT_EQ(DWORD_PTR(LINECALLPRIVILEGE_OWNER), ownerPrivilege);
    EXPECT_EQ(DWORD_PTR(LINECALLPRIVILEGE_MONITOR), monitorPrivilege);
    EXPECT_EQ(0u, newCall(ownerOnly).first);
    EXPECT_EQ(1u, info(owned).dwNumOwners);

    EXPECT_TRUE(status(owned).dwCallFeatures & LINECALLFEATURE_ANSWER);
    EXPECT_EQ(0u, status(watched).dwCallFeatures);
    EXPECT_EQ(LONG(LINEERR_NOTOWNER), lineAnswer(watched, nullptr, 0));
    EXPECT_EQ(0, reply(last, lineAnswer(owned, nullptr, 0)));
}

} // namespace
