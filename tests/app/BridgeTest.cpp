// The event bridge: which object events reach the main window as which
// private messages, sent or posted, and in which order.
#include "BridgeFixture.h"

#include <app/CMainApp.h>
#include <app/CMyPhone.h>
#include <resources/resource.h>
#include <window/MessageQueue.h>

#include "CTapiAddress.h"
#include "CTapiCall.h"
#include "CTapiConnection.h"
#include "CTapiLine.h"

#include <chrono>
#include <thread>

namespace {

class EventBridgeTest : public BridgeTest {
protected:
    void SetUp() override
    {
        BridgeTest::SetUp();
        ASSERT_EQ(GetMainApp().StartSession(), 0u);
    }

    /// An incoming call on line 0, listed and offering.
    CTapiCall *Ring()
    {
        CTapiLine *line = OpenLine(0);
        leg = Exchange().incomingCall(0, 0, u"5550100", u"Clara Diaz");
        EXPECT_TRUE(WaitFor([&] { return !Messages(WM_TAPI_CALLCHANGED).empty(); }));
        return line ? line->GetCall(0) : nullptr;
    }

    /// Waits, without handling messages, until an event thread stands in a send.
    static bool WaitForQueuedSend()
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (win::MessageQueue::Instance().QueuedSent() == 0) {
            if (std::chrono::steady_clock::now() > deadline)
                return false;
            std::this_thread::yield();
        }
        return true;
    }

    /// Waits until the window has handled `count` messages of a kind.
    bool WaitForMessages(win::UINT message, std::size_t count)
    {
        return WaitFor([&] { return Messages(message).size() >= count; });
    }

    exchange::LegId leg = 0;
};

TEST_F(EventBridgeTest, NewCallComesBeforeItsStateAndBothBeforeTheNextTapiMessage)
{
    CTapiLine *line = OpenLine(0);
    // Everything happens while the window does not handle messages: the event
    // thread then stands in the first send until the window gets to it.
    leg = Exchange().incomingCall(0, 0, u"5550100", u"Clara Diaz");
    ASSERT_EQ(Exchange().remoteHangUp(leg), 0);
    Exchange().waitIdle();
    ASSERT_TRUE(WaitFor([&] {
        const auto changes = Messages(WM_TAPI_CALLCHANGED);
        return !changes.empty() && changes.back().callState == LINECALLSTATE_DISCONNECTED;
    }));
    ASSERT_EQ(line->GetCallCount(), 1u);
    CTapiCall *call = line->GetCall(0);
    ASSERT_FALSE(spy->received.empty());
    const Received &first = spy->received.front();
    EXPECT_EQ(first.message, WM_TAPI_NEWCALL);
    EXPECT_EQ(ParamObject<CTapiCall>(first.wParam), call);
    EXPECT_EQ(first.lParam, 0);
    // The window read the call's state when it was announced, after the hang-up:
    // the reports queued before that read (the offering) do not take it back.
    EXPECT_EQ(first.callState, LINECALLSTATE_DISCONNECTED);
    const auto changes = Messages(WM_TAPI_CALLCHANGED);
    for (const Received &change : changes)
        EXPECT_EQ(change.callState, LINECALLSTATE_DISCONNECTED);
    EXPECT_EQ(changes.front().wParam, 0u);
    EXPECT_EQ(ParamObject<CTapiCall>(changes.front().lParam), call);
    EXPECT_EQ(Messages(WM_TAPI_NEWCALL).size(), 1u);
}

TEST_F(EventBridgeTest, TheEventThreadWaitsWhileTheWindowHandlesASend)
{
    OpenLine(0);
    leg = Exchange().incomingCall(0, 0, u"5550100", u"Clara Diaz");
    // The line event thread is held in its send to the window.
    ASSERT_TRUE(WaitForQueuedSend());
    EXPECT_EQ(win::MessageQueue::Instance().QueuedSent(), 1u);
    EXPECT_TRUE(spy->received.empty());
    ASSERT_TRUE(WaitForMessages(WM_TAPI_CALLCHANGED, 1));
}

