// The object layer over the real runtime and the simulated exchange: what the
// layer asks TAPI (checked with the call recorder), how it copes with the
// provider's faults, and a whole call between two extensions.
#include "CTapiAddress.h"
#include "ExchangeSession.h"

#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;
using ExchangeTest = ExchangeSessionTest;

TEST_F(ExchangeTest, InitNamesEveryDeviceOfTheStandardTopology)
{
    ASSERT_EQ(InitSession(), 0u);
    EXPECT_EQ(session->GetLineCount(), 7u);
    EXPECT_EQ(session->GetPhoneCount(), 5u);
    EXPECT_EQ(Narrow(session->GetLine(0)->GetLineName()), "Extension 201");
    EXPECT_EQ(Narrow(session->GetLine(1)->GetAddress(0)->GetAddressName()), "202");
    EXPECT_EQ(Narrow(session->GetPhone(1)->GetPhoneName()), "Phone 202");
    EXPECT_EQ(Narrow(session->GetLine(3)->GetLineName()), "Agent 204");
    EXPECT_EQ(Narrow(session->GetLine(4)->GetLineName()), "Trunk 1");
    EXPECT_EQ(Narrow(session->GetLine(4)->GetAddress(0)->GetAddressName()), "5550200");
    EXPECT_EQ(Narrow(session->GetLine(6)->GetLineName()), "Lobby 206");
    EXPECT_EQ(Narrow(session->GetPhone(4)->GetPhoneName()), "Phone 206");
    EXPECT_EQ(session->GetLine(1)->GetPhoneID(), 0xFFFFFFFFu) << "the line must be open";
    EXPECT_EQ(OpenLine(1)->GetPhoneID(), 1u);
    EXPECT_EQ(session->GetLine(0)->GetInvalidPasswordState(), 0);
    const auto negotiate = Recorder().last("lineNegotiateAPIVersion");
    ASSERT_TRUE(negotiate.has_value());
    EXPECT_EQ(negotiate->number("dwAPIHighVersion"), 0x00030001u);
    EXPECT_EQ(session->GetLine(0)->GetAPIVersion(), 0x00030000u);
}

TEST_F(ExchangeTest, ReinitAnswersAreRetried)
{
    Faults().failNext("lineInitializeExW", LINEERR_REINIT, 3);
    ASSERT_EQ(InitSession(), 0u);
    EXPECT_EQ(Recorder().count("lineInitializeExW"), 4u);
}

TEST_F(ExchangeTest, PhoneInitializeFailureLeavesNothingBehind)
{
    Faults().failNext("phoneInitializeExW", PHONEERR_NOMEM);
    EXPECT_EQ(InitSession(), PHONEERR_NOMEM);
    EXPECT_EQ(session->GetLineAppHandle(), 0u);
    EXPECT_EQ(session->GetLine(0), nullptr);
    EXPECT_EQ(Recorder().count("lineShutdown"), 1u);
}

TEST_F(ExchangeTest, CallBetweenTwoExtensionsEndToEnd)
{
    ASSERT_EQ(InitSession(), 0u);
    CTapiLine *caller = OpenLine(0);
    CTapiLine *callee = OpenLine(1);
    CTapiCall *outgoing = nullptr;
    ASSERT_EQ(caller->MakeCall(&outgoing, TAPI_TEXT("202")), 0u);
    ASSERT_NE(outgoing, nullptr);
    const auto make = Recorder().last("lineMakeCallW");
    ASSERT_TRUE(make.has_value());
    EXPECT_EQ(make->text("lpszDestAddress"), "202");
    EXPECT_EQ(make->number("dwCountryCode"), 0u);
    EXPECT_TRUE(make->isNull("lpCallParams"));

    ASSERT_TRUE(WaitFor([&] { return callee->GetCallCount() == 1; }));
    CTapiCall *incoming = callee->GetCall(0);
    ASSERT_TRUE(WaitFor([&] { return incoming->GetCallState() == LINECALLSTATE_OFFERING; }));
    EXPECT_EQ(Narrow(incoming->GetCallerNumber()), "201");
    EXPECT_EQ(Narrow(incoming->GetCallerName()), "Anna Berg");

    ASSERT_EQ(session->WaitForReply(incoming->Answer(), kTapiReplyTimeout), 0u);
    ASSERT_TRUE(WaitFor([&] { return outgoing->GetCallState() == LINECALLSTATE_CONNECTED; }));
    ASSERT_TRUE(WaitFor([&] { return incoming->GetCallState() == LINECALLSTATE_CONNECTED; }));
    EXPECT_EQ(Narrow(incoming->GetCallStateText()).rfind("Connected", 0), 0u);
    EXPECT_NE(Narrow(outgoing->GetCallFeaturesText()).find("LCF_DROP\r\n"), std::string::npos);

    ASSERT_EQ(session->WaitForReply(outgoing->Drop(), kTapiReplyTimeout), 0u);
    ASSERT_TRUE(WaitFor([&] { return outgoing->GetCallState() == LINECALLSTATE_IDLE; }));
    ASSERT_TRUE(WaitFor([&] { return incoming->GetCallState() == LINECALLSTATE_DISCONNECTED; }));
    EXPECT_EQ(outgoing->Deallocate(), 0u);
    EXPECT_EQ(caller->GetCallCount(), 0u);
}

