#include <app/ProviderDialogs.h>

#include <window/Dialog.h>
#include <window/Shell.h>

#include <tapi32/ConfigDialogHandler.h>

#include "CTapiConnection.h"
#include "CTapiLine.h"
#include "CTapiPhone.h"

namespace {

QString DeviceName(const tapi32::ConfigDialogRequest &request)
{
    CTapiConnection *session = GetTapiConnection();
    tapi_string name;
    if (request.phone) {
        if (CTapiPhone *phone = session->GetPhone(request.deviceId))
            name = phone->GetPhoneName();
    } else if (CTapiLine *line = session->GetLine(request.deviceId)) {
        name = line->GetLineName();
    }
    if (name.empty())
        return QStringLiteral("%1 device %2")
            .arg(request.phone ? QStringLiteral("Phone") : QStringLiteral("Line"))
            .arg(request.deviceId);
    return QString::fromUtf16(name.data(), static_cast<qsizetype>(name.size()));
}

LONG ShowConfigDialog(const tapi32::ConfigDialogRequest &request)
{
    win::Dialog *owner = win::Dialog::FromHandle(win::FromNativeHandle(request.owner));
    const QString text = QStringLiteral("%1\r\n\r\nThe simulated exchange has no settings to change for this device.")
                             .arg(DeviceName(request));
    win::MessageBox(owner, text, QStringLiteral("Device Configuration"), win::MB_OK | win::MB_ICONINFORMATION);
    return 0;
}

} // namespace

void InstallProviderDialogs()
{
    tapi32::setConfigDialogHandler(&ShowConfigDialog);
}
