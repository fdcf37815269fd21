#include "LoggingObjects.h"

#include <atomic>
#include <mutex>
#include <sstream>

namespace {

std::atomic<DWORD> manualTick{1};
std::mutex logLock;
std::vector<std::string> logEntries;

DWORD ReadManualTick()
{
    return manualTick.load();
}

std::string Hex(DWORD value)
{
    std::ostringstream text;
    text << "0x" << std::hex << value;
    return text.str();
}

std::string LineTag(const CTapiLine *line)
{
    return "line " + std::to_string(line->GetDeviceID());
}

std::string CallTag(const CTapiCall *call)
{
    return "call " + Hex(call->GetCallHandle());
}

} // namespace

ManualTick::ManualTick() : previous_(SetTapiTickSource(&ReadManualTick)) {}

ManualTick::~ManualTick()
{
    SetTapiTickSource(previous_);
}

void ManualTick::Set(DWORD tick)
{
    manualTick = tick;
}

void ManualTick::Advance(DWORD milliseconds)
{
    manualTick += milliseconds;
}

void HookLog::Add(std::string entry)
{
    std::lock_guard lock(logLock);
    logEntries.push_back(std::move(entry));
}

std::vector<std::string> HookLog::Entries()
{
    std::lock_guard lock(logLock);
    return logEntries;
}

void HookLog::Clear()
{
    std::lock_guard lock(logLock);
    logEntries.clear();
}

const CTapiClass<CTapiLine> LoggingLine::classRecord{"LoggingLine", &TapiCreate<LoggingLine, CTapiLine>};
const CTapiClass<CTapiCall> LoggingCall::classRecord{"LoggingCall", &TapiCreate<LoggingCall, CTapiCall>};
const CTapiClass<CTapiPhone> LoggingPhone::classRecord{"LoggingPhone", &TapiCreate<LoggingPhone, CTapiPhone>};

void LoggingLine::OnNewCall(CTapiCall *call)
{
    CTapiLine::OnNewCall(call);
    HookLog::Add(LineTag(this) + " OnNewCall " + Hex(call->GetCallHandle()));
}

void LoggingLine::OnDeviceCreated()
{
    CTapiLine::OnDeviceCreated();
    HookLog::Add(LineTag(this) + " OnDeviceCreated");
}

void LoggingLine::OnDeviceRemoved()
{
    CTapiLine::OnDeviceRemoved();
    HookLog::Add(LineTag(this) + " OnDeviceRemoved");
}

void LoggingLine::OnClose()
{
    CTapiLine::OnClose();
    HookLog::Add(LineTag(this) + " OnClose");
}

void LoggingLine::OnAddressStateChange(DWORD addressId, DWORD addressState)
{
    CTapiLine::OnAddressStateChange(addressId, addressState);
    HookLog::Add(LineTag(this) + " OnAddressStateChange " + std::to_string(addressId) + " " + Hex(addressState));
}

void LoggingLine::OnLineStatusChange(DWORD lineState, DWORD param2, DWORD param3)
{
    CTapiLine::OnLineStatusChange(lineState, param2, param3);
    HookLog::Add(LineTag(this) + " OnLineStatusChange " + Hex(lineState));
}

void LoggingCall::OnStateChange(DWORD state, DWORD detail, DWORD privilege)
{
    HookLog::Add(CallTag(this) + " OnStateChange " + Hex(state));
    CTapiCall::OnStateChange(state, detail, privilege);
}

void LoggingCall::OnInfoChange(DWORD infoState)
{
    CTapiCall::OnInfoChange(infoState);
    HookLog::Add(CallTag(this) + " OnInfoChange " + Hex(infoState));
}

void LoggingCall::OnStateConnected(DWORD detail)
{
    HookLog::Add(CallTag(this) + " OnStateConnected " + Hex(detail));
}

void LoggingCall::OnStateIdle()
{
    HookLog::Add(CallTag(this) + " OnStateIdle");
}

void LoggingCall::OnStateOffering(DWORD detail)
{
    HookLog::Add(CallTag(this) + " OnStateOffering " + Hex(detail));
}

void LoggingPhone::OnStateChange(DWORD phoneState, DWORD details)
{
    CTapiPhone::OnStateChange(phoneState, details);
    HookLog::Add("phone " + std::to_string(GetDeviceID()) + " OnStateChange " + Hex(phoneState));
}

void LoggingPhone::OnDeviceCreated()
{
    HookLog::Add("phone " + std::to_string(GetDeviceID()) + " OnDeviceCreated");
}

void LoggingPhone::OnDeviceRemoved()
{
    HookLog::Add("phone " + std::to_string(GetDeviceID()) + " OnDeviceRemoved");
}

void LoggingPhone::OnClose()
{
    CTapiPhone::OnClose();
    HookLog::Add("phone " + std::to_string(GetDeviceID()) + " OnClose");
}

std::string Narrow(const tapi_string &text)
{
    std::string narrow;
    for (WCHAR unit : text)
        narrow.push_back(unit < 0x80 ? static_cast<char>(unit) : '?');
    return narrow;
}
