// The line object: capabilities and names, open and close, call attachment by
// events, make call with its out-handle, identification.
#include "CTapiAddress.h"
#include "TapiFields.h"
#include "TapiTestSession.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>

namespace {

using LineTest = ScriptedSessionTest;
using ::testing::ElementsAre;

// A line whose OnNewCall lets a state of the new call arrive while it is still announcing
// it, and gives the event thread time to handle that state before it returns.
class SlowAnnouncingLine : public LoggingLine {
public:
    static const CTapiClass<CTapiLine> classRecord;
    void OnNewCall(CTapiCall *call) override
    {
        LoggingLine::OnNewCall(call);
        Scripted().PostLine(call->GetCallHandle(), LINE_CALLSTATE, CTapiConnection::InstanceOf(GetDeviceID()),
                            LINECALLSTATE_DIALTONE, 0, LINECALLPRIVILEGE_OWNER);
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(200);
        CTapiEvent never;
        while (HookLog::Entries().size() < 2 && std::chrono::steady_clock::now() < until)
            never.WaitFor(1);
        HookLog::Add("announced");
    }
};
const CTapiClass<CTapiLine> SlowAnnouncingLine::classRecord{"SlowAnnouncingLine",
                                                            &TapiCreate<SlowAnnouncingLine, CTapiLine>};

TEST_F(LineTest, LineNameFallsBackWhenTheNameIsMissingOrOutside)
{
    InitSession(1, 0);
    CTapiLine *line = session->GetLine(0);
    tapi.Script(&ScriptedTapiHandlers::lineGetDevCapsW, [](HLINEAPP, DWORD, DWORD, DWORD, LPLINEDEVCAPS caps) {
        caps->dwNeededSize = caps->dwUsedSize = sizeof(LINEDEVCAPS);
        caps->dwLineNameOffset = caps->dwTotalSize - 2;
        caps->dwLineNameSize = 40; // runs past the structure
        return LONG(0);
    });
    line->GetLineCaps(0, 0, true);
    EXPECT_EQ(Narrow(line->GetLineName()), "Line unnamed");
}

TEST_F(LineTest, LineWithoutNegotiatedVersionIsUnavailableAndHasNoAddresses)
{
    tapi.Reset(2, 0);
    tapi.lineNegotiateAPIVersion = [](HLINEAPP, DWORD device, DWORD low, DWORD high, LPDWORD version,
                                      LPLINEEXTENSIONID) {
        EXPECT_EQ(low, 0x00010003u);
        EXPECT_EQ(high, 0x00030001u);
        *version = 0x00020000;
        return device == 1 ? LONG(LINEERR_INCOMPATIBLEAPIVERSION) : LONG(0);
    };
    auto caps = tapi.lineGetDevCapsW;
    tapi.lineGetDevCapsW = [caps](HLINEAPP app, DWORD device, DWORD version, DWORD ext, LPLINEDEVCAPS out) {
        return device == 0xFFFFFFFF ? LONG(LINEERR_BADDEVICEID) : caps(app, device, version, ext, out);
    };
    ASSERT_EQ(session->Init(TAPI_TEXT("Dialwerk"), nullptr, nullptr, nullptr, nullptr, 0x30000), 0u);
    CTapiLine *line = session->GetLine(1);
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->GetDeviceID(), 0xFFFFFFFFu);
    EXPECT_EQ(line->GetAddress(0), nullptr);
    EXPECT_EQ(Narrow(line->GetLineName()), "Line unavailable");
    EXPECT_EQ(Narrow(line->GetLineName()), "Line unnamed") << "the failed fetch left a zero-filled block";
    EXPECT_EQ(session->GetLine(0)->GetAPIVersion(), 0x00020000u);
}

