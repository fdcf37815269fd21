// Calls that move between extensions through the object layer: park (directed
// and non-directed, with the park address in the caller's buffer), unpark,
// pickup (directed and by group) and redirect.
#include "OfficeFixture.h"

#include <chrono>

namespace office {
namespace {

using namespace std::chrono_literals;

class ParkPickupTest : public OfficeTest {
protected:
    static std::string Text(const WCHAR *text) { return Narrow(tapi_string(text)); }
};

TEST_F(ParkPickupTest, ANonDirectedParkWritesItsAddressAndUnparkFetchesTheCall)
{
    CTapiCall *ben = CustomerTalksTo(kBen);
    WCHAR address[128];
    std::fill(std::begin(address), std::end(address), WCHAR{'?'});
    const DWORD request = ben->Park(LINEPARKMODE_NONDIRECTED, nullptr, address, sizeof address);
    ASSERT_TRUE(IsTapiRequestId(request)) << "the TAPI result, not the wait's";
    EXPECT_EQ(Reply(request), 0u);
    EXPECT_EQ(Text(address), "7001");
    EXPECT_EQ(address[127], 0) << "the rest of the buffer is cleared";
    ASSERT_TRUE(Reaches(ben, LINECALLSTATE_IDLE));

    CTapiCall *carl = nullptr;
    const DWORD unpark = lines[kCarl]->GetAddress(0)->Unpark(&carl, address);
    ASSERT_TRUE(IsTapiRequestId(unpark));
    ASSERT_TRUE(Lists(kCarl, carl));
    ASSERT_TRUE(Reaches(carl, LINECALLSTATE_CONNECTED));
    EXPECT_EQ(carl->GetCallInfo(true)->dwReason, DWORD{LINECALLREASON_UNPARK});

    // The slot is empty now: the request fails and no object is made.
    CTapiCall *again = carl;
    EXPECT_EQ(Reply(lines[kAnna]->GetAddress(0)->Unpark(&again, address)), DWORD{LINEERR_OPERATIONFAILED});
    EXPECT_EQ(again, nullptr);
    EXPECT_EQ(lines[kAnna]->GetCallCount(), 0u);
}

TEST_F(ParkPickupTest, AParkAddressLongerThanTheBufferNeverOverrunsIt)
{
    CTapiCall *ben = CustomerTalksTo(kBen);
    // Two characters fit; the guard behind them must stay untouched.
    WCHAR address[8];
    std::fill(std::begin(address), std::end(address), WCHAR{'#'});
    ASSERT_EQ(Reply(ben->Park(LINEPARKMODE_NONDIRECTED, nullptr, address, 2 * sizeof(WCHAR))), 0u);
    for (int i = 2; i < 8; ++i)
        EXPECT_EQ(address[i], WCHAR{'#'}) << "position " << i;
    // The address did not fit TAPI's structure either, so none came back.
    EXPECT_EQ(address[0], 0);
    EXPECT_EQ(address[1], 0);
    ASSERT_TRUE(Reaches(ben, LINECALLSTATE_IDLE));
}

TEST_F(ParkPickupTest, ADirectedParkLeavesTheBufferClearedAndRemindsWhenLeftTooLong)
{
    CTapiCall *ben = CustomerTalksTo(kBen);
    WCHAR address[16];
    std::fill(std::begin(address), std::end(address), WCHAR{'?'});
    ASSERT_EQ(Reply(ben->Park(LINEPARKMODE_DIRECTED, TAPI_TEXT("7005"), address, sizeof address)), 0u);
    EXPECT_EQ(address[0], 0);
    ASSERT_TRUE(Reaches(ben, LINECALLSTATE_IDLE));
    ASSERT_EQ(ben->Deallocate(), 0u);

    // A refused park waits for nothing and leaves the buffer cleared.
    CTapiCall *anna = CustomerTalksTo(kAnna);
    address[0] = 'x';
    const DWORD taken = anna->Park(LINEPARKMODE_DIRECTED, TAPI_TEXT("123"), address, sizeof address);
    EXPECT_EQ(taken, DWORD{LINEERR_INVALADDRESS});
    EXPECT_EQ(address[0], 0);
    EXPECT_EQ(anna->GetCallState(), DWORD{LINECALLSTATE_CONNECTED});

    // Nobody fetches the parked customer: the call rings back at Ben as a new call object.
    HookLog::Clear();
    Advance(3min);
    CTapiCall *back = RingsAt(kBen);
    ASSERT_TRUE(Lists(kBen, back));
    EXPECT_EQ(back->GetCallInfo(true)->dwReason, DWORD{LINECALLREASON_REMINDER});
    EXPECT_TRUE(AnnouncedBefore(1, back, "OnStateOffering"));
}

TEST_F(ParkPickupTest, PickupTakesACallRingingAtAnExtensionOrInTheGroup)
{
    ASSERT_NE(Exchange().incomingCall(kDana, 0, kCustomer, u"Dora Engel"), 0u);
    CTapiCall *ringing = RingsAt(kDana);

    CTapiCall *carl = nullptr;
    const DWORD request = lines[kCarl]->GetAddress(0)->Pickup(&carl, Number(kDana), nullptr);
    ASSERT_TRUE(IsTapiRequestId(request));
    ASSERT_TRUE(Lists(kCarl, carl));
    ASSERT_TRUE(Reaches(carl, LINECALLSTATE_CONNECTED));
    EXPECT_EQ(carl->GetCallInfo(true)->dwReason, DWORD{LINECALLREASON_PICKUP});
    ASSERT_TRUE(Reaches(ringing, LINECALLSTATE_IDLE));

    // By group: another customer rings at Ben, Anna takes it.
    ASSERT_NE(Exchange().incomingCall(kBen, 0, u"5559876", u"Erik Falk"), 0u);
    CTapiCall *atBen = RingsAt(kBen);
    CTapiCall *anna = nullptr;
    ASSERT_EQ(Reply(lines[kAnna]->GetAddress(0)->Pickup(&anna, nullptr, TAPI_TEXT("1"))), 0u);
    ASSERT_TRUE(Lists(kAnna, anna));
    ASSERT_TRUE(Reaches(anna, LINECALLSTATE_CONNECTED));
    EXPECT_EQ(Narrow(anna->GetCallerName()), "Erik Falk");
    ASSERT_TRUE(Reaches(atBen, LINECALLSTATE_IDLE));

    // Nothing rings any more: the request fails and no object is made.
    CTapiCall *none = anna;
    EXPECT_EQ(Reply(lines[kAnna]->GetAddress(0)->Pickup(&none, nullptr, TAPI_TEXT("1"))),
              DWORD{LINEERR_OPERATIONFAILED});
    EXPECT_EQ(none, nullptr);
    EXPECT_EQ(lines[kAnna]->GetCallCount(), 1u);
}

TEST_F(ParkPickupTest, RedirectSendsAnOfferedCallOnWithTheRedirectingParty)
{
    CTapiCall *carl = nullptr;
    ASSERT_EQ(lines[kCarl]->MakeCall(&carl, Number(kAnna)), 0u);
    CTapiCall *offered = RingsAt(kAnna);
    const DWORD request = offered->Redirect(Number(kBen));
    ASSERT_TRUE(IsTapiRequestId(request));
    ASSERT_EQ(Reply(request), 0u);
    ASSERT_TRUE(Reaches(offered, LINECALLSTATE_IDLE));

    CTapiCall *ben = RingsAt(kBen);
    ASSERT_TRUE(Lists(kBen, ben));
    EXPECT_EQ(ben->GetCallInfo(true)->dwReason, DWORD{LINECALLREASON_REDIRECT});
    EXPECT_EQ(Narrow(ben->GetRedirectingNumber()), "201");
    EXPECT_EQ(Narrow(ben->GetCallerNumber()), "203");
    Answer(ben);
    EXPECT_TRUE(Reaches(carl, LINECALLSTATE_CONNECTED)) << "Carl's call is answered by Ben";

    // A connected call cannot be redirected.
    const DWORD refused = ben->Redirect(Number(kDana));
    EXPECT_TRUE(IsTapiError(refused)) << HexOf(refused);
    EXPECT_EQ(ben->GetCallState(), DWORD{LINECALLSTATE_CONNECTED});
}

} // namespace
} // namespace office
