#include "CTapiCall.h"

#include "CTapiConnection.h"
#include "CTapiEvent.h"
#include "CTapiLine.h"
#include "TapiCallTexts.h"
#include "TapiClock.h"
#include "TapiLists.h"
#include "TapiPump.h"
#include "TapiVarString.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstring>

namespace {

constexpr DWORD kCallInfoInitialSize = 1368;
constexpr DWORD kCallStatusInitialSize = 1080;
constexpr DWORD kCallListInitialSize = 1048;
constexpr DWORD kVarStringHeader = sizeof(VARSTRING);

} // namespace

CTapiCall::CTapiCall() = default;

CTapiCall::~CTapiCall()
{
    Release();
}

void CTapiCall::Release()
{
    if (line_ && GetCallHandle() != 0) {
        Drop();
        DeallocateHandle();
    }
}

bool CTapiCall::WaitAnnounced(DWORD milliseconds)
{
    if (announced_.IsSet())
        return true;
    if (announceBudget_ == kNoBudgetYet)
        announceBudget_ = milliseconds;
    const auto start = std::chrono::steady_clock::now();
    const bool announced = announced_.WaitFor(announceBudget_);
    const auto spent = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    announceBudget_ = announced ? announceBudget_ - std::min<DWORD>(announceBudget_, static_cast<DWORD>(spent.count())) : 0;
    return announced;
}

void CTapiCall::Init(CTapiLine *line, HCALL call)
{
    line_ = line;
    hCall_ = call;
}

DWORD CTapiCall::Register(LONG result)
{
    const DWORD value = TapiResult(result);
    line_->AddLineRequest(value);
    return value;
}

CTapiAddress *CTapiCall::GetAddress()
{
    auto info = GetCallInfo(false);
    return info ? line_->GetAddress(info->dwAddressID) : nullptr;
}

TapiStructPtr<LINECALLINFO> CTapiCall::GetCallInfo(bool force)
{
    if (!force) {
        if (auto cached = callInfo_.Get())
            return TapiStructOf<LINECALLINFO>(cached);
    }
    const HCALL call = GetCallHandle();
    if (call == 0)
        return nullptr;
    auto block = callInfo_.Fetch(true, {kCallInfoInitialSize}, [call](const std::shared_ptr<CTapiBuffer> &buffer) {
        return TapiResult(lineGetCallInfoW(call, buffer->As<LINECALLINFO>()));
    });
    return TapiStructOf<LINECALLINFO>(block);
}

TapiStructPtr<LINECALLSTATUS> CTapiCall::GetCallStatus()
{
    const HCALL call = GetCallHandle();
    auto block = callStatus_.Fetch(true, {kCallStatusInitialSize}, [call](const std::shared_ptr<CTapiBuffer> &buffer) {
        return TapiResult(lineGetCallStatus(call, buffer->As<LINECALLSTATUS>()));
    });
    return TapiStructOf<LINECALLSTATUS>(block);
}

DWORD CTapiCall::GetCallState()
{
    if (DWORD state = lastState_.load())
        return state;
    auto status = GetCallStatus();
    const DWORD state = status ? status->dwCallState : LINECALLSTATE_UNKNOWN;
    // A LINE_CALLSTATE that arrived meanwhile wins over what was read.
    DWORD expected = 0;
    if (lastState_.compare_exchange_strong(expected, state) && status)
        staleReportsLeft_ = kMaxStaleReports;
    return lastState_.load();
}

DWORD CTapiCall::DeallocateHandle()
{
    const HCALL call = GetCallHandle();
    if (call == 0)
        return 0;
    const DWORD result = TapiResult(lineDeallocateCall(call));
    if (result == 0)
        hCall_ = 0;
    return result;
}

DWORD CTapiCall::Deallocate()
{
    if (GetCallHandle() == 0)
        return 0;
    if (DWORD result = DeallocateHandle())
        return result;
    line_->RemoveCall(this);
    return 0;
}

bool CTapiCall::WaitForFeatures(DWORD features, DWORD milliseconds)
{
    // The pump may let the call go (it goes idle, its line closes); it lives until this returns.
    const CTapiCallPtr self = Ref();
    auto hasFeatures = [this, features] {
        auto status = GetCallStatus();
        return status && (status->dwCallFeatures & features) == features;
    };
    if (hasFeatures())
        return true;
    // Each slice pumps the window messages, through which the event thread's news arrive.
    CTapiEvent pause;
    const DWORD start = TapiGetTickCount();
    for (DWORD elapsed = 0; elapsed < milliseconds; elapsed = TapiElapsed(start, TapiGetTickCount())) {
        if (PumpTapiMessages())
            break;
        pause.WaitFor(std::min<DWORD>(milliseconds - elapsed, 5));
        if (hasFeatures())
            return true;
    }
    return hasFeatures();
}