TEST_F(LineTest, OpenAndCloseAreIdempotent)
{
    InitSession(1, 0);
    CTapiLine *line = session->GetLine(0);
    EXPECT_EQ(line->Close(), 0u);
    EXPECT_EQ(tapi.CountOf("lineClose"), 0);
    EXPECT_EQ(line->SetStatusMessages(1, 1), LINEERR_INVALLINEHANDLE);
    ASSERT_EQ(line->Open(LINECALLPRIVILEGE_OWNER, LINEMEDIAMODE_INTERACTIVEVOICE), 0u);
    EXPECT_EQ(line->Open(LINECALLPRIVILEGE_OWNER, LINEMEDIAMODE_INTERACTIVEVOICE), 0u);
    EXPECT_EQ(tapi.CountOf("lineOpenW"), 1);
    EXPECT_EQ(line->GetLineHandle(), ScriptedTapi::LineHandleOf(0));
    EXPECT_EQ(line->Close(), 0u);
    EXPECT_FALSE(line->IsOpen());
    EXPECT_THAT(HookLog::Entries(), ElementsAre("line 0 OnClose"));
}

TEST_F(LineTest, FailedOpenAndCloseLeaveTheLineAsItWas)
{
    InitSession(1, 0);
    CTapiLine *line = session->GetLine(0);
    tapi.lineOpenW = [](HLINEAPP, DWORD, LPHLINE out, DWORD, DWORD, DWORD_PTR, DWORD, DWORD, LPLINECALLPARAMS) {
        *out = 0x999;
        return LONG(LINEERR_INVALMEDIAMODE);
    };
    EXPECT_EQ(line->Open(LINECALLPRIVILEGE_OWNER, 0x12345678), LINEERR_INVALMEDIAMODE);
    EXPECT_FALSE(line->IsOpen());
    tapi.Reset(1, 0);
    ASSERT_EQ(line->Open(LINECALLPRIVILEGE_OWNER, LINEMEDIAMODE_INTERACTIVEVOICE), 0u);
    tapi.lineClose = [](HLINE) { return LONG(LINEERR_OPERATIONFAILED); };
    EXPECT_EQ(line->Close(), LINEERR_OPERATIONFAILED);
    EXPECT_TRUE(line->IsOpen());
    tapi.lineClose = [](HLINE) { return LONG(0); };
}

TEST_F(LineTest, CallStateForAnUnknownHandleCreatesOneCallAnnouncedFirst)
{
    InitSession(1, 0);
    CTapiLine *line = OpenLine(0);
    CTapiCall *call = OfferCall(line, 0x31);
    ASSERT_NE(call, nullptr);
    OfferCall(line, 0x31, LINECALLSTATE_CONNECTED);
    EXPECT_EQ(line->GetCallCount(), 1u);
    EXPECT_EQ(call->GetCallState(), DWORD{LINECALLSTATE_CONNECTED});
    EXPECT_THAT(HookLog::Entries(),
                ElementsAre("line 0 OnNewCall 0x31", "call 0x31 OnStateChange 0x2", "call 0x31 OnStateOffering 0x0",
                            "call 0x31 OnStateChange 0x100", "call 0x31 OnStateConnected 0x0"));
}

TEST_F(LineTest, EventsForUnknownCallsOrOtherLinesChangeNothing)
{
    InitSession(1, 0);
    CTapiLine *line = OpenLine(0);
    const DWORD_PTR instance = CTapiConnection::InstanceOf(0);
    for (DWORD message :
         {LINE_CALLINFO, LINE_GATHERDIGITS, LINE_GENERATE, LINE_MONITORDIGITS, LINE_MONITORMEDIA, LINE_MONITORTONE})
        tapi.PostLine(0x41, message, instance, 1);
    tapi.PostLine(0x999, LINE_ADDRESSSTATE, instance, 0, LINEADDRESSSTATE_NUMCALLS);
    tapi.PostLine(ScriptedTapi::LineHandleOf(0), LINE_ADDRESSSTATE, instance, 5, LINEADDRESSSTATE_NUMCALLS);
    ASSERT_TRUE(tapi.WaitLineIdle());
    EXPECT_EQ(line->GetCallCount(), 0u);
    EXPECT_THAT(HookLog::Entries(), ElementsAre("line 0 OnAddressStateChange 5 0x20"));
}

