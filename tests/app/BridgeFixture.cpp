#include "BridgeFixture.h"

#include <app/CMainApp.h>
#include <window/testing/TestEnvironment.h>

#include <tapi32/Runtime.h>

#include "CTapiCall.h"
#include "CTapiConnection.h"
#include "CTapiLine.h"
#include "TapiPump.h"

#include <chrono>

SpyWindow::SpyWindow()
{
    for (win::UINT message : {WM_TAPI_NEWCALL, WM_TAPI_CALLCHANGED, WM_TAPI_ADDRESSCHANGED, WM_TAPI_LINECHANGED,
                              WM_FLASH_CONTROL, WM_TAPI_LINECREATED, WM_TAPI_LINEREMOVED, WM_TAPI_LINECLOSING,
                              WM_TAPI_LINECLOSED, WM_TAPI_AGENTCHANGED, WM_TAPI_PHONECHANGED}) {
        OnMessage(message, [this, message](win::WPARAM wParam, win::LPARAM lParam) {
            Received entry{message, wParam, lParam};
            if (message == WM_TAPI_NEWCALL)
                entry.callState = ParamObject<CTapiCall>(wParam)->GetCallState();
            if (message == WM_TAPI_CALLCHANGED)
                entry.callState = ParamObject<CTapiCall>(lParam)->GetCallState();
            if (message == WM_TAPI_LINECLOSING || message == WM_TAPI_LINECLOSED)
                entry.lineCalls = ParamObject<CTapiLine>(wParam)->GetCallCount();
            received.push_back(entry);
            return 0;
        });
    }
}

void BridgeTest::SetUp()
{
    win::testing::ResetPlatform();
    ASSERT_TRUE(tapi32::Runtime::instance().resetExchange(Topology(), std::make_unique<exchange::ManualClock>()));
    spy = std::make_unique<SpyWindow>();
    ASSERT_TRUE(spy->Create());
    GetMainApp().SetMainWindowHandle(spy->GetSafeHwnd());
}

void BridgeTest::TearDown()
{
    if (spy)
        spy->DestroyWindow();
    GetTapiConnection()->Shutdown();
    SetTapiMessagePump(nullptr);
    GetMainApp().SetMainWindowHandle(win::WindowHandle::Null);
}

exchange::Topology BridgeTest::Topology() const
{
    return exchange::Topology::standard();
}

exchange::Exchange &BridgeTest::Exchange() const
{
    return tapi32::Runtime::instance().exchange();
}

CTapiLine *BridgeTest::OpenLine(DWORD id)
{
    CTapiLine *line = GetTapiConnection()->GetLine(id);
    EXPECT_NE(line, nullptr);
    if (!line)
        return nullptr;
    EXPECT_EQ(line->Open(LINECALLPRIVILEGE_OWNER | LINECALLPRIVILEGE_MONITOR, LINEMEDIAMODE_INTERACTIVEVOICE), 0u);
    EXPECT_EQ(line->SetStatusMessages(0x1FFFFFF, 0x1FF), 0u);
    return line;
}

bool BridgeTest::WaitFor(const std::function<bool()> &condition)
{
    return win::testing::PumpUntil(condition, std::chrono::seconds(10));
}

std::vector<Received> BridgeTest::Messages(win::UINT message) const
{
    std::vector<Received> found;
    for (const Received &entry : spy->received) {
        if (entry.message == message)
            found.push_back(entry);
    }
    return found;
}
