#include "CTapiAddress.h"

#include "CTapiConnection.h"
#include "CTapiLine.h"
#include "CTapiRequest.h"
#include "TapiDeviceTexts.h"

#include <cstring>

namespace {

constexpr DWORD kAddressCapsInitialSize = 1252;
constexpr DWORD kAddressStatusInitialSize = 1088;
constexpr DWORD kAgentStatusInitialSize = 1080;
constexpr DWORD kGroupListInitialSize = 3424;
constexpr DWORD kActivityListInitialSize = 2224;
constexpr DWORD kAgentProbeVersion = 0x00020000;

// Header of LINEAGENTGROUPLIST, then the records, then the names.
constexpr DWORD kGroupListHeaderSize = sizeof(LINEAGENTGROUPLIST);
constexpr DWORD kGroupEntrySize = sizeof(LINEAGENTGROUPENTRY);

} // namespace

CTapiAddress::CTapiAddress() = default;

CTapiAddress::~CTapiAddress() = default;

void CTapiAddress::Init(CTapiLine *line, DWORD addressId)
{
    line_ = line;
    addressId_ = addressId;
}

void CTapiAddress::OnStateChange(DWORD addressState)
{
    if ((addressState & LINEADDRESSSTATE_CAPSCHANGE) != 0) {
        ForgetAgentSupport();
        if (addressCaps_.Exists())
            GetAddressCaps(0, 0, true);
        addressState &= ~DWORD{LINEADDRESSSTATE_CAPSCHANGE};
    }
    if (addressState != 0 && addressStatus_.Exists())
        GetAddressStatus(true);
}

void CTapiAddress::OnAgentStatusChange(DWORD agentStatus, DWORD)
{
    if ((agentStatus & LINEAGENTSTATUS_CAPSCHANGE) != 0) {
        ForgetAgentSupport();
        agentCapsChanged_ = 1;
        agentStatus &= ~DWORD{LINEAGENTSTATUS_CAPSCHANGE};
    }
    if (agentStatus != 0)
        agentStatusChanged_ = 1;
}

TapiStructPtr<LINEADDRESSCAPS> CTapiAddress::GetAddressCaps(DWORD apiVersion, DWORD extVersion, bool force)
{
    if (apiVersion == 0)
        apiVersion = line_->GetAPIVersion();
    auto block = addressCaps_.Fetch(force, {kAddressCapsInitialSize}, [&](const std::shared_ptr<CTapiBuffer> &buffer) {
        return TapiResult(lineGetAddressCapsW(line_->GetConnection()->GetLineAppHandle(), line_->GetDeviceID(),
                                              addressId_, apiVersion, extVersion, buffer->As<LINEADDRESSCAPS>()));
    });
    return TapiStructOf<LINEADDRESSCAPS>(block);
}

TapiStructPtr<LINEADDRESSSTATUS> CTapiAddress::GetAddressStatus(bool force)
{
    if (!line_->IsOpen())
        return nullptr;
    auto block =
        addressStatus_.Fetch(force, {kAddressStatusInitialSize}, [&](const std::shared_ptr<CTapiBuffer> &buffer) {
            return TapiResult(
                lineGetAddressStatusW(line_->GetLineHandle(), addressId_, buffer->As<LINEADDRESSSTATUS>()));
        });
    return TapiStructOf<LINEADDRESSSTATUS>(block);
}

tapi_string CTapiAddress::GetAddressName()
{
    return TapiAddressNameOf(GetAddressCaps().get());
}

DWORD CTapiAddress::PickupOrUnpark(CTapiCall **call, const std::function<LONG(LPHCALL)> &issue)
{
    if (call)
        *call = nullptr;
    // TAPI writes the handle when the reply is delivered, which may be after this wait gave up.
    auto handle = std::make_shared<HCALL>(0);
    const HLINE openAs = line_->GetLineHandle();
    const DWORD result = TapiResult(issue(handle.get()));
    CTapiConnection *connection = line_->GetConnection();
    line_->AddLineRequestAs(openAs, result, handle);
    if (connection->WaitForReply(result, kTapiReplyTimeout) == 0) {
        CTapiCall *attached = line_->AttachCallOpenAs(*handle, openAs);
        if (call)
            *call = attached;
    }
    return result;
}

DWORD CTapiAddress::Pickup(CTapiCall **call, LPCWSTR destAddress, LPCWSTR groupId)
{
    return PickupOrUnpark(call, [&](LPHCALL handle) {
        return linePickupW(line_->GetLineHandle(), addressId_, handle, destAddress, groupId);
    });
}

DWORD CTapiAddress::Unpark(CTapiCall **call, LPCWSTR parkAddress)
{
    return PickupOrUnpark(
        call, [&](LPHCALL handle) { return lineUnparkW(line_->GetLineHandle(), addressId_, handle, parkAddress); });
}

