#include "CTapiLine.h"

#include "CTapiAddress.h"
#include "CTapiCall.h"
#include "CTapiConnection.h"
#include "TapiDeviceTexts.h"
#include "TapiLists.h"
#include "TapiVarString.h"

#include <algorithm>

namespace {

constexpr DWORD kLowVersion = 0x00010003;
constexpr DWORD kHighVersion = 0x00030001;
constexpr DWORD kDevCapsInitialSize = 1316;
constexpr DWORD kDevStatusInitialSize = 1112;
constexpr DWORD kCallListInitialSize = 1048;
constexpr DWORD kPhoneIdBlockSize = 1048;
constexpr DWORD kPhoneIdTotalSize = 34;
constexpr DWORD kHeldStates = LINECALLSTATE_ONHOLD | LINECALLSTATE_ONHOLDPENDCONF | LINECALLSTATE_ONHOLDPENDTRANSFER;
// How long the event thread waits for the user-interface thread to finish announcing a call
// it created; a hook that blocks longer must not stop the event thread for good.
constexpr DWORD kAnnounceWaitMs = 5000;

} // namespace

CTapiLine::CTapiLine() = default;

CTapiLine::~CTapiLine()
{
    Close();
    std::vector<std::unique_ptr<CTapiAddress>> addresses;
    std::vector<CTapiCallPtr> calls;
    {
        std::scoped_lock lock(addressesLock_, callsLock_);
        addresses.swap(addresses_);
        calls.swap(calls_);
    }
    // Outside the locks: releasing a call drops it, which registers the request.
    ReleaseAll(calls);
}

void CTapiLine::ReleaseAll(std::vector<CTapiCallPtr> &calls)
{
    for (const CTapiCallPtr &call : calls)
        call->Release();
    calls.clear();
}

DWORD CTapiLine::Init(CTapiConnection *connection, DWORD deviceId)
{
    connection_ = connection;
    DWORD version = 0;
    LINEEXTENSIONID extension{};
    const DWORD result = TapiResult(lineNegotiateAPIVersion(connection->GetLineAppHandle(), deviceId, kLowVersion,
                                                            kHighVersion, &version, &extension));
    if (result != 0)
        return result;
    apiVersion_ = version;
    deviceId_ = deviceId;
    CreateAddresses();
    return 0;
}

void CTapiLine::CreateAddresses()
{
    auto caps = GetLineCaps();
    if (!caps)
        return;
    std::lock_guard lock(addressesLock_);
    for (DWORD id = 0; id < caps->dwNumAddresses; ++id) {
        auto address = connection_->CreateAddressObject();
        address->Init(this, id);
        addresses_.push_back(std::move(address));
    }
}

TapiStructPtr<LINEDEVCAPS> CTapiLine::GetLineCaps(DWORD apiVersion, DWORD extVersion, bool force)
{
    if (apiVersion == 0)
        apiVersion = GetAPIVersion();
    CTapiCache::Options options{kDevCapsInitialSize};
    options.zeroTail = true;
    auto block = devCaps_.Fetch(force, options, [&](const std::shared_ptr<CTapiBuffer> &buffer) {
        return TapiResult(lineGetDevCapsW(connection_->GetLineAppHandle(), GetDeviceID(), apiVersion, extVersion,
                                          buffer->As<LINEDEVCAPS>()));
    });
    return TapiStructOf<LINEDEVCAPS>(block);
}

tapi_string CTapiLine::GetLineName()
{
    return TapiLineNameOf(GetLineCaps().get());
}

TapiStructPtr<LINEDEVSTATUS> CTapiLine::GetLineStatus()
{
    auto block = devStatus_.Fetch(true, {kDevStatusInitialSize}, [&](const std::shared_ptr<CTapiBuffer> &buffer) {
        return TapiResult(lineGetLineDevStatus(GetLineHandle(), buffer->As<LINEDEVSTATUS>()));
    });
    return TapiStructOf<LINEDEVSTATUS>(block);
}

DWORD CTapiLine::GetAddressCount()
{
    auto caps = GetLineCaps();
    return caps ? caps->dwNumAddresses : 0;
}

CTapiAddress *CTapiLine::GetAddress(DWORD addressId) const
{
    std::lock_guard lock(addressesLock_);
    return addressId < addresses_.size() ? addresses_[addressId].get() : nullptr;
}

