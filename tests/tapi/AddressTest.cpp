// The address object: names, cache refreshes on address events, pickup, and the
// agent group list round trip.
#include "CTapiAddress.h"
#include "TapiFields.h"
#include "TapiTestSession.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

using AddressTest = ScriptedSessionTest;

TEST_F(AddressTest, NameFallsBackToAddressUnknown)
{
    InitSession(1, 0, 2);
    CTapiAddress *address = session->GetLine(0)->GetAddress(1);
    ASSERT_NE(address, nullptr);
    EXPECT_EQ(Narrow(address->GetAddressName()), "21");
    tapi.lineGetAddressCapsW = [](HLINEAPP, DWORD, DWORD, DWORD, DWORD, LPLINEADDRESSCAPS caps) {
        caps->dwNeededSize = caps->dwUsedSize = sizeof(LINEADDRESSCAPS);
        return LONG(0);
    };
    address->GetAddressCaps(0, 0, true);
    EXPECT_EQ(Narrow(address->GetAddressName()), "Address unknown");
}

TEST_F(AddressTest, StatusNeedsAnOpenLine)
{
    InitSession(1, 0);
    CTapiAddress *address = session->GetLine(0)->GetAddress(0);
    EXPECT_EQ(address->GetAddressStatus(), nullptr);
    EXPECT_EQ(tapi.CountOf("lineGetAddressStatusW"), 0);
}

TEST_F(AddressTest, StateChangeRereadsOnlyWhatIsCachedAndConcerned)
{
    InitSession(1, 0);
    CTapiLine *line = OpenLine(0);
    CTapiAddress *address = line->GetAddress(0);
    tapi.lineGetAddressStatusW = [](HLINE, DWORD, LPLINEADDRESSSTATUS status) {
        status->dwNeededSize = status->dwUsedSize = sizeof(LINEADDRESSSTATUS);
        return LONG(0);
    };
    const auto post = [&](DWORD states) {
        tapi.PostLine(line->GetLineHandle(), LINE_ADDRESSSTATE, CTapiConnection::InstanceOf(0), 0, states);
        ASSERT_TRUE(tapi.WaitLineIdle());
    };
    post(LINEADDRESSSTATE_NUMCALLS);
    EXPECT_EQ(tapi.CountOf("lineGetAddressStatusW"), 0) << "status never read before";
    ASSERT_NE(address->GetAddressStatus(), nullptr);
    const int caps = tapi.CountOf("lineGetAddressCapsW");
    post(LINEADDRESSSTATE_NUMCALLS);
    EXPECT_EQ(tapi.CountOf("lineGetAddressStatusW"), 2);
    EXPECT_EQ(tapi.CountOf("lineGetAddressCapsW"), caps);
    post(LINEADDRESSSTATE_CAPSCHANGE);
    EXPECT_EQ(tapi.CountOf("lineGetAddressCapsW"), caps) << "capabilities never read before";
    ASSERT_NE(address->GetAddressCaps(), nullptr);
    post(LINEADDRESSSTATE_CAPSCHANGE);
    EXPECT_EQ(tapi.CountOf("lineGetAddressStatusW"), 2);
    EXPECT_EQ(tapi.CountOf("lineGetAddressCapsW"), caps + 2);
}

TEST_F(AddressTest, PickupAttachesTheCallOnlyOnSuccess)
{
    InitSession(1, 0);
    CTapiLine *line = OpenLine(0);
    CTapiAddress *address = line->GetAddress(0);
    DWORD reply = LINEERR_NOTOWNER;
    tapi.linePickupW = [&](HLINE, DWORD id, LPHCALL call, LPCWSTR dest, LPCWSTR group) {
        EXPECT_EQ(id, 0u);
        EXPECT_EQ(Narrow(dest), "201");
        EXPECT_EQ(group, nullptr);
        *call = 0x66;
        const DWORD request = tapi.NextRequestId();
        tapi.PostLine(0, LINE_REPLY, 0, request, reply);
        return LONG(request);
    };
    CTapiCall *call = reinterpret_cast<CTapiCall *>(1);
    EXPECT_EQ(address->Pickup(&call, TAPI_TEXT("201"), nullptr), 1u) << "linePickupW's own result";
    EXPECT_EQ(call, nullptr);
    EXPECT_EQ(line->GetCallCount(), 0u);
    reply = 0;
    EXPECT_EQ(address->Pickup(&call, TAPI_TEXT("201"), nullptr), 2u);
    ASSERT_NE(call, nullptr);
    EXPECT_EQ(call->GetCallHandle(), 0x66u);
}