TEST_F(LineTest, AppNewCallAttachesWithoutAState)
{
    InitSession(1, 0);
    CTapiLine *line = OpenLine(0);
    tapi.PostLine(ScriptedTapi::LineHandleOf(0), LINE_APPNEWCALL, CTapiConnection::InstanceOf(0), 0, 0x44,
                  LINECALLPRIVILEGE_MONITOR);
    ASSERT_TRUE(tapi.WaitLineIdle());
    ASSERT_NE(line->FindCall(0x44), nullptr);
    EXPECT_THAT(HookLog::Entries(), ElementsAre("line 0 OnNewCall 0x44"));
}

TEST_F(LineTest, CapabilitiesAreReadAgainOnlyOnCapsChange)
{
    InitSession(1, 0);
    OpenLine(0);
    const int reads = tapi.CountOf("lineGetDevCapsW");
    tapi.PostLine(ScriptedTapi::LineHandleOf(0), LINE_LINEDEVSTATE, CTapiConnection::InstanceOf(0),
                  LINEDEVSTATE_RINGING);
    ASSERT_TRUE(tapi.WaitLineIdle());
    EXPECT_EQ(tapi.CountOf("lineGetDevCapsW"), reads);
    tapi.PostLine(ScriptedTapi::LineHandleOf(0), LINE_LINEDEVSTATE, CTapiConnection::InstanceOf(0),
                  LINEDEVSTATE_CAPSCHANGE);
    ASSERT_TRUE(tapi.WaitLineIdle());
    EXPECT_EQ(tapi.CountOf("lineGetDevCapsW"), reads + 1);
}

TEST_F(LineTest, MakeCallWaitsForTheReplyAndAttachesTheNewCall)
{
    InitSession(1, 0);
    CTapiLine *line = OpenLine(0);
    tapi.lineMakeCallW = [&](HLINE hLine, LPHCALL call, LPCWSTR dest, DWORD country, LPLINECALLPARAMS params) {
        EXPECT_EQ(hLine, ScriptedTapi::LineHandleOf(0));
        EXPECT_EQ(Narrow(dest), "202");
        EXPECT_EQ(country, 0u);
        EXPECT_EQ(params, nullptr);
        *call = 0x77;
        tapi.PostLine(0, LINE_REPLY, 0, 12, 0);
        return LONG(12);
    };
    CTapiCall *call = nullptr;
    EXPECT_EQ(line->MakeCall(&call, TAPI_TEXT("202")), 0u);
    ASSERT_NE(call, nullptr);
    EXPECT_EQ(call->GetCallHandle(), 0x77u);
    EXPECT_EQ(line->FindCall(0x77), call);
}

TEST_F(LineTest, HooksOfACallCreatedByTheWaitingThreadWaitForItsAnnouncement)
{
    tapi.Reset(1, 0);
    ASSERT_EQ(session->Init(TAPI_TEXT("Dialwerk"), &SlowAnnouncingLine::classRecord, nullptr, &LoggingCall::classRecord,
                            nullptr, 0x30000),
              0u);
    CTapiLine *line = OpenLine(0);
    tapi.lineMakeCallW = [&](HLINE, LPHCALL call, LPCWSTR, DWORD, LPLINECALLPARAMS) {
        *call = 0x78;
        tapi.PostLine(0, LINE_REPLY, 0, 13, 0);
        return LONG(13);
    };
    CTapiCall *call = nullptr;
    ASSERT_EQ(line->MakeCall(&call, TAPI_TEXT("202")), 0u);
    ASSERT_TRUE(tapi.WaitLineIdle());
    EXPECT_THAT(HookLog::Entries(), ElementsAre("line 0 OnNewCall 0x78", "announced", "call 0x78 OnStateChange 0x8"));
    EXPECT_EQ(call->GetCallState(), DWORD{LINECALLSTATE_DIALTONE});
}