DWORD CTapiLine::Open(DWORD privileges, DWORD mediaModes, DWORD apiVersion, DWORD extVersion,
                      LPLINECALLPARAMS callParams)
{
    if (IsOpen())
        return 0;
    HLINE line = 0;
    const DWORD result = TapiResult(
        lineOpenW(connection_->GetLineAppHandle(), GetDeviceID(), &line, apiVersion ? apiVersion : GetAPIVersion(),
                  extVersion, CTapiConnection::InstanceOf(GetDeviceID()), privileges, mediaModes, callParams));
    hLine_ = result == 0 ? line : 0;
    return result;
}

std::shared_ptr<CTapiRequest> CTapiLine::AddLineRequest(DWORD result, std::shared_ptr<void> keepAlive,
                                                        CTapiRequestKind kind)
{
    return AddLineRequestAs(GetLineHandle(), result, std::move(keepAlive), kind);
}

std::shared_ptr<CTapiRequest> CTapiLine::AddLineRequestAs(HLINE openAs, DWORD result, std::shared_ptr<void> keepAlive,
                                                          CTapiRequestKind kind)
{
    return connection_->AddDeviceRequest(this, openAs, GetLineHandle(), LINEERR_INVALLINEHANDLE, result,
                                         std::move(keepAlive), kind);
}

DWORD CTapiLine::Close()
{
    const HLINE line = GetLineHandle();
    if (line == 0)
        return 0;
    const DWORD result = TapiResult(lineClose(line));
    if (result != 0)
        return result;
    OnClose();
    return 0;
}

DWORD CTapiLine::SetStatusMessages(DWORD lineStates, DWORD addressStates)
{
    if (!IsOpen())
        return LINEERR_INVALLINEHANDLE;
    return TapiResult(lineSetStatusMessages(GetLineHandle(), lineStates, addressStates));
}

DWORD CTapiLine::SetLineDevStatus(DWORD statusToChange, bool on)
{
    const DWORD result = TapiResult(lineSetLineDevStatus(GetLineHandle(), statusToChange, on ? 0xFFFFFFFF : 0));
    AddLineRequest(result);
    return result;
}

DWORD CTapiLine::ConfigDialog(HWND parent, LPCWSTR deviceClass)
{
    return TapiResult(lineConfigDialogW(GetDeviceID(), parent, deviceClass));
}

DWORD CTapiLine::TranslateAddress(LPCWSTR addressIn, DWORD card, DWORD translateOptions, LPLINETRANSLATEOUTPUT output)
{
    return TapiResult(lineTranslateAddressW(connection_->GetLineAppHandle(), GetDeviceID(), GetAPIVersion(), addressIn,
                                            card, translateOptions, output));
}

CTapiCall *CTapiLine::GetCall(DWORD index) const
{
    std::lock_guard lock(callsLock_);
    return index < calls_.size() ? calls_[index].get() : nullptr;
}

bool CTapiLine::IsListed(const CTapiCall *call) const
{
    if (!call)
        return false;
    std::lock_guard lock(callsLock_);
    return std::any_of(calls_.begin(), calls_.end(), [call](const auto &listed) { return listed.get() == call; });
}

DWORD CTapiLine::GetCallCount() const
{
    std::lock_guard lock(callsLock_);
    return static_cast<DWORD>(calls_.size());
}

DWORD CTapiLine::RefreshCalls()
{
    std::vector<CTapiCall *> scratch;
    GetNewCalls(scratch);
    return GetCallCount();
}

CTapiCall *CTapiLine::FindCall(HCALL call) const
{
    return FindCallRef(call).get();
}

CTapiCallPtr CTapiLine::FindCallRef(HCALL call) const
{
    if (call == 0)
        return nullptr;
    std::lock_guard lock(callsLock_);
    for (const auto &listed : calls_) {
        if (listed->GetCallHandle() == call)
            return listed;
    }
    return nullptr;
}

CTapiCall *CTapiLine::FindCallByState(DWORD stateMask, DWORD featureMask) const
{
    // Held for the whole search so that no call is deleted under it.
    std::lock_guard lock(callsLock_);
    for (const auto &listed : calls_) {
        if ((listed->GetCallState() & stateMask) == 0)
            continue;
        if (featureMask == 0)
            return listed.get();
        auto status = listed->GetCallStatus();
        if (status && (status->dwCallFeatures & featureMask) != 0)
            return listed.get();
    }
    return nullptr;
}