TapiStructPtr<LINEAGENTSTATUS> CTapiAddress::GetAgentStatus()
{
    if (!line_->IsOpen())
        return nullptr;
    CTapiConnection *connection = line_->GetConnection();
    CTapiCache::Options options{kAgentStatusInitialSize};
    // A block whose request timed out may still be written by a late reply; it is never published.
    options.keepFailedBlock = false;
    auto block = agentStatus_.Fetch(true, options, [&](const std::shared_ptr<CTapiBuffer> &buffer) {
        const DWORD result =
            TapiResult(lineGetAgentStatusW(line_->GetLineHandle(), addressId_, buffer->As<LINEAGENTSTATUS>()));
        line_->AddLineRequest(result, buffer);
        return connection->WaitForReply(result, kTapiReplyTimeout);
    });
    if (!block)
        return nullptr;
    agentStatusChanged_ = 0;
    return TapiStructOf<LINEAGENTSTATUS>(block);
}

DWORD CTapiAddress::SetAgentState(DWORD agentState, DWORD nextAgentState)
{
    const DWORD result = TapiResult(lineSetAgentState(line_->GetLineHandle(), addressId_, agentState, nextAgentState));
    line_->AddLineRequest(result);
    return result;
}

DWORD CTapiAddress::SetAgentActivity(DWORD activityId)
{
    const DWORD result = TapiResult(lineSetAgentActivity(line_->GetLineHandle(), addressId_, activityId));
    line_->AddLineRequest(result);
    return result;
}

DWORD CTapiAddress::SetAgentGroup(const std::vector<CTapiAgentGroupEntry> &groups)
{
    std::shared_ptr<CTapiBuffer> block;
    if (!groups.empty()) {
        // Sized from the actual names, so no name is shortened and the block is never overrun.
        std::uint64_t size = kGroupListHeaderSize + std::uint64_t{kGroupEntrySize} * groups.size();
        for (const auto &group : groups)
            size += (group.name.size() + 1) * sizeof(WCHAR);
        if (size > CTapiBuffer::kMaxSize)
            return LINEERR_NOMEM;
        block = CTapiBuffer::Create(static_cast<DWORD>(size));
        if (!block)
            return LINEERR_NOMEM;
        auto *list = block->As<LINEAGENTGROUPLIST>();
        list->dwNeededSize = list->dwUsedSize = block->size();
        list->dwNumEntries = static_cast<DWORD>(groups.size());
        list->dwListSize = kGroupEntrySize * list->dwNumEntries;
        list->dwListOffset = kGroupListHeaderSize;
        DWORD nameOffset = kGroupListHeaderSize + list->dwListSize;
        for (std::size_t i = 0; i < groups.size(); ++i) {
            const auto &group = groups[i];
            LINEAGENTGROUPENTRY record{};
            record.GroupID.dwGroupID1 = group.groupId[0];
            record.GroupID.dwGroupID2 = group.groupId[1];
            record.GroupID.dwGroupID3 = group.groupId[2];
            record.GroupID.dwGroupID4 = group.groupId[3];
            record.dwNameSize = static_cast<DWORD>((group.name.size() + 1) * sizeof(WCHAR));
            record.dwNameOffset = nameOffset;
            std::memcpy(block->data() + kGroupListHeaderSize + i * kGroupEntrySize, &record, sizeof record);
            std::memcpy(block->data() + nameOffset, group.name.data(), group.name.size() * sizeof(WCHAR));
            nameOffset += record.dwNameSize;
        }
    }
    const DWORD result = TapiResult(
        lineSetAgentGroup(line_->GetLineHandle(), addressId_, block ? block->As<LINEAGENTGROUPLIST>() : nullptr));
    CTapiConnection *connection = line_->GetConnection();
    line_->AddLineRequest(result, block);
    return connection->WaitForReply(result, kTapiReplyTimeout);
}

DWORD CTapiAddress::FetchAgentList(DWORD initialSize, const std::function<LONG(void *)> &issue,
                                   std::shared_ptr<CTapiBuffer> &block)
{
    CTapiConnection *connection = line_->GetConnection();
    DWORD issued = 0;
    const DWORD outcome = TapiFetchGrowing(
        initialSize,
        [&](const std::shared_ptr<CTapiBuffer> &buffer) {
            issued = TapiResult(issue(buffer->data()));
            line_->AddLineRequest(issued, buffer);
            return connection->WaitForReply(issued, kTapiReplyTimeout);
        },
        kLineFetchCodes, block);
    // Callers only tell zero from non-zero; TAPI's own result is what they report.
    if (outcome != 0)
        return issued != 0 ? issued : outcome;
    return 0;
}

DWORD CTapiAddress::GetAgentGroupList(std::vector<CTapiAgentGroupEntry> &groups)
{
    std::shared_ptr<CTapiBuffer> block;
    const DWORD result = FetchAgentList(
        kGroupListInitialSize,
        [&](void *buffer) {
            return lineGetAgentGroupListW(line_->GetLineHandle(), addressId_,
                                          static_cast<LPLINEAGENTGROUPLIST>(buffer));
        },
        block);
    if (result != 0)
        return result;
    for (CTapiAgentGroupEntry &group : TapiAgentGroups(block->As<LINEAGENTGROUPLIST>()))
        groups.push_back(std::move(group));
    return 0;
}