TEST_F(AddressTest, AgentGroupsSurviveAReadAndAWrite)
{
    InitSession(1, 0);
    CTapiLine *line = OpenLine(0);
    CTapiAddress *address = line->GetAddress(0);
    std::vector<unsigned char> written;
    tapi.lineSetAgentGroup = [&](HLINE, DWORD, LPLINEAGENTGROUPLIST list) {
        written.assign(reinterpret_cast<unsigned char *>(list),
                       reinterpret_cast<unsigned char *>(list) + list->dwTotalSize);
        const DWORD request = tapi.NextRequestId();
        tapi.PostLine(0, LINE_REPLY, 0, request, 0);
        return LONG(request);
    };
    tapi.lineGetAgentGroupListW = [&](HLINE, DWORD, LPLINEAGENTGROUPLIST list) {
        EXPECT_GE(list->dwTotalSize, written.size());
        std::memcpy(list, written.data(), written.size());
        list->dwTotalSize = 3424;
        const DWORD request = tapi.NextRequestId();
        tapi.PostLine(0, LINE_REPLY, 0, request, 0);
        return LONG(request);
    };
    CTapiAgentGroupEntry sales;
    sales.groupId[0] = 1;
    sales.groupId[1] = 0xFFFFFFFF;
    sales.groupId[2] = 3;
    sales.groupId[3] = 0x80000000;
    sales.name = TAPI_TEXT("Sales");
    CTapiAgentGroupEntry support;
    support.groupId[0] = 9;
    support.name = tapi_string(300, u'x'); // longer than 255 characters
    ASSERT_EQ(address->SetAgentGroup({sales, support}), 0u);
    std::vector<CTapiAgentGroupEntry> read;
    ASSERT_EQ(address->GetAgentGroupList(read), 0u);
    ASSERT_EQ(read.size(), 2u);
    EXPECT_EQ(std::vector<DWORD>(read[0].groupId, read[0].groupId + 4),
              (std::vector<DWORD>{1, 0xFFFFFFFF, 3, 0x80000000}));
    EXPECT_EQ(Narrow(read[0].name), "Sales");
    EXPECT_EQ(read[1].name.size(), 300u);

    tapi.lineSetAgentGroup = [](HLINE, DWORD, LPLINEAGENTGROUPLIST list) {
        EXPECT_EQ(list, nullptr);
        return LONG(0);
    };
    EXPECT_EQ(address->SetAgentGroup({}), 0u);
}

TEST_F(AddressTest, AgentInNoGroupGivesInvalAgentGroup)
{
    InitSession(1, 0);
    CTapiLine *line = OpenLine(0);
    CTapiAddress *address = line->GetAddress(0);
    tapi.lineGetAgentStatusW = [&](HLINE, DWORD, LPLINEAGENTSTATUS status) {
        status->dwNeededSize = status->dwUsedSize = sizeof(LINEAGENTSTATUS);
        status->dwState = LINEAGENTSTATE_READY;
        const DWORD request = tapi.NextRequestId();
        tapi.PostLine(0, LINE_REPLY, 0, request, 0);
        return LONG(request);
    };
    std::vector<CTapiAgentGroupEntry> groups;
    EXPECT_EQ(address->GetAgentGroups(groups), LINEERR_INVALAGENTGROUP);
    EXPECT_TRUE(groups.empty());
    EXPECT_FALSE(address->HasAgentStatusChanged());
    tapi.PostLine(line->GetLineHandle(), LINE_AGENTSTATUS, CTapiConnection::InstanceOf(0), 0,
                  LINEAGENTSTATUS_CAPSCHANGE);
    ASSERT_TRUE(tapi.WaitLineIdle());
    EXPECT_FALSE(address->HasAgentStatusChanged());
    tapi.PostLine(line->GetLineHandle(), LINE_AGENTSTATUS, CTapiConnection::InstanceOf(0), 0, LINEAGENTSTATUS_STATE);
    ASSERT_TRUE(tapi.WaitLineIdle());
    EXPECT_TRUE(address->HasAgentStatusChanged());
}

TEST_F(AddressTest, AgentSupportIsProbedOnATemporaryHandleWhenClosed)
{
    InitSession(1, 0);
    CTapiAddress *address = session->GetLine(0)->GetAddress(0);
    tapi.lineGetAgentStatusW = [](HLINE line, DWORD, LPLINEAGENTSTATUS status) {
        EXPECT_EQ(line, ScriptedTapi::LineHandleOf(0));
        EXPECT_EQ(status->dwTotalSize, 56u);
        return LONG(LINEERR_OPERATIONUNAVAIL);
    };
    EXPECT_FALSE(address->IsAgentSupported());
    EXPECT_EQ(tapi.CountOf("lineClose"), 1);
    tapi.lineGetAgentStatusW = [](HLINE, DWORD, LPLINEAGENTSTATUS) { return LONG(0x4711); };
    EXPECT_TRUE(address->IsAgentSupported());
}

} // namespace