CTapiCall *CTapiLine::AttachCall(HCALL call)
{
    const CTapiCallPtr attached = AttachCallRef(call);
    // The announcement may have let the call go; the list's reference is what keeps it.
    return IsListed(attached.get()) ? attached.get() : nullptr;
}

CTapiCall *CTapiLine::AttachCallOpenAs(HCALL call, HLINE openAs)
{
    if (openAs == 0 || GetLineHandle() != openAs)
        return nullptr;
    return AttachCall(call);
}

bool CTapiLine::MayBeCallOfThisOpening(HCALL call) const
{
    const HLINE open = GetLineHandle();
    if (open == 0)
        return false;
    LINECALLINFO info{};
    info.dwTotalSize = sizeof info;
    const DWORD result = TapiResult(lineGetCallInfoW(call, &info));
    if (result == LINEERR_INVALCALLHANDLE)
        return false;
    // Without an answer, or without a line handle in it, the message is taken at its word.
    return result != 0 || info.hLine == 0 || info.hLine == open;
}

CTapiCallPtr CTapiLine::AttachCallRef(HCALL call, DWORD seedState, bool fromMessage)
{
    if (call == 0)
        return nullptr;
    if (CTapiCallPtr listed = FindCallRef(call))
        return listed;
    // Messages queued before the line was closed still arrive; their calls are gone.
    if (fromMessage && !MayBeCallOfThisOpening(call))
        return nullptr;
    CTapiCallPtr created;
    {
        std::lock_guard lock(callsLock_);
        for (const auto &listed : calls_) {
            if (listed->GetCallHandle() == call)
                return listed;
        }
        created = connection_->CreateCallObject();
        created->Init(this, call);
        if (seedState != 0)
            created->SeedState(seedState);
        calls_.push_back(created);
    }
    // Without the calls lock, so that an override may call back into the line. A thread
    // that finds the object meanwhile gets it at once; its hooks wait for the announcement.
    // `created` keeps the object alive even if the announcement lets it go.
    OnNewCall(created.get());
    created->MarkAnnounced();
    return created;
}

CTapiCallPtr CTapiLine::DetachCall(CTapiCall *call)
{
    std::lock_guard lock(callsLock_);
    auto found =
        std::find_if(calls_.begin(), calls_.end(), [call](const auto &listed) { return listed.get() == call; });
    if (found == calls_.end())
        return nullptr;
    auto detached = std::move(*found);
    calls_.erase(found);
    return detached;
}

void CTapiLine::RemoveCall(CTapiCall *call)
{
    if (!call || call->GetCallState() != LINECALLSTATE_IDLE)
        return;
    // The list's reference is dropped after the calls lock is released.
    auto detached = DetachCall(call);
}

DWORD CTapiLine::GetNewCalls(std::vector<CTapiCall *> &calls)
{
    // Every handle TAPI lists is this application's from then on. A provider that
    // fills the list only partly (dwUsedSize short of dwNeededSize) keeps the
    // handles it left out for the next question, so the line asks again; a few
    // times at most, for a provider that never finishes.
    constexpr int kMaxPartialLists = 4;
    for (int asked = 0; asked < kMaxPartialLists; ++asked) {
        std::shared_ptr<CTapiBuffer> block;
        const DWORD result = TapiFetchGrowing(
            kCallListInitialSize,
            [&](const std::shared_ptr<CTapiBuffer> &buffer) {
                return TapiResult(
                    lineGetNewCalls(GetLineHandle(), 0, LINECALLSELECT_LINE, buffer->As<LINECALLLIST>()));
            },
            kLineFetchCodes, block);
        if (result != 0)
            return asked == 0 ? result : 0;
        const LINECALLLIST *list = block->As<LINECALLLIST>();
        for (HCALL handle : TapiCallHandles(list)) {
            if (CTapiCall *call = AttachCall(handle))
                calls.push_back(call);
        }
        if (list->dwUsedSize >= list->dwNeededSize)
            break;
    }
    return 0;
}