DWORD CTapiAddress::GetAgentActivityList(std::vector<CTapiAgentActivityEntry> &activities)
{
    std::shared_ptr<CTapiBuffer> block;
    const DWORD result = FetchAgentList(
        kActivityListInitialSize,
        [&](void *buffer) {
            return lineGetAgentActivityListW(line_->GetLineHandle(), addressId_,
                                             static_cast<LPLINEAGENTACTIVITYLIST>(buffer));
        },
        block);
    if (result != 0)
        return result;
    for (CTapiAgentActivityEntry &activity : TapiAgentActivities(block->As<LINEAGENTACTIVITYLIST>()))
        activities.push_back(std::move(activity));
    return 0;
}

DWORD CTapiAddress::GetAgentGroups(std::vector<CTapiAgentGroupEntry> &groups)
{
    auto status = GetAgentStatus();
    if (!status || status->dwNumEntries == 0)
        return LINEERR_INVALAGENTGROUP;
    if (status->dwGroupListSize == 0 || status->dwGroupListOffset == 0)
        return 0;
    for (CTapiAgentGroupEntry &group : TapiAgentStatusGroups(status.get()))
        groups.push_back(std::move(group));
    return 0;
}

bool CTapiAddress::IsAgentSupported()
{
    return GetAgentSupport() != CTapiAgentSupport::Unsupported;
}

namespace {

CTapiAgentSupport AgentSupportOf(DWORD outcome)
{
    return outcome == LINEERR_OPERATIONUNAVAIL ? CTapiAgentSupport::Unsupported : CTapiAgentSupport::Supported;
}

} // namespace

void CTapiAddress::ForgetAgentSupport()
{
    const std::lock_guard<std::mutex> lock(agentSupportMutex_);
    agentSupportFor_ = 0;
    agentProbe_.reset();
}

CTapiAgentSupport CTapiAddress::GetAgentSupport()
{
    if (!line_->IsOpen())
        return ProbeClosedLine();
    const HLINE handle = line_->GetLineHandle();
    {
        const std::lock_guard<std::mutex> lock(agentSupportMutex_);
        if (agentSupportFor_ == handle && handle != 0) {
            // A reply that arrived since the question was asked settles the answer.
            if (agentProbe_ && !agentProbe_->IsPending()) {
                agentSupport_ = AgentSupportOf(agentProbe_->GetResult());
                agentProbe_.reset();
            }
            return agentSupport_;
        }
    }
    // The reply is written after this returns, so its block lives with the request entry.
    auto probe = CTapiBuffer::Create(sizeof(LINEAGENTSTATUS));
    if (!probe)
        return CTapiAgentSupport::Unsupported;
    const DWORD result = TapiResult(lineGetAgentStatusW(handle, addressId_, probe->As<LINEAGENTSTATUS>()));
    // A probe is the program's own question, not a request the user waits for.
    auto entry = line_->AddLineRequestAs(handle, result, probe, CTapiRequestKind::Probe);
    const std::lock_guard<std::mutex> lock(agentSupportMutex_);
    agentSupportFor_ = handle;
    agentProbe_.reset();
    if (!IsTapiRequestId(result) || !entry) {
        agentSupport_ = AgentSupportOf(result);
    } else if (!entry->IsPending()) {
        agentSupport_ = AgentSupportOf(entry->GetResult());
    } else {
        agentSupport_ = CTapiAgentSupport::Pending;
        agentProbe_ = std::move(entry);
    }
    return agentSupport_;
}

CTapiAgentSupport CTapiAddress::ProbeClosedLine()
{
    CTapiConnection *connection = line_->GetConnection();
    auto probe = CTapiBuffer::Create(sizeof(LINEAGENTSTATUS));
    if (!probe)
        return CTapiAgentSupport::Unsupported;
    HLINE temporary = 0;
    if (lineOpenW(connection->GetLineAppHandle(), line_->GetDeviceID(), &temporary, kAgentProbeVersion, 0,
                  kTapiNoInstance, LINECALLPRIVILEGE_NONE, LINEMEDIAMODE_UNKNOWN, nullptr) != 0)
        return CTapiAgentSupport::Unsupported;
    const DWORD result = TapiResult(lineGetAgentStatusW(temporary, addressId_, probe->As<LINEAGENTSTATUS>()));
    auto entry = connection->AddRequest(result, probe, CTapiRequestKind::Probe);
    // Nobody waits for this reply: a reply already stored decides, otherwise the request
    // counts as not refused.
    DWORD outcome = result;
    if (IsTapiRequestId(result))
        outcome = entry && !entry->IsPending() ? entry->GetResult() : LINEERR_INVALPARAM;
    lineClose(temporary);
    return AgentSupportOf(outcome);
}
