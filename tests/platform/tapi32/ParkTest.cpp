// Park and unpark, pickup and redirect through the C API: the messages on
// every side, the park address text, the new calls and the errors.
#include "TapiFixture.h"

#include <cstddef>

using namespace tapitest;

namespace {

class ParkTest : public TapiFixture {
protected:
    void SetUp() override
    {
        TapiFixture::SetUp();
        appA = lineApp(u"A");
        appB = lineApp(u"B");
        lineA = openLine(appA, 0);
        lineB = openLine(appB, 1);
    }

    /// A call from outside ringing at 202; answers B's handle.
    HCALL ringingAtB(const char16_t *caller = u"5551234")
    {
        outside = ex().incomingCall(1, 0, caller, u"Dora Engel");
        return announcedCall(appB);
    }

    /// A call from outside, answered at 202.
    HCALL connectedAtB()
    {
        const HCALL b = ringingAtB();
        EXPECT_EQ(0, reply(appB, lineAnswer(b, nullptr, 0)));
        drain(appB);
        return b;
    }

    LINECALLINFO info(HCALL call, std::vector<uint8_t> &buffer)
    {
        buffer.assign(4096, 0);
        auto *i = reinterpret_cast<LINECALLINFO *>(buffer.data());
        i->dwTotalSize = DWORD(buffer.size());
        EXPECT_EQ(0, lineGetCallInfoW(call, i));
        return *i;
    }

    std::u16string text(const std::vector<uint8_t> &buffer, DWORD size, DWORD offset)
    {
        if (size < 2)
            return {};
        return {reinterpret_cast<const char16_t *>(buffer.data() + offset), size / 2 - 1};
    }

    /// Parks a call non-directed; answers the park address the reply wrote.
    std::u16string parkNonDirected(HLINEAPP app, HCALL call)
    {
        std::vector<uint8_t> buffer(256);
        auto *v = reinterpret_cast<VARSTRING *>(buffer.data());
        v->dwTotalSize = DWORD(buffer.size());
        const LONG id = lineParkW(call, LINEPARKMODE_NONDIRECTED, nullptr, v);
        EXPECT_EQ(0u, v->dwStringSize) << "written before the reply";
        EXPECT_EQ(0, reply(app, id));
        EXPECT_EQ(DWORD(STRINGFORMAT_UNICODE), v->dwStringFormat);
        return text(buffer, v->dwStringSize, v->dwStringOffset);
    }