DWORD CTapiLine::MakeCall(CTapiCall **call, LPCWSTR destAddress, DWORD countryCode, LPLINECALLPARAMS callParams)
{
    // TAPI writes the handle when the reply is delivered, which may be after this wait gave up.
    auto handle = std::make_shared<HCALL>(0);
    const DWORD result = TapiResult(lineMakeCallW(GetLineHandle(), handle.get(), destAddress, countryCode, callParams));
    const HLINE openAs = GetLineHandle();
    AddLineRequestAs(openAs, result, handle);
    const DWORD outcome = connection_->WaitForReply(result, kTapiReplyTimeout);
    if (outcome != 0)
        return outcome;
    CTapiCall *created = AttachCallOpenAs(*handle, openAs);
    if (call)
        *call = created;
    return 0;
}

DWORD CTapiLine::SwapHold(CTapiCall *first, CTapiCall *second)
{
    if (!first || !second)
        return LINEERR_INVALCALLHANDLE;
    const bool firstHeld = (first->GetCallState() & kHeldStates) != 0;
    CTapiCall *active = firstHeld ? second : first;
    CTapiCall *held = firstHeld ? first : second;
    const DWORD result = TapiResult(lineSwapHold(active->GetCallHandle(), held->GetCallHandle()));
    AddLineRequest(result);
    return result;
}

DWORD CTapiLine::Forward(DWORD addressId, LPLINEFORWARDLIST forwardList, DWORD ringsNoAnswer, CTapiCall **consultCall,
                         LPLINECALLPARAMS callParams)
{
    if (consultCall)
        *consultCall = nullptr;
    const bool allAddresses = addressId == 0xFFFFFFFF;
    auto handle = std::make_shared<HCALL>(0);
    const DWORD result = TapiResult(lineForwardW(GetLineHandle(), allAddresses ? 1 : 0, allAddresses ? 0 : addressId,
                                                 forwardList, ringsNoAnswer, handle.get(), callParams));
    AddLineRequest(result, handle);
    if (connection_->WaitForReply(result, kTapiReplyTimeout) == 0 && consultCall)
        *consultCall = FindCall(*handle);
    return result;
}

DWORD CTapiLine::GetID(LPVARSTRING deviceId, LPCWSTR deviceClass)
{
    return TapiResult(lineGetIDW(GetLineHandle(), 0, 0, LINECALLSELECT_LINE, deviceId, deviceClass));
}

DWORD CTapiLine::GetPhoneID()
{
    auto block = CTapiBuffer::Create(kPhoneIdBlockSize);
    if (!block)
        return 0xFFFFFFFF;
    auto *id = block->As<VARSTRING>();
    id->dwTotalSize = kPhoneIdTotalSize;
    if (GetID(id, TAPI_TEXT("tapi/phone")) != 0)
        return 0xFFFFFFFF;
    // Bounded by the size TAPI was told, not by the larger block behind it.
    id->dwTotalSize = kPhoneIdTotalSize;
    return TapiDeviceIdOf(id);
}

DWORD CTapiLine::GetDevConfig(LPCWSTR deviceClass, KTSPVarStruct<varstring_tag> &config)
{
    return config.Fetch([&](VARSTRING *buffer) { return lineGetDevConfigW(GetDeviceID(), buffer, deviceClass); });
}

int CTapiLine::GetInvalidPasswordState()
{
    KTSPVarStruct<varstring_tag> config;
    if (GetDevConfig(TAPI_TEXT("ktelx/InvalidPasswordState"), config) != 0)
        return 0;
    return TapiDecimalSettingOf(config);
}

void CTapiLine::OnEvent(DWORD device, DWORD messageId, DWORD param1, DWORD param2, DWORD param3)
{
    switch (messageId) {
    case LINE_ADDRESSSTATE:
        if (device == GetLineHandle())
            OnAddressStateChange(param1, param2);
        return;
    case LINE_AGENTSTATUS:
        OnAgentStatusChange(param1, param2, param3);
        return;
    case LINE_APPNEWCALL:
        AttachCallRef(param2, 0, true);
        return;
    case LINE_CALLINFO:
        OnCallInfoChange(device, param1);
        return;
    case LINE_CALLSTATE:
        OnCallStateChange(device, param1, param2, param3);
        return;
    case LINE_DEVSPECIFIC:
        OnDevSpecific(device, param1, param2, param3);
        return;
    case LINE_DEVSPECIFICFEATURE:
        OnDevSpecificFeature(device, param1, param2, param3);
        return;
    case LINE_GATHERDIGITS:
        OnGatherDigitsComplete(device, param1);
        return;
    case LINE_GENERATE:
        OnGenerateComplete(device, param1);
        return;
    case LINE_LINEDEVSTATE:
        OnLineStatusChange(param1, param2, param3);
        return;
    case LINE_MONITORDIGITS:
        OnDigitDetected(device, param1, param2);
        return;
    case LINE_MONITORMEDIA:
        OnMediaModeChange(device, param1);
        return;
    case LINE_MONITORTONE:
        OnToneDetected(device, param1);
        return;
    default:
        return;
    }
}