DWORD CTapiCall::Drop(LPCSTR userUserInfo, DWORD size)
{
    if (lastState_.load() == LINECALLSTATE_IDLE)
        return 0;
    return Register(lineDrop(GetCallHandle(), userUserInfo, size));
}

DWORD CTapiCall::Answer(LPCSTR userUserInfo, DWORD size)
{
    return Register(lineAnswer(GetCallHandle(), userUserInfo, size));
}

DWORD CTapiCall::Accept(LPCSTR userUserInfo, DWORD size)
{
    return Register(lineAccept(GetCallHandle(), userUserInfo, size));
}

DWORD CTapiCall::Hold()
{
    return Register(lineHold(GetCallHandle()));
}

DWORD CTapiCall::Unhold()
{
    return Register(lineUnhold(GetCallHandle()));
}

DWORD CTapiCall::Dial(LPCWSTR destAddress, DWORD countryCode)
{
    return Register(lineDialW(GetCallHandle(), destAddress, countryCode));
}

DWORD CTapiCall::BlindTransfer(LPCWSTR destAddress, DWORD countryCode)
{
    return Register(lineBlindTransferW(GetCallHandle(), destAddress, countryCode));
}

DWORD CTapiCall::Redirect(LPCWSTR destAddress, DWORD countryCode)
{
    return Register(lineRedirectW(GetCallHandle(), destAddress, countryCode));
}

DWORD CTapiCall::GenerateDigits(DWORD digitMode, LPCWSTR digits, DWORD duration)
{
    return Register(lineGenerateDigitsW(GetCallHandle(), digitMode, digits, duration));
}

DWORD CTapiCall::CompleteCall(LPDWORD completionId, DWORD completionMode, DWORD messageId)
{
    // TAPI fills the id when the request completes, possibly after the caller gave up
    // waiting; it goes to storage of the request and reaches the caller through its wait.
    auto id = std::make_shared<DWORD>(0);
    const DWORD result = TapiResult(lineCompleteCall(GetCallHandle(), id.get(), completionMode, messageId));
    auto entry = line_->AddLineRequest(result, id);
    if (entry && completionId)
        entry->OnWaitSucceeded([id, completionId] { *completionId = *id; });
    else if (result == 0 && completionId)
        *completionId = *id;
    return result;
}

DWORD CTapiCall::Park(DWORD parkMode, LPCWSTR directedAddress, void *buffer, DWORD bufferSize)
{
    if (bufferSize > CTapiBuffer::kMaxSize - kVarStringHeader)
        return LINEERR_NOMEM;
    auto block = CTapiBuffer::Create(bufferSize + kVarStringHeader);
    if (!block)
        return LINEERR_NOMEM;
    auto *address = block->As<VARSTRING>();
    address->dwStringFormat = STRINGFORMAT_UNICODE;
    address->dwStringSize = 0;
    if (buffer)
        std::memset(buffer, 0, bufferSize);
    const CTapiCallPtr self = Ref();
    const DWORD result = TapiResult(lineParkW(GetCallHandle(), parkMode, directedAddress, address));
    // The VARSTRING is written when the reply is delivered; it lives as long as the request.
    CTapiConnection *connection = line_->GetConnection();
    line_->AddLineRequest(result, block);
    if (IsTapiError(result) || connection->WaitForReply(result, kTapiReplyTimeout) != 0 || !buffer)
        return result;
    block->RestoreTotalSize();
    CopyTapiStringBytes(address, buffer, bufferSize);
    return result;
}

DWORD CTapiCall::IssueCreatingCalls(const std::function<LONG(LPHCALL, LPHCALL)> &issue, CTapiCall **first,
                                    CTapiCall **second)
{
    if (first)
        *first = nullptr;
    if (second)
        *second = nullptr;
    // TAPI writes the handles when the reply is delivered, possibly after this wait gave up.
    auto handles = std::make_shared<std::array<HCALL, 2>>();
    // The wait pumps messages, during which this call may be let go and the line closed.
    const CTapiCallPtr self = Ref();
    CTapiLine *const line = line_;
    const HLINE openAs = line->GetLineHandle();
    const DWORD result = TapiResult(issue(&(*handles)[0], &(*handles)[1]));
    CTapiConnection *connection = line->GetConnection();
    line->AddLineRequestAs(openAs, result, handles);
    if (connection->WaitForReply(result, kTapiReplyTimeout) != 0)
        return result;
    if (first)
        *first = line->AttachCallOpenAs((*handles)[0], openAs);
    if (second)
        *second = line->AttachCallOpenAs((*handles)[1], openAs);
    return result;
}

