#include "exchange/core/Leg.h"

#include <cstddef>
#include <ctime>

namespace exchange {

PartyId PartyId::of(std::u16string number, std::u16string name)
{
    PartyId p;
    p.flags = 0;
    if (!number.empty())
        p.flags |= LINECALLPARTYID_ADDRESS;
    if (!name.empty())
        p.flags |= LINECALLPARTYID_NAME;
    if (p.flags == 0)
        p.flags = LINECALLPARTYID_UNKNOWN;
    p.number = std::move(number);
    p.name = std::move(name);
    return p;
}

Leg::Leg(LegId id, DWORD line, DWORD address, ConnectionId connection)
    : id_(id), line_(line), address_(address), connection_(connection)
{
}

void Leg::setState(DWORD state, DWORD mode, const Clock &clock, std::vector<Event> &out, LegId conference)
{
    if (idle() || (state == state_ && mode == mode_))
        return;
    state_ = state;
    mode_ = mode;
    entered_ = toSystemTime(clock.wallTime());
    if (announced_)
        out.push_back(Event::legState(id_, state, mode, conference));
}

void Leg::reportInfo(DWORD bits, std::vector<Event> &out) const
{
    if (announced_ && !idle() && bits != 0)
        out.push_back(Event::legInfo(id_, bits));
}

namespace {

void addParty(VarStruct &v, const PartyId &p, size_t flagsMember)
{
    // Party members are laid out as Flags, Size, Offset, NameSize, NameOffset.
    v.set(static_cast<uint32_t>(flagsMember), p.flags);
    v.addText(static_cast<uint32_t>(flagsMember + 4), p.number);
    v.addText(static_cast<uint32_t>(flagsMember + 12), p.name);
}

} // namespace

VarStruct Leg::callInfo(const LINEDEVCAPS &lineCaps, const LINEADDRESSCAPS &addressCaps) const
{
    LINECALLINFO ci{};
    ci.dwLineDeviceID = line_;
    ci.dwAddressID = address_;
    ci.dwBearerMode = info_.bearerMode;
    ci.dwRate = info_.rate;
    ci.dwMediaMode = info_.mediaMode;
    ci.dwAppSpecific = info_.appSpecific;
    ci.dwCallID = info_.callId;
    ci.dwRelatedCallID = info_.relatedCallId;
    ci.dwCallParamFlags = info_.callParamFlags;
    ci.dwCallStates = addressCaps.dwCallStates;
    ci.DialParams = lineCaps.DefaultDialParams;
    ci.dwOrigin = info_.origin;
    ci.dwReason = info_.reason;
    ci.dwCompletionID = info_.completionId;
    ci.dwCountryCode = info_.countryCode;
    ci.dwTrunk = info_.trunk;
    ci.dwCallerIDAddressType = LINEADDRESSTYPE_PHONENUMBER;
    ci.dwCalledIDAddressType = LINEADDRESSTYPE_PHONENUMBER;
    ci.dwConnectedIDAddressType = LINEADDRESSTYPE_PHONENUMBER;
    ci.dwRedirectionIDAddressType = LINEADDRESSTYPE_PHONENUMBER;
    ci.dwRedirectingIDAddressType = LINEADDRESSTYPE_PHONENUMBER;
    VarStruct v = VarStruct::of(ci);
    addParty(v, info_.caller, offsetof(LINECALLINFO, dwCallerIDFlags));
    addParty(v, info_.called, offsetof(LINECALLINFO, dwCalledIDFlags));
    addParty(v, info_.connected, offsetof(LINECALLINFO, dwConnectedIDFlags));
    addParty(v, info_.redirection, offsetof(LINECALLINFO, dwRedirectionIDFlags));
    addParty(v, info_.redirecting, offsetof(LINECALLINFO, dwRedirectingIDFlags));
    v.addText(offsetof(LINECALLINFO, dwAppNameSize), info_.appName);
    v.addText(offsetof(LINECALLINFO, dwDisplayableAddressSize), info_.displayableAddress);
    v.addText(offsetof(LINECALLINFO, dwCalledPartySize), info_.calledParty);
    v.addText(offsetof(LINECALLINFO, dwCommentSize), info_.comment);
    v.addBytes(offsetof(LINECALLINFO, dwDisplaySize), info_.display);
    v.addBytes(offsetof(LINECALLINFO, dwUserUserInfoSize), info_.userUserInfo);
    v.addBytes(offsetof(LINECALLINFO, dwHighLevelCompSize), info_.highLevelComp);
    v.addBytes(offsetof(LINECALLINFO, dwLowLevelCompSize), info_.lowLevelComp);
    v.addBytes(offsetof(LINECALLINFO, dwChargingInfoSize), info_.chargingInfo);
    v.addBytes(offsetof(LINECALLINFO, dwCallDataSize), info_.callData);
    v.addBytes(offsetof(LINECALLINFO, dwSendingFlowspecSize), info_.sendingFlowspec);
    v.addBytes(offsetof(LINECALLINFO, dwReceivingFlowspecSize), info_.receivingFlowspec);
    return v;
}

VarStruct Leg::callStatus(DWORD features, DWORD features2) const
{
    LINECALLSTATUS cs{};
    cs.dwCallState = state_;
    cs.dwCallStateMode = mode_;
    cs.dwCallFeatures = features;
    cs.dwCallFeatures2 = features2;
    cs.tStateEntryTime = entered_;
    return VarStruct::of(cs);
}

SYSTEMTIME toSystemTime(std::chrono::system_clock::time_point t)
{
    using namespace std::chrono;
    const auto ms = duration_cast<milliseconds>(t.time_since_epoch()).count();
    const std::time_t secs = static_cast<std::time_t>(ms / 1000);
    std::tm tm{};
    gmtime_r(&secs, &tm);
    SYSTEMTIME st{};
    st.wYear = static_cast<WORD>(tm.tm_year + 1900);
    st.wMonth = static_cast<WORD>(tm.tm_mon + 1);
    st.wDayOfWeek = static_cast<WORD>(tm.tm_wday);
    st.wDay = static_cast<WORD>(tm.tm_mday);
    st.wHour = static_cast<WORD>(tm.tm_hour);
    st.wMinute = static_cast<WORD>(tm.tm_min);
    st.wSecond = static_cast<WORD>(tm.tm_sec);
    st.wMilliseconds = static_cast<WORD>(ms % 1000);
    return st;
}

} // namespace exchange