void CTapiLine::OnAddressStateChange(DWORD addressId, DWORD addressState)
{
    if (CTapiAddress *address = GetAddress(addressId))
        address->OnStateChange(addressState);
}

void CTapiLine::OnAgentStatusChange(DWORD addressId, DWORD agentStatus, DWORD agentState)
{
    if (CTapiAddress *address = GetAddress(addressId))
        address->OnAgentStatusChange(agentStatus, agentState);
}

void CTapiLine::OnCallInfoChange(HCALL call, DWORD infoState)
{
    if (CTapiCallPtr found = Announced(FindCallRef(call)))
        found->OnInfoChange(infoState);
}

void CTapiLine::OnCallStateChange(HCALL call, DWORD state, DWORD stateDetail, DWORD privilege)
{
    // A call this report creates starts in the reported state, so that its announcement
    // shows that state and not one read from the status, which may already be newer
    // than the reports still queued behind this one.
    CTapiCallPtr attached = Announced(AttachCallRef(call, state, true));
    // A call let go during its announcement gets no hooks.
    if (attached && IsListed(attached.get()))
        attached->OnStateChange(state, stateDetail, privilege);
}

void CTapiLine::OnClose()
{
    // The requests made through this opening get no reply any more.
    if (const HLINE closed = hLine_.exchange(0))
        connection_->AbandonDeviceRequests(this, closed, LINEERR_INVALLINEHANDLE);
    std::vector<CTapiCallPtr> calls;
    {
        std::lock_guard lock(callsLock_);
        calls.swap(calls_);
    }
    ReleaseAll(calls);
}

void CTapiLine::OnDevSpecific(DWORD, DWORD, DWORD, DWORD) {}

void CTapiLine::OnDevSpecificFeature(DWORD, DWORD, DWORD, DWORD) {}

void CTapiLine::OnGatherDigitsComplete(HCALL call, DWORD termination)
{
    if (CTapiCallPtr found = Announced(FindCallRef(call)))
        found->OnGatherDigitsComplete(termination);
}

void CTapiLine::OnGenerateComplete(HCALL call, DWORD termination)
{
    if (CTapiCallPtr found = Announced(FindCallRef(call)))
        found->OnGenerateComplete(termination);
}

void CTapiLine::OnLineStatusChange(DWORD lineState, DWORD, DWORD)
{
    if ((lineState & LINEDEVSTATE_CAPSCHANGE) != 0 && devCaps_.Exists())
        GetLineCaps(0, 0, true);
}

void CTapiLine::OnDigitDetected(HCALL call, DWORD digit, DWORD digitMode)
{
    if (CTapiCallPtr found = Announced(FindCallRef(call)))
        found->OnDigitDetected(digit, digitMode);
}

void CTapiLine::OnMediaModeChange(HCALL call, DWORD mediaMode)
{
    if (CTapiCallPtr found = Announced(FindCallRef(call)))
        found->OnMediaModeChange(mediaMode);
}

void CTapiLine::OnToneDetected(HCALL call, DWORD appSpecific)
{
    if (CTapiCallPtr found = Announced(FindCallRef(call)))
        found->OnToneDetected(appSpecific);
}

void CTapiLine::OnNewCall(CTapiCall *) {}

CTapiCallPtr CTapiLine::Announced(CTapiCallPtr call)
{
    if (call)
        call->WaitAnnounced(kAnnounceWaitMs);
    return call;
}

void CTapiLine::OnDeviceCreated() {}

void CTapiLine::OnDeviceRemoved() {}

void CTapiLine::OnForceClose(DWORD, DWORD, DWORD, DWORD)
{
    OnClose();
}