TEST_F(LineTest, MakeCallTimeoutLeavesNoCallAndALateReplyWritesIntoKeptStorage)
{
    ManualTick tick;
    InitSession(1, 0);
    CTapiLine *line = OpenLine(0);
    LPHCALL written = nullptr;
    tapi.lineMakeCallW = [&](HLINE, LPHCALL call, LPCWSTR, DWORD, LPLINECALLPARAMS) {
        written = call;
        return LONG(13);
    };
    SetTapiMessagePump([] {
        ManualTick::Advance(30000);
        return false;
    });
    CTapiCall *call = nullptr;
    EXPECT_EQ(line->MakeCall(&call, TAPI_TEXT("202")), kTapiNoReply);
    EXPECT_EQ(call, nullptr);
    EXPECT_EQ(line->GetCallCount(), 0u);
    ASSERT_NE(written, nullptr);
    *written = 0x78; // a provider answering late; storage still owned by the pending request
    EXPECT_EQ(session->GetPendingRequestCount(), 1u);
}

TEST_F(LineTest, SwapHoldPutsTheHeldCallSecond)
{
    InitSession(1, 0);
    CTapiLine *line = OpenLine(0);
    CTapiCall *held = OfferCall(line, 0x21, LINECALLSTATE_ONHOLDPENDTRANSFER);
    CTapiCall *active = OfferCall(line, 0x22, LINECALLSTATE_CONNECTED);
    std::vector<std::pair<HCALL, HCALL>> swaps;
    tapi.lineSwapHold = [&](HCALL a, HCALL h) {
        swaps.emplace_back(a, h);
        return LONG(LINEERR_INVALCALLSTATE);
    };
    EXPECT_EQ(line->SwapHold(held, active), LINEERR_INVALCALLSTATE);
    EXPECT_EQ(line->SwapHold(active, held), LINEERR_INVALCALLSTATE);
    EXPECT_EQ(swaps, (std::vector<std::pair<HCALL, HCALL>>{{0x22, 0x21}, {0x22, 0x21}}));
    EXPECT_EQ(session->GetPendingRequestCount(), 0u) << "errors register nothing";
}

TEST_F(LineTest, FindCallByStateTestsStateThenFeatures)
{
    InitSession(1, 0);
    CTapiLine *line = OpenLine(0);
    OfferCall(line, 0x23, LINECALLSTATE_ONHOLD);
    CTapiCall *second = OfferCall(line, 0x24, LINECALLSTATE_ONHOLD);
    tapi.lineGetCallStatus = [](HCALL call, LPLINECALLSTATUS status) {
        status->dwNeededSize = status->dwUsedSize = sizeof(LINECALLSTATUS);
        status->dwCallFeatures = call == 0x24 ? LINECALLFEATURE_SWAPHOLD : LINECALLFEATURE_DROP;
        return LONG(0);
    };
    EXPECT_EQ(line->FindCallByState(0x3400, LINECALLFEATURE_SWAPHOLD), second);
    EXPECT_EQ(line->FindCallByState(0x3400, 0)->GetCallHandle(), 0x23u);
    EXPECT_EQ(line->FindCallByState(LINECALLSTATE_CONNECTED, 0), nullptr);
}

TEST_F(LineTest, ForwardFindsTheConsultationCallOnlyAfterSuccess)
{
    InitSession(1, 0);
    CTapiLine *line = OpenLine(0);
    CTapiCall *existing = OfferCall(line, 0x90, LINECALLSTATE_DIALTONE);
    tapi.lineForwardW = [&](HLINE, DWORD all, DWORD address, LPLINEFORWARDLIST, DWORD rings, LPHCALL consult,
                            LPLINECALLPARAMS) {
        EXPECT_EQ(all, 1u);
        EXPECT_EQ(address, 0u);
        EXPECT_EQ(rings, 3u);
        EXPECT_EQ(*consult, 0u);
        *consult = 0x90;
        tapi.PostLine(0, LINE_REPLY, 0, 21, 0);
        return LONG(21);
    };
    CTapiCall *consult = nullptr;
    EXPECT_EQ(line->Forward(0xFFFFFFFF, nullptr, 3, &consult), 21u);
    EXPECT_EQ(consult, existing);
    EXPECT_EQ(session->WaitForReply(21, 60000), 0u) << "the reply stays available to the caller";
}

