#include "CTapiPhone.h"

#include "CTapiConnection.h"
#include "TapiDeviceTexts.h"
#include "TapiFields.h"

#include <cstring>

namespace {

constexpr DWORD kLowVersion = 0x00010003;
constexpr DWORD kHighVersion = 0x00020001;
constexpr DWORD kPhoneCapsInitialSize = 1220;
constexpr DWORD kPhoneStatusInitialSize = 1128;
constexpr DWORD kButtonInfoInitialSize = 1064;

} // namespace

CTapiPhone::CTapiPhone() = default;

CTapiPhone::~CTapiPhone()
{
    Close();
}

DWORD CTapiPhone::Init(CTapiConnection *connection, DWORD deviceId)
{
    connection_ = connection;
    DWORD version = 0;
    PHONEEXTENSIONID extension{};
    const DWORD result = TapiResult(phoneNegotiateAPIVersion(connection->GetPhoneAppHandle(), deviceId, kLowVersion,
                                                             kHighVersion, &version, &extension));
    if (result != 0)
        return result;
    apiVersion_ = version;
    deviceId_ = deviceId;
    return 0;
}

void CTapiPhone::OnEvent(DWORD device, DWORD messageId, DWORD param1, DWORD param2, DWORD param3)
{
    switch (messageId) {
    case PHONE_BUTTON:
        OnButton(param1, param2, param3);
        return;
    case PHONE_DEVSPECIFIC:
        OnDevSpecific(device, param1, param2, param3);
        return;
    case PHONE_STATE:
        OnStateChange(param1, param2);
        return;
    default:
        return;
    }
}

void CTapiPhone::OnClose()
{
    // The requests made through this opening get no reply any more.
    if (const HPHONE closed = hPhone_.exchange(0))
        connection_->AbandonDeviceRequests(this, closed, PHONEERR_INVALPHONEHANDLE);
}

std::shared_ptr<CTapiRequest> CTapiPhone::AddPhoneRequest(DWORD result)
{
    const HPHONE openAs = GetPhoneHandle();
    return connection_->AddDeviceRequest(this, openAs, GetPhoneHandle(), PHONEERR_INVALPHONEHANDLE, result);
}

void CTapiPhone::OnDevSpecific(DWORD, DWORD, DWORD, DWORD) {}

void CTapiPhone::OnButton(DWORD, DWORD, DWORD) {}

void CTapiPhone::OnStateChange(DWORD phoneState, DWORD)
{
    if ((phoneState & PHONESTATE_CAPSCHANGE) != 0) {
        if (phoneCaps_.Exists())
            GetPhoneCaps(0, 0, true);
        phoneState &= ~DWORD{PHONESTATE_CAPSCHANGE};
    }
    if (phoneState != 0 && phoneStatus_.Exists())
        GetPhoneStatus(true);
}

void CTapiPhone::OnDeviceCreated() {}

void CTapiPhone::OnDeviceRemoved() {}

void CTapiPhone::OnForceClose(DWORD, DWORD, DWORD, DWORD)
{
    OnClose();
}

TapiStructPtr<PHONECAPS> CTapiPhone::GetPhoneCaps(DWORD apiVersion, DWORD extVersion, bool force)
{
    if (apiVersion == 0)
        apiVersion = GetAPIVersion();
    CTapiCache::Options options{kPhoneCapsInitialSize, kPhoneFetchCodes};
    auto block = phoneCaps_.Fetch(force, options, [&](const std::shared_ptr<CTapiBuffer> &buffer) {
        return TapiResult(phoneGetDevCapsW(connection_->GetPhoneAppHandle(), GetDeviceID(), apiVersion, extVersion,
                                           buffer->As<PHONECAPS>()));
    });
    return TapiStructOf<PHONECAPS>(block);
}

TapiStructPtr<PHONESTATUS> CTapiPhone::GetPhoneStatus(bool force)
{
    CTapiCache::Options options{kPhoneStatusInitialSize, kPhoneFetchCodes};
    auto block = phoneStatus_.Fetch(force, options, [&](const std::shared_ptr<CTapiBuffer> &buffer) {
        return TapiResult(phoneGetStatusW(GetPhoneHandle(), buffer->As<PHONESTATUS>()));
    });
    return TapiStructOf<PHONESTATUS>(block);
}

