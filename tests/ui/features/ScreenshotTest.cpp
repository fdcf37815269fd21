// Pictures of the feature windows over real calls and addresses, for anyone
// to look at: <build folder>/screenshots/<window>.png.
#include "FeatureTestSupport.h"

#include <ui/dialogs/AboutDlg.h>
#include <ui/dialogs/AgentStateDlg.h>
#include <ui/dialogs/CallDataDlg.h>
#include <ui/dialogs/CompleteCall.h>
#include <ui/dialogs/CompleteTransferDlg.h>
#include <ui/dialogs/ConfListDlg.h>
#include <ui/dialogs/ForwardDlg.h>
#include <ui/dialogs/ForwardList.h>
#include <ui/dialogs/ForwardingEntries.h>
#include <ui/dialogs/ISDNInfo.h>
#include <ui/dialogs/QosInfo.h>
#include <ui/dialogs/SetupConfDlg.h>
#include <ui/dialogs/TransferDlg.h>
#include <ui/dialogs/UUIDlg.h>

#include "CTapiBuffer.h"

#include <QCoreApplication>
#include <QLayout>

namespace {

using namespace office;

using FeatureScreenshotTest = FeatureTest;

// Fits the window to its layout once fonts and texts are in place, then saves it.
void Save(win::Dialog &window, const char *name)
{
    QCoreApplication::sendPostedEvents();
    window.layout()->activate();
    window.resize(window.sizeHint());
    QCoreApplication::sendPostedEvents();
    EXPECT_FALSE(win::testing::SaveScreenshot(window, QString::fromUtf8(name)).isEmpty()) << name;
}

// Runs a modal window just long enough to take its picture.
template <class Dlg> void Picture(Dlg &dialog, const char *name, std::function<void(Dlg &)> prepare = {})
{
    RunModal<Dlg>(dialog, [&](Dlg &shown) {
        if (prepare)
            prepare(shown);
        Save(shown, name);
        shown.EndDialog(win::IDCANCEL);
    });
}

TEST_F(FeatureScreenshotTest, EveryFeatureWindow)
{
    CTapiCall *customer = CustomerTalksTo(kAnna);
    CTransferDlg transfer(Parent(), customer);
    Picture<CTransferDlg>(transfer, "transfer", [](CTransferDlg &shown) {
        win::testing::TypeText(shown, CTransferDlg::IDC_NUMBER, QStringLiteral("202"));
    });
    CSetupConfDlg conference(Parent(), customer, true);
    Picture<CSetupConfDlg>(conference, "setup-conference");

    CTapiCall *consult = nullptr;
    ASSERT_EQ(Reply(customer->SetupTransfer(&consult)), 0u);
    ASSERT_TRUE(consult && consult->WaitForFeatures(LINECALLFEATURE_DIAL, 5000));
    ASSERT_EQ(Reply(consult->Dial(Number(kBen))), 0u);
    Answer(RingsAt(kBen));
    CCompleteTransferDlg complete(Parent(), customer, consult, 0);
    Picture<CCompleteTransferDlg>(complete, "complete-transfer", [this](CCompleteTransferDlg &) {
        now += std::chrono::seconds(83);
        win::Clock::Advance(CCompleteTransferDlg::kTimerPeriodMs);
    });

    CTapiCall *busy = nullptr;
    ASSERT_EQ(lines[kCarl]->MakeCall(&busy, TAPI_TEXT("5550101")), 0u);
    ASSERT_TRUE(Reaches(busy, LINECALLSTATE_BUSY));
    CCompleteCall completion(Parent(), busy);
    Picture<CCompleteCall>(completion, "complete-call");

    ForwardingEntry busyToCarl{0, LINEFORWARDMODE_BUSY, QStringLiteral("203"), {}, {}, 0};
    ForwardingEntry unanswered{1, LINEFORWARDMODE_NOANSW, QStringLiteral("5550100"), {}, {}, 0};
    const auto list = BuildForwardList({busyToCarl, unanswered}, 0);
    ASSERT_TRUE(list);
    ASSERT_EQ(Reply(lines[kBen]->Forward(0, list->As<LINEFORWARDLIST>(), 2, nullptr)), 0u);
    CForwardList forwarding(Parent(), lines[kBen]);
    Picture<CForwardList>(forwarding, "call-forwarding");
    CForwardDlg forward(Parent(), lines[kBen]);
    Picture<CForwardDlg>(forward, "forward");

    CAgentStateDlg *agent = new CAgentStateDlg(Parent(), lines[kDana]->GetAddress(0));
    Save(*agent, "agent-status");
}

TEST_F(FeatureScreenshotTest, EveryCallDetailWindow)
{
    auto [anna, ben] = Talk(kAnna, kBen);
    const char data[] = "Order 4711: 3 x handset, 1 x headset";
    ASSERT_EQ(Reply(anna->SetCallData(const_cast<char *>(data), sizeof data)), 0u);
    const char uui[] = "Please call back after 3 pm";
    ASSERT_EQ(Reply(anna->SendUserUserInfo(uui, sizeof uui)), 0u);
    ASSERT_TRUE(WaitFor([&] {
        const auto info = ben->GetCallInfo();
        return info && info->dwCallDataSize == sizeof data && info->dwUserUserInfoSize == sizeof uui;
    }));
    CCallDataDlg callData(Parent(), ben);
    Picture<CCallDataDlg>(callData, "call-data", [](CCallDataDlg &shown) {
        win::testing::TypeText(shown, CCallDataDlg::IDC_TEXT, QStringLiteral("Order 4712"));
    });
    CUUIDlg userInfo(Parent(), ben);
    Picture<CUUIDlg>(userInfo, "user-to-user-information");
    auto flowSpec = CQosInfo::kFlowSpec;
    ASSERT_EQ(Reply(anna->SetQualityOfService(flowSpec.data(), 32, flowSpec.data(), 32)), 0u);
    ASSERT_TRUE(WaitFor([&] { return ben->GetCallInfo()->dwReceivingFlowspecSize == 32; }));
    CQosInfo qos(Parent(), ben);
    Picture<CQosInfo>(qos, "quality-of-service");

    CTapiCall *conference = nullptr;
    CTapiCall *consult = nullptr;
    ASSERT_EQ(Reply(anna->SetupConference(&conference, &consult, 3)), 0u);
    ASSERT_TRUE(consult && consult->WaitForFeatures(LINECALLFEATURE_DIAL, 5000));
    ASSERT_EQ(Reply(consult->Dial(Number(kCarl))), 0u);
    Answer(RingsAt(kCarl));
    ASSERT_EQ(Reply(conference->AddToConference(consult)), 0u);
    ASSERT_TRUE(Reaches(consult, LINECALLSTATE_CONFERENCED));
    CConfListDlg conferenceList(Parent(), conference);
    Picture<CConfListDlg>(conferenceList, "conference-list");

    CTapiLine *trunk = OpenLine(4);
    ASSERT_NE(trunk, nullptr);
    CTapiCall *outside = nullptr;
    ASSERT_EQ(trunk->MakeCall(&outside, TAPI_TEXT("5550105")), 0u);
    ASSERT_TRUE(Reaches(outside, LINECALLSTATE_CONNECTED));
    ASSERT_TRUE(WaitFor([&] { return outside->GetCallInfo()->dwChargingInfoSize > 0; }));
    CISDNInfo isdn(Parent(), outside);
    Picture<CISDNInfo>(isdn, "isdn-information");

    CAboutDlg about(Parent());
    Picture<CAboutDlg>(about, "about");
}

} // namespace
