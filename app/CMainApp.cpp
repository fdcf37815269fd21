#include <app/CMainApp.h>

#include <app/CMyCall.h>
#include <app/CMyLine.h>
#include <app/CMyPhone.h>
#include <app/ProviderDialogs.h>

#include <window/Messages.h>
#include <window/Shell.h>

#include "CTapiConnection.h"
#include "TapiPump.h"

CMainApp &GetMainApp()
{
    static CMainApp application;
    return application;
}

std::uint32_t CMainApp::StartSession()
{
    // Waits for TAPI replies dispatch window messages, so that the event
    // threads, which send to the windows, never wait for a thread that waits for them.
    SetTapiMessagePump(&win::PumpMessages);
    InstallProviderDialogs();
    return GetTapiConnection()->Init(TAPI_TEXT("Dialwerk"), &CMyLine::classRecord, nullptr, &CMyCall::classRecord,
                                     &CMyPhone::classRecord, 0x30000);
}

int CMainApp::InitInstance(const QString &commandLine, const MainWindowFactory &createMainWindow)
{
    SetMainWindowHandle(win::WindowHandle::Null);
    if (StartSession() != 0 || GetTapiConnection()->GetLineCount() == 0) {
        win::MessageBox(nullptr, QStringLiteral("There are no TAPI devices installed!"), {}, win::MB_OK);
        return 1;
    }
    std::unique_ptr<win::Dialog> mainWindow = createMainWindow ? createMainWindow(commandLine) : nullptr;
    if (!mainWindow)
        return 1;
    SetMainWnd(mainWindow.get());
    mainWindow->DoModal();
    mainWindow.reset();
    return 0;
}