DWORD CTapiCall::SetupTransfer(CTapiCall **consultCall, LPLINECALLPARAMS callParams)
{
    return IssueCreatingCalls(
        [&](LPHCALL consult, LPHCALL) { return lineSetupTransferW(GetCallHandle(), consult, callParams); }, consultCall,
        nullptr);
}

DWORD CTapiCall::CompleteTransfer(CTapiCall *consultCall, CTapiCall **confCall, DWORD transferMode)
{
    if (confCall)
        *confCall = nullptr;
    const HCALL consult = consultCall ? consultCall->GetCallHandle() : 0;
    return IssueCreatingCalls(
        [&](LPHCALL conference, LPHCALL) {
            return lineCompleteTransfer(GetCallHandle(), consult, conference, transferMode);
        },
        transferMode == LINETRANSFERMODE_CONFERENCE ? confCall : nullptr, nullptr);
}

DWORD CTapiCall::SetupConference(CTapiCall **confCall, CTapiCall **consultCall, DWORD numParties,
                                 LPLINECALLPARAMS callParams)
{
    return IssueCreatingCalls(
        [&](LPHCALL conference, LPHCALL consult) {
            return lineSetupConferenceW(GetCallHandle(), 0, conference, consult, numParties, callParams);
        },
        confCall, consultCall);
}

DWORD CTapiCall::PrepareAddToConference(CTapiCall **consultCall, LPLINECALLPARAMS callParams)
{
    return IssueCreatingCalls(
        [&](LPHCALL consult, LPHCALL) { return linePrepareAddToConferenceW(GetCallHandle(), consult, callParams); },
        consultCall, nullptr);
}

DWORD CTapiCall::AddToConference(CTapiCall *consultCall)
{
    return Register(lineAddToConference(GetCallHandle(), consultCall ? consultCall->GetCallHandle() : 0));
}

DWORD CTapiCall::RemoveFromConference()
{
    return Register(lineRemoveFromConference(GetCallHandle()));
}

DWORD CTapiCall::GetConferenceRelatedCalls(std::vector<CTapiCall *> &calls)
{
    std::shared_ptr<CTapiBuffer> block;
    const HCALL call = GetCallHandle();
    const DWORD result = TapiFetchGrowing(
        kCallListInitialSize,
        [call](const std::shared_ptr<CTapiBuffer> &buffer) {
            return TapiResult(lineGetConfRelatedCalls(call, buffer->As<LINECALLLIST>()));
        },
        kLineFetchCodes, block);
    if (result != 0)
        return result;
    for (HCALL handle : TapiCallHandles(block->As<LINECALLLIST>())) {
        if (CTapiCall *related = line_->AttachCall(handle))
            calls.push_back(related);
    }
    return 0;
}

DWORD CTapiCall::SetCallPrivilege(DWORD privilege)
{
    return TapiResult(lineSetCallPrivilege(GetCallHandle(), privilege));
}

DWORD CTapiCall::SetAppSpecific(DWORD appSpecific)
{
    return TapiResult(lineSetAppSpecific(GetCallHandle(), appSpecific));
}

DWORD CTapiCall::SetCallData(LPVOID data, DWORD size)
{
    return Register(lineSetCallData(GetCallHandle(), data, size));
}

DWORD CTapiCall::SetQualityOfService(LPVOID sendingFlowspec, DWORD sendingSize, LPVOID receivingFlowspec,
                                     DWORD receivingSize)
{
    return Register(
        lineSetCallQualityOfService(GetCallHandle(), sendingFlowspec, sendingSize, receivingFlowspec, receivingSize));
}

DWORD CTapiCall::SendUserUserInfo(LPCSTR userUserInfo, DWORD size)
{
    return Register(lineSendUserUserInfo(GetCallHandle(), userUserInfo, size));
}

DWORD CTapiCall::ReleaseUserUserInfo()
{
    return Register(lineReleaseUserUserInfo(GetCallHandle()));
}

void CTapiCall::OnInfoChange(DWORD)
{
    if (callInfo_.Exists())
        GetCallInfo(true);
}