    HLINEAPP appA = 0, appB = 0;
    HLINE lineA = 0, lineB = 0;
    exchange::LegId outside = 0;
};

TEST_F(ParkTest, ANonDirectedParkAnswersItsAddressAndUnparkConnectsAnotherExtension)
{
    const HCALL b = connectedAtB();
    EXPECT_TRUE(status(b).dwCallFeatures & LINECALLFEATURE_PARK);
    EXPECT_EQ(u"7001", parkNonDirected(appB, b));
    Msg m = next(appB);
    EXPECT_EQ(DWORD(LINE_CALLSTATE), m.id);
    EXPECT_EQ(DWORD_PTR(LINECALLSTATE_IDLE), m.p1);
    EXPECT_EQ(u"7002", parkNonDirected(appB, ringingAtB() ? connectedAtB() : 0)) << "the next free address";
    drain(appB);

    // 201 fetches the first call: the reply hands over a new call, then it connects.
    HCALL a = 0;
    const LONG id = lineUnparkW(lineA, 0, &a, u"7001");
    EXPECT_EQ(0, reply(appA, id));
    ASSERT_NE(0u, a);
    m = next(appA);
    EXPECT_EQ(a, m.device);
    EXPECT_EQ(DWORD_PTR(LINECALLSTATE_CONNECTED), m.p1);
    std::vector<uint8_t> buffer;
    const LINECALLINFO i = info(a, buffer);
    EXPECT_EQ(DWORD(LINECALLREASON_UNPARK), i.dwReason);
    EXPECT_EQ(u"5551234", text(buffer, i.dwCallerIDSize, i.dwCallerIDOffset));

    // The slot is free again; an empty one has nothing to fetch.
    EXPECT_EQ(LONG(LINEERR_OPERATIONFAILED), lineUnparkW(lineA, 0, &a, u"7001"));
    EXPECT_EQ(LONG(LINEERR_INVALADDRESS), lineUnparkW(lineA, 0, &a, u"999"));
    EXPECT_EQ(LONG(LINEERR_INVALPOINTER), lineUnparkW(lineA, 0, nullptr, u"7002"));
    EXPECT_EQ(LONG(LINEERR_INVALADDRESSID), lineUnparkW(lineA, 5, &a, u"7002"));
}

TEST_F(ParkTest, DirectedParkChecksTheAddressAndALocalPartnerWaits)
{
    // 201 calls 202; 202 parks it at 7005, 201 stays connected and waits.
    const HCALL a = makeCall(appA, lineA, u"202");
    const HCALL b = announcedCall(appB);
    EXPECT_EQ(0, reply(appB, lineAnswer(b, nullptr, 0)));
    drain(appA);
    drain(appB);
    EXPECT_EQ(LONG(LINEERR_INVALADDRESS), lineParkW(b, LINEPARKMODE_DIRECTED, u"123", nullptr));
    EXPECT_EQ(0, reply(appB, lineParkW(b, LINEPARKMODE_DIRECTED, u"7005", nullptr)));
    EXPECT_EQ(DWORD(LINECALLSTATE_IDLE), status(b).dwCallState);
    EXPECT_TRUE(quiet(appA));
    EXPECT_EQ(DWORD(LINECALLSTATE_CONNECTED), status(a).dwCallState);

    // The taken address cannot take another call; 202 fetches its call back.
    const HCALL other = connectedAtB();
    EXPECT_EQ(LONG(LINEERR_RESOURCEUNAVAIL), lineParkW(other, LINEPARKMODE_DIRECTED, u"7005", nullptr));
    EXPECT_EQ(0, reply(appB, lineDrop(other, nullptr, 0)));
    drain(appB);
    HCALL back = 0;
    EXPECT_EQ(0, reply(appB, lineUnparkW(lineB, 0, &back, u"7005")));
    drain(appB);
    std::vector<uint8_t> buffer;
    const LINECALLINFO i = info(a, buffer);
    EXPECT_EQ(u"202", text(buffer, i.dwConnectedIDSize, i.dwConnectedIDOffset));
    EXPECT_EQ(DWORD(LINECALLSTATE_CONNECTED), status(back).dwCallState);

    // A parked call whose partner hangs up frees its address.
    EXPECT_EQ(0, reply(appB, lineParkW(back, LINEPARKMODE_DIRECTED, u"7005", nullptr)));
    drain(appA);
    EXPECT_EQ(0, reply(appA, lineDrop(a, nullptr, 0)));
    drain(appA);
    drain(appB);
    EXPECT_EQ(LONG(LINEERR_OPERATIONFAILED), lineUnparkW(lineB, 0, &back, u"7005"));
}

TEST_F(ParkTest, ParkRefusesBadArgumentsAndStates)
{
    const HLINEAPP watcher = lineApp(u"W");
    openLine(watcher, 1, LINECALLPRIVILEGE_MONITOR);
    const HCALL ringing = ringingAtB();
    const HCALL watched = announcedCall(watcher);
    VARSTRING small{};
    small.dwTotalSize = sizeof(VARSTRING) - 1;
    VARSTRING fits{};
    fits.dwTotalSize = sizeof fits;
    EXPECT_EQ(LONG(LINEERR_INVALPARKMODE), lineParkW(ringing, 3, u"7001", &fits));
    EXPECT_EQ(LONG(LINEERR_INVALPOINTER), lineParkW(ringing, LINEPARKMODE_NONDIRECTED, nullptr, nullptr));
    EXPECT_EQ(LONG(LINEERR_STRUCTURETOOSMALL), lineParkW(ringing, LINEPARKMODE_NONDIRECTED, nullptr, &small));
    EXPECT_EQ(LONG(LINEERR_INVALPOINTER), lineParkW(ringing, LINEPARKMODE_DIRECTED, nullptr, nullptr));
    EXPECT_EQ(LONG(LINEERR_INVALCALLSTATE), lineParkW(ringing, LINEPARKMODE_DIRECTED, u"7001", nullptr));
    EXPECT_EQ(LONG(LINEERR_INVALCALLHANDLE), lineParkW(0xBAD, LINEPARKMODE_DIRECTED, u"7001", nullptr));

    // A monitor may not park; a VARSTRING too small for the text keeps its fixed part.
    EXPECT_EQ(0, reply(appB, lineAnswer(ringing, nullptr, 0)));
    EXPECT_EQ(LONG(LINEERR_NOTOWNER), lineParkW(watched, LINEPARKMODE_DIRECTED, u"7001", nullptr));
    drain(appB);
    EXPECT_EQ(0, reply(appB, lineParkW(ringing, LINEPARKMODE_NONDIRECTED, nullptr, &fits)));
    EXPECT_EQ(sizeof fits + 10, fits.dwNeededSize);
    EXPECT_EQ(0u, fits.dwStringSize);
}

TEST_F(ParkTest, ACallParkedTooLongRingsBackWhereItWasParked)
{
    const HCALL b = connectedAtB();
    EXPECT_EQ(0, reply(appB, lineParkW(b, LINEPARKMODE_DIRECTED, u"7003", nullptr)));
    drain(appB);
    ex().advance(std::chrono::minutes(3) - exchange::Millis(1));
    EXPECT_TRUE(quiet(appB));
    ex().advance(exchange::Millis(1));
    const Msg m = next(appB);
    EXPECT_EQ(DWORD(LINE_APPNEWCALL), m.id);
    const HCALL back = HCALL(m.p2);
    std::vector<uint8_t> buffer;
    EXPECT_EQ(DWORD(LINECALLREASON_REMINDER), info(back, buffer).dwReason);
    EXPECT_EQ(DWORD(LINECALLSTATE_OFFERING), status(back).dwCallState);
    drain(appB);
    EXPECT_EQ(0, reply(appB, lineAnswer(back, nullptr, 0)));
    drain(appB);
    EXPECT_EQ(0, ex().remoteHangUp(tapi32::Runtime::instance().legOf(back)))
        << "the caller from outside is back on the line";
}

TEST_F(ParkTest, PickupTakesOverACallRingingElsewhere)
{
    // Directed: 201 picks up what rings at 202; 202's call goes idle.
    const HCALL ringing = ringingAtB();
    HCALL a = 0;
    EXPECT_EQ(0, reply(appA, linePickupW(lineA, 0, &a, u"202", nullptr)));
    ASSERT_NE(0u, a);
    drain(appA);
    EXPECT_EQ(DWORD(LINECALLSTATE_CONNECTED), status(a).dwCallState);
    std::vector<uint8_t> buffer;
    EXPECT_EQ(DWORD(LINECALLREASON_PICKUP), info(a, buffer).dwReason);
    const Msg m = next(appB);
    EXPECT_EQ(ringing, m.device);
    EXPECT_EQ(DWORD_PTR(LINECALLSTATE_IDLE), m.p1);
    EXPECT_EQ(LONG(LINEERR_OPERATIONFAILED), linePickupW(lineA, 0, &a, u"202", nullptr));
    EXPECT_EQ(0, reply(appA, lineDrop(a, nullptr, 0)));
    drain(appA);

    // By group: 202 is in pickup group 1.
    ringingAtB();
    HCALL g = 0;
    EXPECT_EQ(0, reply(appA, linePickupW(lineA, 0, &g, nullptr, u"1")));
    drain(appA);
    EXPECT_EQ(DWORD(LINECALLSTATE_CONNECTED), status(g).dwCallState);

    EXPECT_EQ(LONG(LINEERR_INVALGROUPID), linePickupW(lineA, 0, &g, nullptr, u"9"));
    EXPECT_EQ(LONG(LINEERR_INVALGROUPID), linePickupW(lineA, 0, &g, nullptr, nullptr));
    EXPECT_EQ(LONG(LINEERR_INVALADDRESS), linePickupW(lineA, 0, &g, u"299", nullptr));
    EXPECT_EQ(LONG(LINEERR_INVALPOINTER), linePickupW(lineA, 0, nullptr, u"202", nullptr));
    EXPECT_EQ(LONG(LINEERR_INVALLINEHANDLE), linePickupW(0xBAD, 0, &g, u"202", nullptr));
}

TEST_F(ParkTest, RedirectOffersTheCallElsewhereWithTheRedirectingParty)
{
    // From outside to 202, redirected to 201.
    const HCALL ringing = ringingAtB();
    EXPECT_EQ(LONG(LINEERR_INVALADDRESS), lineRedirectW(ringing, u"299", 0));
    EXPECT_EQ(LONG(LINEERR_INVALADDRESS), lineRedirectW(ringing, u"202", 0));
    EXPECT_EQ(LONG(LINEERR_OPERATIONUNAVAIL), lineRedirectW(ringing, u"5550100", 0));
    EXPECT_EQ(0, reply(appB, lineRedirectW(ringing, u"201", 0)));
    Msg m = next(appB);
    EXPECT_EQ(DWORD_PTR(LINECALLSTATE_IDLE), m.p1);
    const HCALL a = announcedCall(appA);
    std::vector<uint8_t> buffer;
    const LINECALLINFO i = info(a, buffer);
    EXPECT_EQ(DWORD(LINECALLREASON_REDIRECT), i.dwReason);
    EXPECT_EQ(u"202", text(buffer, i.dwRedirectingIDSize, i.dwRedirectingIDOffset));
    EXPECT_EQ(u"201", text(buffer, i.dwRedirectionIDSize, i.dwRedirectionIDOffset));
    EXPECT_EQ(u"5551234", text(buffer, i.dwCallerIDSize, i.dwCallerIDOffset));
    EXPECT_EQ(0, reply(appA, lineAnswer(a, nullptr, 0)));
    drain(appA);
    EXPECT_EQ(LONG(LINEERR_INVALCALLSTATE), lineRedirectW(a, u"202", 0));

    // From 201 to 202, redirected outside: the caller hears the far end answer.
    EXPECT_EQ(0, reply(appA, lineDrop(a, nullptr, 0)));
    drain(appA);
    const HCALL caller = makeCall(appA, lineA, u"202");
    const HCALL offered = announcedCall(appB);
    drain(appA);
    EXPECT_EQ(0, reply(appB, lineRedirectW(offered, u"5550105", 0)));
    drain(appA);
    EXPECT_EQ(DWORD(LINECALLSTATE_CONNECTED), status(caller).dwCallState);
    const LINECALLINFO ci = info(caller, buffer);
    EXPECT_EQ(u"202", text(buffer, ci.dwRedirectingIDSize, ci.dwRedirectingIDOffset));
}

} // namespace