TEST_F(EventBridgeTest, CallInformationFlashesItsButtonsAfterTheDisplayIsRefreshed)
{
    CTapiCall *call = Ring();
    ASSERT_NE(call, nullptr);
    spy->received.clear();
    ASSERT_TRUE(Exchange().updateCallInfo(leg, LINECALLINFOSTATE_USERUSERINFO | LINECALLINFOSTATE_CALLDATA,
                                          [](exchange::CallInfoData &info) {
                                              info.userUserInfo = {1, 2, 3};
                                              info.callData = {4};
                                          }));
    // Not handling messages until the event thread stands in its send: by then
    // it has posted the flashes, and the send still goes first.
    ASSERT_TRUE(WaitForQueuedSend());
    EXPECT_EQ(win::MessageQueue::Instance().QueuedPosted(), 2u);
    ASSERT_TRUE(WaitForMessages(WM_FLASH_CONTROL, 2));
    ASSERT_EQ(spy->received.size(), 3u);
    EXPECT_EQ(spy->received[0].message, WM_TAPI_CALLCHANGED);
    EXPECT_EQ(ParamObject<CTapiCall>(spy->received[0].lParam), call);
    EXPECT_EQ(spy->received[1].message, WM_FLASH_CONTROL);
    EXPECT_EQ(spy->received[1].wParam, static_cast<win::WPARAM>(IDC_USERINFO));
    EXPECT_EQ(spy->received[2].message, WM_FLASH_CONTROL);
    EXPECT_EQ(spy->received[2].wParam, static_cast<win::WPARAM>(IDC_CALLDATA));
}

TEST_F(EventBridgeTest, IsdnInformationFlashesOneButtonWhateverChanged)
{
    ASSERT_NE(Ring(), nullptr);
    const auto flashesFor = [&](DWORD states) {
        spy->received.clear();
        EXPECT_TRUE(Exchange().updateCallInfo(leg, states, [](exchange::CallInfoData &info) {
            info.lowLevelComp = {7};
            info.appSpecific += 1;
        }));
        // The flashes are posted before the change is sent.
        EXPECT_TRUE(WaitForQueuedSend());
        EXPECT_TRUE(WaitForMessages(WM_TAPI_CALLCHANGED, 1));
        WaitFor([] { return win::MessageQueue::Instance().QueuedPosted() == 0; });
        std::vector<win::WPARAM> ids;
        for (const Received &entry : Messages(WM_FLASH_CONTROL))
            ids.push_back(entry.wParam);
        EXPECT_EQ(Messages(WM_TAPI_CALLCHANGED).size(), 1u);
        return ids;
    };
    const std::vector<win::WPARAM> isdn{static_cast<win::WPARAM>(IDC_ISDNINFO)};
    EXPECT_EQ(flashesFor(LINECALLINFOSTATE_LOWLEVELCOMP), isdn);
    EXPECT_EQ(
        flashesFor(LINECALLINFOSTATE_HIGHLEVELCOMP | LINECALLINFOSTATE_LOWLEVELCOMP | LINECALLINFOSTATE_CHARGINGINFO),
        isdn);
    EXPECT_EQ(flashesFor(LINECALLINFOSTATE_QOS), std::vector<win::WPARAM>{static_cast<win::WPARAM>(IDC_QOSINFO)});
    EXPECT_TRUE(flashesFor(LINECALLINFOSTATE_APPSPECIFIC).empty());
}

TEST_F(EventBridgeTest, LineAndAddressStatesCarryTheirObjects)
{
    CTapiLine *line = OpenLine(0);
    ASSERT_EQ(Exchange().setLineStatus(0, LINEDEVSTATUSFLAGS_INSERVICE, false), 0);
    ASSERT_TRUE(WaitForMessages(WM_TAPI_LINECHANGED, 1));
    const Received lineState = Messages(WM_TAPI_LINECHANGED).front();
    EXPECT_EQ(ParamObject<CTapiLine>(lineState.wParam), line);
    EXPECT_EQ(lineState.lParam, 0);

    Exchange().raiseAddressState(0, 0, LINEADDRESSSTATE_NUMCALLS);
    ASSERT_TRUE(WaitForMessages(WM_TAPI_ADDRESSCHANGED, 1));
    const Received addressState = Messages(WM_TAPI_ADDRESSCHANGED).front();
    EXPECT_EQ(ParamObject<CTapiAddress>(addressState.wParam), line->GetAddress(0));
    EXPECT_EQ(addressState.lParam, LINEADDRESSSTATE_NUMCALLS);
}