TEST_F(ExchangeTest, ErrorInTheReplyLeavesNoCall)
{
    ASSERT_EQ(InitSession(), 0u);
    CTapiLine *line = OpenLine(0);
    Faults().failNext("lineMakeCallW", LINEERR_CALLUNAVAIL);
    CTapiCall *call = nullptr;
    EXPECT_EQ(line->MakeCall(&call, TAPI_TEXT("202")), LINEERR_CALLUNAVAIL);
    EXPECT_EQ(call, nullptr);
    EXPECT_EQ(line->GetCallCount(), 0u);
}

TEST_F(ExchangeTest, ReplyBeforeTheFunctionReturnsIsStillFound)
{
    ASSERT_EQ(InitSession(), 0u);
    CTapiLine *line = OpenLine(0);
    Faults().replyBeforeReturn("lineMakeCallW");
    CTapiCall *call = nullptr;
    EXPECT_EQ(line->MakeCall(&call, TAPI_TEXT("202")), 0u);
    ASSERT_NE(call, nullptr);
}

TEST_F(ExchangeTest, RequestWithoutReplyTimesOutAndStaysPending)
{
    ManualTick tick;
    ASSERT_EQ(InitSession(), 0u);
    CTapiLine *line = OpenLine(0);
    Faults().dropReply("lineMakeCallW");
    SetTapiMessagePump([] {
        ManualTick::Advance(20000);
        return false;
    });
    CTapiCall *call = nullptr;
    EXPECT_EQ(line->MakeCall(&call, TAPI_TEXT("202")), kTapiNoReply);
    EXPECT_EQ(call, nullptr);
    EXPECT_EQ(session->GetPendingRequestCount(), 1u);
}

TEST_F(ExchangeTest, InflatedNeededSizeIsFollowedOnce)
{
    ASSERT_EQ(InitSession(), 0u);
    CTapiLine *line = OpenLine(0);
    CTapiCall *call = nullptr;
    ASSERT_EQ(line->MakeCall(&call, TAPI_TEXT("202")), 0u);
    // The called number arrives as LINE_CALLINFO before RINGBACK; once RINGBACK has
    // reached the call, the event thread reads the call information no more.
    ASSERT_TRUE(WaitFor([&] { return call->GetCallState() == LINECALLSTATE_RINGBACK; }));
    Faults().inflateNeededSize("lineGetCallInfoW", 5000);
    Recorder().clear();
    auto info = call->GetCallInfo(true);
    ASSERT_NE(info, nullptr);
    const auto reads = Recorder().calls("lineGetCallInfoW");
    ASSERT_EQ(reads.size(), 2u);
    EXPECT_EQ(info->dwTotalSize, info->dwNeededSize + 5000) << "the second call had exactly the size first asked for";
}

TEST_F(ExchangeTest, IncomingCallFromOutsideIsAnnouncedBeforeItsState)
{
    ASSERT_EQ(InitSession(), 0u);
    CTapiLine *line = OpenLine(0);
    Exchange().incomingCall(0, 0, u"5550100", u"Clara Diaz");
    ASSERT_TRUE(WaitFor([&] { return HookLog::Entries().size() >= 3; }));
    const auto entries = HookLog::Entries();
    EXPECT_EQ(entries[0].rfind("line 0 OnNewCall", 0), 0u);
    EXPECT_NE(entries[1].find("OnStateChange 0x2"), std::string::npos);
    EXPECT_NE(entries[2].find("OnStateOffering"), std::string::npos);
    ASSERT_EQ(line->GetCallCount(), 1u);
    EXPECT_EQ(Narrow(line->GetCall(0)->GetCallerName()), "Clara Diaz");
}

TEST_F(ExchangeTest, PhoneSettersReachTheDevice)
{
    ASSERT_EQ(InitSession(), 0u);
    CTapiPhone *phone = session->GetPhone(0);
    ASSERT_EQ(phone->Open(PHONEPRIVILEGE_OWNER), 0u);
    ASSERT_EQ(phone->SetStatusMessages(0x00FFFFFF, 0, 0), 0u);
    ASSERT_EQ(session->WaitForReply(phone->SetDisplay("Hello"), kTapiReplyTimeout), 0u);
    ASSERT_TRUE(WaitFor([&] { return Narrow(phone->GetDisplay()).rfind("Hello", 0) == 0; }));
}

} // namespace
