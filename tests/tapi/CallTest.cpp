// The call object: its caches, state tracking, the operations that wait and create
// calls, park, deallocation and the party texts from untrusted call information.
#include "CTapiAddress.h"
#include "TapiFields.h"
#include "TapiTestSession.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>

namespace {

using ::testing::ElementsAre;

class CallTest : public ScriptedSessionTest {
protected:
    void SetUp() override
    {
        ScriptedSessionTest::SetUp();
        InitSession(1, 0);
        line = OpenLine(0);
        call = OfferCall(line, 0x10, LINECALLSTATE_CONNECTED);
        ASSERT_NE(call, nullptr);
        HookLog::Clear();
    }

    // Answers every request of `function` with `result` through LINE_REPLY.
    DWORD Reply(DWORD result)
    {
        const DWORD request = tapi.NextRequestId();
        tapi.PostLine(0, LINE_REPLY, 0, request, result);
        return request;
    }

    CTapiLine *line = nullptr;
    CTapiCall *call = nullptr;
};

TEST_F(CallTest, CallInfoIsCachedAndGrownToTheNeededSize)
{
    std::vector<DWORD> sizes;
    tapi.lineGetCallInfoW = [&](HCALL, LPLINECALLINFO info) {
        sizes.push_back(info->dwTotalSize);
        info->dwNeededSize = 2000;
        info->dwUsedSize = std::min<DWORD>(info->dwTotalSize, 2000);
        info->dwAddressID = 0;
        return LONG(0);
    };
    auto first = call->GetCallInfo(false);
    auto again = call->GetCallInfo(false);
    EXPECT_EQ(first, again);
    EXPECT_EQ(sizes, (std::vector<DWORD>{1368, 2000}));
    call->GetCallInfo(true);
    EXPECT_EQ(sizes.back(), 2000u) << "a forced read keeps the grown size";
    EXPECT_EQ(call->GetAddress(), line->GetAddress(0));
}

TEST_F(CallTest, CallInfoEventRereadsOnlyInformationReadBefore)
{
    tapi.ClearCalls();
    tapi.lineGetCallInfoW = [](HCALL, LPLINECALLINFO info) {
        info->dwNeededSize = info->dwUsedSize = sizeof(LINECALLINFO);
        return LONG(0);
    };
    tapi.PostLine(0x10, LINE_CALLINFO, CTapiConnection::InstanceOf(0), LINECALLINFOSTATE_CALLDATA);
    ASSERT_TRUE(tapi.WaitLineIdle());
    EXPECT_EQ(tapi.CountOf("lineGetCallInfoW"), 0);
    call->GetCallInfo();
    tapi.PostLine(0x10, LINE_CALLINFO, CTapiConnection::InstanceOf(0), LINECALLINFOSTATE_CALLDATA);
    ASSERT_TRUE(tapi.WaitLineIdle());
    EXPECT_EQ(tapi.CountOf("lineGetCallInfoW"), 2);
}

TEST_F(CallTest, UnknownOrCombinedStatesAreStoredWithoutAStateHook)
{
    for (DWORD state : {DWORD{LINECALLSTATE_UNKNOWN}, DWORD{LINECALLSTATE_IDLE | LINECALLSTATE_CONNECTED}}) {
        OfferCall(line, 0x10, state);
        EXPECT_EQ(call->GetCallState(), state);
    }
    EXPECT_THAT(HookLog::Entries(), ElementsAre("call 0x10 OnStateChange 0x8000", "call 0x10 OnStateChange 0x101"));
}

TEST_F(CallTest, StateIsReadFromTheStatusOnlyUntilAnEventReportsIt)
{
    CTapiCall *fresh = line->AttachCall(0x11);
    tapi.lineGetCallStatus = [](HCALL, LPLINECALLSTATUS) { return LONG(LINEERR_INVALCALLHANDLE); };
    EXPECT_EQ(fresh->GetCallState(), DWORD{LINECALLSTATE_UNKNOWN});
    EXPECT_EQ(Narrow(fresh->GetCallStateText()), "Unknown ");
    EXPECT_EQ(Narrow(fresh->GetCallFeaturesText()), "LCF_NONE\r\n\r\nLCF2_NONE\r\n");
    OfferCall(line, 0x11, LINECALLSTATE_BUSY);
    EXPECT_EQ(fresh->GetCallState(), DWORD{LINECALLSTATE_BUSY});
}

TEST_F(CallTest, DropSkipsAnIdleCallButNotAnUnknownOne)
{
    tapi.lineDrop = [&](HCALL, LPCSTR, DWORD) { return LONG(Reply(0)); };
    CTapiCall *fresh = line->AttachCall(0x12);
    EXPECT_NE(fresh->Drop(), 0u);
    OfferCall(line, 0x12, LINECALLSTATE_IDLE);
    EXPECT_EQ(fresh->Drop(), 0u);
    EXPECT_EQ(tapi.CountOf("lineDrop"), 1);
}

TEST_F(CallTest, ParkCopiesTheAddressIntoTheCallersBufferAndNoMore)
{
    tapi.lineParkW = [&](HCALL, DWORD mode, LPCWSTR directed, LPVARSTRING address) {
        EXPECT_EQ(mode, DWORD{LINEPARKMODE_NONDIRECTED});
        EXPECT_EQ(directed, nullptr);
        EXPECT_EQ(address->dwTotalSize, 16u + 24u);
        EXPECT_EQ(address->dwStringFormat, DWORD{STRINGFORMAT_UNICODE});
        address->dwUsedSize = 24;
        PlaceString(address, address->dwUsedSize, TAPI_TEXT("7001"), address->dwStringSize, address->dwStringOffset);
        return LONG(Reply(0));
    };
    unsigned char buffer[16 + 4];
    std::memset(buffer, 0xEE, sizeof buffer);
    const DWORD result = call->Park(LINEPARKMODE_NONDIRECTED, nullptr, buffer, 16);
    EXPECT_TRUE(IsTapiRequestId(result));
    EXPECT_EQ(Narrow(reinterpret_cast<const WCHAR *>(buffer)), "7001");
    EXPECT_EQ(buffer[10], 0);
    EXPECT_EQ(buffer[16], 0xEE) << "nothing beyond the caller's buffer";

    tapi.lineParkW = [&](HCALL, DWORD, LPCWSTR, LPVARSTRING address) {
        address->dwStringOffset = 24;
        address->dwStringSize = 200; // claims more than the VARSTRING holds
        return LONG(Reply(0));
    };
    call->Park(LINEPARKMODE_NONDIRECTED, nullptr, buffer, 16);
    EXPECT_EQ(buffer[0], 0) << "the cleared buffer stays empty";
    EXPECT_EQ(buffer[16], 0xEE);
}

TEST_F(CallTest, CompleteTransferLooksUpTheConferenceCallOnlyInConferenceMode)
{
    CTapiCall *consult = OfferCall(line, 0x13, LINECALLSTATE_CONNECTED);
    tapi.lineCompleteTransfer = [&](HCALL held, HCALL consultation, LPHCALL conference, DWORD) {
        EXPECT_EQ(held, 0x10u);
        EXPECT_EQ(consultation, 0x13u);
        *conference = 0x14;
        return LONG(Reply(0));
    };
    CTapiCall *conference = reinterpret_cast<CTapiCall *>(1);
    const DWORD transfer = call->CompleteTransfer(consult, &conference, LINETRANSFERMODE_TRANSFER);
    EXPECT_EQ(conference, nullptr);
    EXPECT_EQ(session->WaitForReply(transfer, 60000), 0u) << "the caller waits again on the same request";
    EXPECT_EQ(call->CompleteTransfer(consult, &conference, LINETRANSFERMODE_CONFERENCE), transfer + 1);
    ASSERT_NE(conference, nullptr);
    EXPECT_EQ(conference->GetCallHandle(), 0x14u);
}

TEST_F(CallTest, SetupConferenceAttachesBothCallsAndAnnouncesThem)
{
    tapi.lineSetupConferenceW = [&](HCALL, HLINE lineHandle, LPHCALL conference, LPHCALL consult, DWORD parties,
                                    LPLINECALLPARAMS) {
        EXPECT_EQ(lineHandle, 0u);
        EXPECT_EQ(parties, 3u);
        *conference = 0x15;
        *consult = 0x16;
        return LONG(Reply(0));
    };
    CTapiCall *conference = nullptr;
    CTapiCall *consult = nullptr;
    call->SetupConference(&conference, &consult, 3);
    ASSERT_NE(conference, nullptr);
    ASSERT_NE(consult, nullptr);
    EXPECT_THAT(HookLog::Entries(), ElementsAre("line 0 OnNewCall 0x15", "line 0 OnNewCall 0x16"));
}

TEST_F(CallTest, FailedSetupTransferLeavesNoConsultationCall)
{
    tapi.lineSetupTransferW = [&](HCALL, LPHCALL consult, LPLINECALLPARAMS) {
        *consult = 0x17;
        return LONG(Reply(LINEERR_INVALCALLSTATE));
    };
    CTapiCall *consult = reinterpret_cast<CTapiCall *>(1);
    EXPECT_TRUE(IsTapiRequestId(call->SetupTransfer(&consult)));
    EXPECT_EQ(consult, nullptr);
    EXPECT_EQ(line->FindCall(0x17), nullptr);
}

TEST_F(CallTest, CompletionIdReachesTheCallerThroughItsWait)
{
    tapi.lineCompleteCall = [&](HCALL, LPDWORD id, DWORD mode, DWORD message) {
        EXPECT_EQ(mode, DWORD{LINECALLCOMPLMODE_CALLBACK});
        EXPECT_EQ(message, 0u);
        *id = 0x5150;
        return LONG(Reply(0));
    };
    DWORD id = 0;
    const DWORD request = call->CompleteCall(&id, LINECALLCOMPLMODE_CALLBACK, 0);
    EXPECT_EQ(session->WaitForReply(request, 60000), 0u);
    EXPECT_EQ(id, 0x5150u);
}

TEST_F(CallTest, DeallocatingAConnectedCallKeepsItListedWithoutAHandle)
{
    EXPECT_EQ(call->Deallocate(), 0u);
    EXPECT_EQ(call->GetCallHandle(), 0u);
    EXPECT_EQ(line->GetCallCount(), 1u);
    EXPECT_EQ(call->Deallocate(), 0u);
    EXPECT_EQ(tapi.CountOf("lineDeallocateCall"), 1);

    CTapiCall *idle = OfferCall(line, 0x18, LINECALLSTATE_IDLE);
    tapi.lineDeallocateCall = [](HCALL) { return LONG(LINEERR_INVALCALLSTATE); };
    EXPECT_EQ(idle->Deallocate(), LINEERR_INVALCALLSTATE);
    EXPECT_EQ(line->FindCall(0x18), idle);
    tapi.lineDeallocateCall = [](HCALL) { return LONG(0); };
    EXPECT_EQ(idle->Deallocate(), 0u);
    EXPECT_EQ(line->FindCall(0x18), nullptr);
}

TEST_F(CallTest, WaitForFeaturesReturnsAtOnceOrAfterTheGivenTime)
{
    ManualTick tick;
    DWORD features = LINECALLFEATURE_DIAL | LINECALLFEATURE_DROP;
    tapi.lineGetCallStatus = [&](HCALL, LPLINECALLSTATUS status) {
        status->dwNeededSize = status->dwUsedSize = sizeof(LINECALLSTATUS);
        status->dwCallFeatures = features;
        return LONG(0);
    };
    int pumps = 0;
    SetTapiMessagePump([&] {
        ++pumps;
        ManualTick::Advance(1000);
        return false;
    });
    EXPECT_TRUE(call->WaitForFeatures(LINECALLFEATURE_DIAL, 5000));
    EXPECT_EQ(pumps, 0);
    features = LINECALLFEATURE_DROP;
    EXPECT_FALSE(call->WaitForFeatures(LINECALLFEATURE_DIAL, 5000));
    EXPECT_EQ(pumps, 5);
}

TEST_F(CallTest, StateAndModeTexts)
{
    tapi.lineGetCallStatus = [](HCALL, LPLINECALLSTATUS status) {
        status->dwNeededSize = status->dwUsedSize = sizeof(LINECALLSTATUS);
        status->dwCallStateMode = LINECONNECTEDMODE_ACTIVE;
        status->dwCallFeatures = LINECALLFEATURE_DROP | LINECALLFEATURE_HOLD;
        return LONG(0);
    };
    EXPECT_EQ(Narrow(call->GetCallStateText()), "Connected (Active)");
    EXPECT_EQ(Narrow(call->GetCallFeaturesText()), "LCF_DROP\r\nLCF_HOLD\r\n\r\nLCF2_NONE\r\n");
}

TEST_F(CallTest, PartyTextsFollowTheFlagsAndStayInsideTheInformation)
{
    tapi.lineGetCallInfoW = [](HCALL, LPLINECALLINFO info) {
        info->dwNeededSize = info->dwUsedSize = sizeof(LINECALLINFO);
        info->dwCallerIDFlags = LINECALLPARTYID_ADDRESS | LINECALLPARTYID_NAME;
        PlaceString(info, info->dwUsedSize, TAPI_TEXT("201"), info->dwCallerIDSize, info->dwCallerIDOffset);
        PlaceString(info, info->dwUsedSize, TAPI_TEXT("Alice"), info->dwCallerIDNameSize, info->dwCallerIDNameOffset);
        info->dwCalledIDFlags = LINECALLPARTYID_NAME;
        PlaceString(info, info->dwUsedSize, TAPI_TEXT("202"), info->dwCalledIDSize, info->dwCalledIDOffset);
        PlaceString(info, info->dwUsedSize, TAPI_TEXT("Bob"), info->dwCalledIDNameSize, info->dwCalledIDNameOffset);
        info->dwConnectedIDFlags = LINECALLPARTYID_ADDRESS | LINECALLPARTYID_NAME;
        info->dwConnectedIDOffset = 0x7FFFFFF0; // far outside the block
        info->dwConnectedIDSize = 0x100;
        info->dwConnectedIDNameOffset = info->dwTotalSize - 4;
        info->dwConnectedIDNameSize = 8;
        return LONG(0);
    };
    EXPECT_EQ(Narrow(call->GetCallerNumber()), "201");
    EXPECT_EQ(Narrow(call->GetCallerName()), "Alice");
    EXPECT_EQ(Narrow(call->GetCalledNumber()), "") << "flags without LINECALLPARTYID_ADDRESS";
    EXPECT_EQ(Narrow(call->GetCalledName()), "Bob");
    EXPECT_EQ(Narrow(call->GetConnectedNumber()), "");
    EXPECT_EQ(Narrow(call->GetConnectedName()), "");
    EXPECT_EQ(Narrow(call->GetRedirectingNumber()), "");
}

TEST_F(CallTest, ConferenceRelatedCallsAreAttachedInListOrder)
{
    tapi.lineGetConfRelatedCalls = [](HCALL, LPLINECALLLIST list) {
        list->dwNeededSize = list->dwUsedSize = 24 + 12;
        list->dwCallsNumEntries = 3;
        list->dwCallsSize = 12;
        list->dwCallsOffset = 24;
        const HCALL calls[3] = {0x10, 0x19, 0};
        std::memcpy(reinterpret_cast<char *>(list) + 24, calls, sizeof calls);
        return LONG(0);
    };
    std::vector<CTapiCall *> related;
    EXPECT_EQ(call->GetConferenceRelatedCalls(related), 0u);
    ASSERT_EQ(related.size(), 2u) << "a zero handle gives no call";
    EXPECT_EQ(related[0], call);
    EXPECT_EQ(related[1]->GetCallHandle(), 0x19u);
}

} // namespace