TEST_F(LineTest, PhoneIdIsReadWithinTheSizeTapiWasGiven)
{
    InitSession(1, 0);
    CTapiLine *line = OpenLine(0);
    tapi.lineGetIDW = [](HLINE, DWORD, HCALL, DWORD select, LPVARSTRING id, LPCWSTR cls) {
        EXPECT_EQ(select, DWORD{LINECALLSELECT_LINE});
        EXPECT_EQ(Narrow(cls), "tapi/phone");
        EXPECT_EQ(id->dwTotalSize, 34u);
        id->dwStringFormat = STRINGFORMAT_BINARY;
        id->dwStringOffset = 24;
        id->dwStringSize = 4;
        const DWORD phone = 3;
        std::memcpy(reinterpret_cast<char *>(id) + 24, &phone, 4);
        return LONG(0);
    };
    EXPECT_EQ(line->GetPhoneID(), 3u);
    tapi.lineGetIDW = [](HLINE, DWORD, HCALL, DWORD, LPVARSTRING id, LPCWSTR) {
        id->dwStringOffset = 400; // inside the block, outside dwTotalSize
        id->dwStringSize = 4;
        return LONG(0);
    };
    EXPECT_EQ(line->GetPhoneID(), 0xFFFFFFFFu);
    tapi.lineGetIDW = [](HLINE, DWORD, HCALL, DWORD, LPVARSTRING, LPCWSTR) { return LONG(LINEERR_INVALDEVICECLASS); };
    EXPECT_EQ(line->GetPhoneID(), 0xFFFFFFFFu);
}

TEST_F(LineTest, InvalidPasswordStateIsTheProvidersNumber)
{
    InitSession(1, 0);
    CTapiLine *line = session->GetLine(0);
    EXPECT_EQ(line->GetInvalidPasswordState(), 0) << "device class not supported";
    tapi.lineGetDevConfigW = [](DWORD, LPVARSTRING config, LPCWSTR cls) {
        EXPECT_EQ(Narrow(cls), "ktelx/InvalidPasswordState");
        const tapi_string text = TAPI_TEXT("42");
        config->dwStringFormat = STRINGFORMAT_UNICODE;
        config->dwUsedSize = 24;
        PlaceString(config, config->dwUsedSize, text, config->dwStringSize, config->dwStringOffset);
        return LONG(0);
    };
    EXPECT_EQ(line->GetInvalidPasswordState(), 42);
}

TEST_F(LineTest, RemoveCallKeepsACallThatIsNotIdle)
{
    InitSession(1, 0);
    CTapiLine *line = OpenLine(0);
    CTapiCall *call = OfferCall(line, 0x25, LINECALLSTATE_CONNECTED);
    line->RemoveCall(call);
    EXPECT_EQ(line->GetCallCount(), 1u);
    OfferCall(line, 0x25, LINECALLSTATE_IDLE);
    line->RemoveCall(call);
    EXPECT_EQ(line->GetCallCount(), 0u);
}

TEST_F(LineTest, NewCallsAreAttachedFromTheCallList)
{
    InitSession(1, 0);
    CTapiLine *line = OpenLine(0);
    tapi.lineGetNewCalls = [](HLINE, DWORD address, DWORD select, LPLINECALLLIST list) {
        EXPECT_EQ(address, 0u);
        EXPECT_EQ(select, DWORD{LINECALLSELECT_LINE});
        list->dwNeededSize = list->dwUsedSize = 24 + 8;
        list->dwCallsNumEntries = 3; // one more than the list holds
        list->dwCallsSize = 8;
        list->dwCallsOffset = 24;
        const HCALL calls[2] = {0x81, 0x82};
        std::memcpy(reinterpret_cast<char *>(list) + 24, calls, sizeof calls);
        return LONG(0);
    };
    EXPECT_EQ(line->RefreshCalls(), 2u);
    EXPECT_NE(line->FindCall(0x82), nullptr);
}

} // namespace