void CTapiCall::OnStateChange(DWORD state, DWORD stateDetail, DWORD)
{
    if (staleReportsLeft_.load() > 0) {
        // Reports queued before the status was read describe older states; the first
        // one that agrees with the status now has caught up with it.
        auto status = GetCallStatus();
        if (status && status->dwCallState != state && --staleReportsLeft_ > 0) {
            lastState_ = status->dwCallState;
            return;
        }
        staleReportsLeft_ = 0;
    }
    lastState_ = state;
    switch (state) {
    case LINECALLSTATE_IDLE:
        return OnStateIdle();
    case LINECALLSTATE_OFFERING:
        return OnStateOffering(stateDetail);
    case LINECALLSTATE_ACCEPTED:
        return OnStateAccepted();
    case LINECALLSTATE_DIALTONE:
        return OnStateDialtone(stateDetail);
    case LINECALLSTATE_DIALING:
        return OnStateDialing();
    case LINECALLSTATE_RINGBACK:
        return OnStateRingback();
    case LINECALLSTATE_BUSY:
        return OnStateBusy(stateDetail);
    case LINECALLSTATE_SPECIALINFO:
        return OnStateSpecialInfo(stateDetail);
    case LINECALLSTATE_CONNECTED:
        return OnStateConnected(stateDetail);
    case LINECALLSTATE_PROCEEDING:
        return OnStateProceeding();
    case LINECALLSTATE_ONHOLD:
        return OnStateOnHold();
    case LINECALLSTATE_CONFERENCED:
        return OnStateConferenced();
    case LINECALLSTATE_ONHOLDPENDCONF:
        return OnStateOnHoldPendingConference();
    case LINECALLSTATE_ONHOLDPENDTRANSFER:
        return OnStateOnHoldPendingTransfer();
    case LINECALLSTATE_DISCONNECTED:
        return OnStateDisconnected(stateDetail);
    default:
        return;
    }
}

void CTapiCall::OnGatherDigitsComplete(DWORD) {}
void CTapiCall::OnGenerateComplete(DWORD) {}
void CTapiCall::OnDigitDetected(DWORD, DWORD) {}
void CTapiCall::OnMediaModeChange(DWORD) {}
void CTapiCall::OnToneDetected(DWORD) {}
void CTapiCall::OnStateIdle() {}
void CTapiCall::OnStateOffering(DWORD) {}
void CTapiCall::OnStateAccepted() {}
void CTapiCall::OnStateDialtone(DWORD) {}
void CTapiCall::OnStateDialing() {}
void CTapiCall::OnStateRingback() {}
void CTapiCall::OnStateBusy(DWORD) {}
void CTapiCall::OnStateConnected(DWORD) {}
void CTapiCall::OnStateProceeding() {}
void CTapiCall::OnStateOnHold() {}
void CTapiCall::OnStateOnHoldPendingConference() {}
void CTapiCall::OnStateOnHoldPendingTransfer() {}
void CTapiCall::OnStateSpecialInfo(DWORD) {}
void CTapiCall::OnStateDisconnected(DWORD) {}
void CTapiCall::OnStateConferenced() {}

tapi_string CTapiCall::GetCallStateText()
{
    return TapiCallStateName(GetCallState()) + TAPI_TEXT(" ") + GetStateModeText();
}

tapi_string CTapiCall::GetStateModeText()
{
    const DWORD state = GetCallState();
    auto status = GetCallStatus();
    return status ? TapiStateModeText(state, status->dwCallStateMode) : tapi_string();
}

tapi_string CTapiCall::GetCallFeaturesText()
{
    auto status = GetCallStatus();
    return status ? TapiCallFeaturesText(status->dwCallFeatures, status->dwCallFeatures2) : TapiCallFeaturesText(0, 0);
}

tapi_string CTapiCall::PartyText(TapiCallParty party, TapiPartyItem item)
{
    return TapiCallPartyText(GetCallInfo(false).get(), party, item);
}

tapi_string CTapiCall::GetCallerNumber()
{
    return PartyText(TapiCallParty::Caller, TapiPartyItem::Number);
}

tapi_string CTapiCall::GetCallerName()
{
    return PartyText(TapiCallParty::Caller, TapiPartyItem::Name);
}

tapi_string CTapiCall::GetCalledNumber()
{
    return PartyText(TapiCallParty::Called, TapiPartyItem::Number);
}

tapi_string CTapiCall::GetCalledName()
{
    return PartyText(TapiCallParty::Called, TapiPartyItem::Name);
}

tapi_string CTapiCall::GetConnectedNumber()
{
    return PartyText(TapiCallParty::Connected, TapiPartyItem::Number);
}

tapi_string CTapiCall::GetConnectedName()
{
    return PartyText(TapiCallParty::Connected, TapiPartyItem::Name);
}

tapi_string CTapiCall::GetRedirectingNumber()
{
    return PartyText(TapiCallParty::Redirecting, TapiPartyItem::Number);
}

tapi_string CTapiCall::GetRedirectingName()
{
    return PartyText(TapiCallParty::Redirecting, TapiPartyItem::Name);
}

tapi_string CTapiCall::GetRedirectionNumber()
{
    return PartyText(TapiCallParty::Redirection, TapiPartyItem::Number);
}

tapi_string CTapiCall::GetRedirectionName()
{
    return PartyText(TapiCallParty::Redirection, TapiPartyItem::Name);
}