tapi_string CTapiPhone::GetPhoneName()
{
    return TapiPhoneNameOf(GetPhoneCaps().get());
}

DWORD CTapiPhone::Open(DWORD privilege, DWORD apiVersion, DWORD extVersion)
{
    if (IsOpen())
        return 0;
    HPHONE phone = 0;
    const DWORD result = TapiResult(phoneOpen(connection_->GetPhoneAppHandle(), GetDeviceID(), &phone,
                                              apiVersion ? apiVersion : GetAPIVersion(), extVersion,
                                              CTapiConnection::InstanceOf(GetDeviceID()), privilege));
    hPhone_ = result == 0 ? phone : 0;
    return result;
}

DWORD CTapiPhone::Close()
{
    const HPHONE phone = GetPhoneHandle();
    if (phone == 0)
        return 0;
    const DWORD result = TapiResult(phoneClose(phone));
    if (result != 0)
        return result;
    OnClose();
    return 0;
}

DWORD CTapiPhone::SetStatusMessages(DWORD phoneStates, DWORD buttonModes, DWORD buttonStates)
{
    if (!IsOpen())
        return PHONEERR_INVALPHONEHANDLE;
    return TapiResult(phoneSetStatusMessages(GetPhoneHandle(), phoneStates, buttonModes, buttonStates));
}

DWORD CTapiPhone::ConfigDialog(HWND parent, LPCWSTR deviceClass)
{
    return TapiResult(phoneConfigDialogW(GetDeviceID(), parent, deviceClass));
}

DWORD CTapiPhone::Register(LONG result)
{
    const DWORD value = TapiResult(result);
    AddPhoneRequest(value);
    return value;
}

DWORD CTapiPhone::SetHookSwitch(DWORD hookSwitchDevices, DWORD hookSwitchMode)
{
    return Register(phoneSetHookSwitch(GetPhoneHandle(), hookSwitchDevices, hookSwitchMode));
}

DWORD CTapiPhone::SetVolume(DWORD hookSwitchDevice, DWORD volume)
{
    return Register(phoneSetVolume(GetPhoneHandle(), hookSwitchDevice, volume));
}

DWORD CTapiPhone::SetGain(DWORD hookSwitchDevice, DWORD gain)
{
    return Register(phoneSetGain(GetPhoneHandle(), hookSwitchDevice, gain));
}

DWORD CTapiPhone::SetRing(DWORD ringMode, DWORD volume)
{
    return Register(phoneSetRing(GetPhoneHandle(), ringMode, volume));
}

DWORD CTapiPhone::SetDisplay(const std::string &text)
{
    return Register(phoneSetDisplay(GetPhoneHandle(), 0, 0, text.c_str(), static_cast<DWORD>(text.size())));
}

DWORD CTapiPhone::GetButtonInfo(DWORD buttonId, CTapiButtonInfo &info)
{
    std::shared_ptr<CTapiBuffer> block;
    const DWORD result = TapiFetchGrowing(
        kButtonInfoInitialSize,
        [&](const std::shared_ptr<CTapiBuffer> &buffer) {
            return TapiResult(phoneGetButtonInfoW(GetPhoneHandle(), buttonId, buffer->As<PHONEBUTTONINFO>()));
        },
        kPhoneFetchCodes, block);
    if (result != 0)
        return result;
    const auto *button = block->As<PHONEBUTTONINFO>();
    info.buttonMode = button->dwButtonMode;
    info.buttonFunction = button->dwButtonFunction;
    info.buttonState = button->dwButtonState;
    info.buttonText = ReadTapiString(button, button->dwButtonTextOffset, button->dwButtonTextSize);
    return 0;
}

DWORD CTapiPhone::GetLampMode(DWORD lampId)
{
    return TapiLampModeOf(GetPhoneStatus().get(), lampId);
}

tapi_string CTapiPhone::GetDisplay()
{
    return TapiPhoneDisplayOf(GetPhoneStatus().get());
}