TEST_F(EventBridgeTest, PhoneStatesReachOnlyAnAttachedPhoneWindow)
{
    auto *phone = static_cast<CMyPhone *>(GetTapiConnection()->GetPhone(0));
    ASSERT_NE(phone, nullptr);
    ASSERT_EQ(phone->Open(PHONEPRIVILEGE_OWNER), 0u);
    ASSERT_EQ(phone->SetStatusMessages(0xFFFFFF, 0, 0), 0u);
    Exchange().raisePhoneState(0, PHONESTATE_DISPLAY);
    Exchange().waitIdle();
    // The reply of a refused request reaches the phone event thread after the
    // state: once the wait is over, the state has been handled without a window.
    Exchange().faults().failNext("phoneSetRing", PHONEERR_OPERATIONFAILED);
    ASSERT_EQ(GetTapiConnection()->WaitForReply(phone->SetRing(1, 0x8000), kTapiReplyTimeout),
              static_cast<DWORD>(PHONEERR_OPERATIONFAILED));

    SpyWindow phoneWindow;
    ASSERT_TRUE(phoneWindow.Create());
    phone->SetPhoneWindow(phoneWindow.GetSafeHwnd());
    Exchange().raisePhoneState(0, PHONESTATE_RINGMODE, 2);
    ASSERT_TRUE(WaitFor([&] { return !phoneWindow.received.empty(); }));
    EXPECT_EQ(phoneWindow.received.front().message, WM_TAPI_PHONECHANGED);
    EXPECT_EQ(phoneWindow.received.front().wParam, static_cast<win::WPARAM>(PHONESTATE_RINGMODE));
    EXPECT_EQ(phoneWindow.received.front().lParam, 2);
    EXPECT_EQ(phoneWindow.received.size(), 1u);
    phone->SetPhoneWindow(win::WindowHandle::Null);
    phoneWindow.DestroyWindow();
    // Nothing ever went to the main window.
    EXPECT_TRUE(Messages(WM_TAPI_PHONECHANGED).empty());
}

TEST_F(EventBridgeTest, AClosedLineIsAnnouncedBeforeItsCallsGo)
{
    CTapiCall *call = Ring();
    ASSERT_NE(call, nullptr);
    CTapiLine *line = GetTapiConnection()->GetLine(0);
    spy->received.clear();
    ASSERT_EQ(line->Close(), 0u);
    ASSERT_EQ(spy->received.size(), 2u);
    EXPECT_EQ(spy->received[0].message, WM_TAPI_LINECLOSING);
    EXPECT_EQ(ParamObject<CTapiLine>(spy->received[0].wParam), line);
    EXPECT_EQ(spy->received[0].lineCalls, 1u) << "the calls still exist";
    EXPECT_EQ(spy->received[1].message, WM_TAPI_LINECLOSED);
    EXPECT_EQ(ParamObject<CTapiLine>(spy->received[1].wParam), line);
    EXPECT_EQ(spy->received[1].lineCalls, 0u);
}

TEST_F(EventBridgeTest, EventsWithoutAMainWindowAreDropped)
{
    spy->DestroyWindow();
    CTapiLine *line = OpenLine(0);
    leg = Exchange().incomingCall(0, 0, u"5550100", u"Clara Diaz");
    ASSERT_EQ(Exchange().remoteHangUp(leg), 0);
    ASSERT_TRUE(WaitFor(
        [&] { return line->GetCallCount() == 1 && line->GetCall(0)->GetCallState() == LINECALLSTATE_DISCONNECTED; }));
    EXPECT_TRUE(spy->received.empty());
}

} // namespace
