// The call detail windows over calls of the office: what one party sends as
// call data, user-to-user information or flow specs shows at the other party,
// failures reach the status line, the ISDN elements of a trunk call and the
// conference list with its owner first.
#include "FeatureTestSupport.h"

#include <app/ResultReporting.h>
#include <app/TapiText.h>
#include <ui/controls/HexEdit.h>
#include <ui/dialogs/CallDataDlg.h>
#include <ui/dialogs/ConfListDlg.h>
#include <ui/dialogs/ISDNInfo.h>
#include <ui/dialogs/QosInfo.h>
#include <ui/dialogs/UUIDlg.h>

#include <exchange/features/Isdn.h>
#include <tapi32/Runtime.h>

#include "TapiFields.h"

#include <vector>

using win::testing::Click;
using win::testing::TypeText;

namespace {

using namespace office;

using Bytes = std::vector<unsigned char>;

class CallDetailsTest : public FeatureTest {
protected:
    /// The bytes of a LINECALLINFO field of the call's cached information, once they are `expected`.
    static bool InfoReaches(CTapiCall *call, DWORD LINECALLINFO::*offset, DWORD LINECALLINFO::*size,
                            const Bytes &expected)
    {
        return WaitFor([&] {
            const auto info = call->GetCallInfo();
            if (!info || info.get()->*size != expected.size())
                return false;
            if (expected.empty())
                return true;
            if (!TapiFieldPresent(info.get(), info.get()->*offset, info.get()->*size))
                return false;
            const auto *at = reinterpret_cast<const unsigned char *>(info.get()) + info.get()->*offset;
            return Bytes(at, at + expected.size()) == expected;
        });
    }

    static Bytes Viewed(const win::Dialog &dialog, int id)
    {
        const auto *viewer = dialog.Item<CHexEdit>(id);
        return viewer ? viewer->GetData() : Bytes{};
    }
};

TEST_F(CallDetailsTest, CallDataAbIsSentWithItsZeroAndSeenByTheOtherParty)
{
    auto [anna, ben] = Talk(kAnna, kBen);
    CCallDataDlg send(Parent(), anna);
    RunModal<CCallDataDlg>(send, [](CCallDataDlg &shown) {
        EXPECT_EQ(shown.windowTitle(), "Call Data");
        EXPECT_TRUE(shown.IsDlgItemEnabled(CCallDataDlg::IDC_TEXT));
        EXPECT_FALSE(shown.IsDlgItemEnabled(win::IDOK)) << "until a text is typed";
        EXPECT_TRUE(shown.GetDlgItemText(CCallDataDlg::IDC_DATA).isEmpty());
        TypeText(shown, CCallDataDlg::IDC_TEXT, QStringLiteral("AB"));
        EXPECT_TRUE(shown.IsDlgItemEnabled(win::IDOK));
        EXPECT_TRUE(Click(shown, win::IDOK));
        EXPECT_TRUE(shown.IsCreated()) << "the action button does not close the window";
        shown.EndDialog(win::IDCANCEL);
    });
    EXPECT_EQ(Last("lineSetCallData").bytes("lpCallData"), (std::vector<uint8_t>{0x41, 0x42, 0x00}));
    EXPECT_EQ(Last("lineSetCallPrivilege").number("dwCallPrivilege"), DWORD(LINECALLPRIVILEGE_OWNER));
    EXPECT_EQ(Status(), "");

    const Bytes ab{0x41, 0x42, 0x00};
    ASSERT_TRUE(InfoReaches(ben, &LINECALLINFO::dwCallDataOffset, &LINECALLINFO::dwCallDataSize, ab));
    CCallDataDlg seen(Parent(), ben);
    RunModal<CCallDataDlg>(seen, [&](CCallDataDlg &shown) {
        EXPECT_EQ(Viewed(shown, CCallDataDlg::IDC_DATA), ab);
        EXPECT_TRUE(shown.GetDlgItemText(CCallDataDlg::IDC_DATA).startsWith("00000000 41 42 00 00"));
        shown.EndDialog(win::IDCANCEL);
    });
}

TEST_F(CallDetailsTest, CallDataRefusedIsReportedAndTheViewerRefreshed)
{
    CTapiCall *anna = Talk(kAnna, kBen).first;
    Faults().failNext("lineSetCallData", LINEERR_INVALPARAM);
    CCallDataDlg dialog(Parent(), anna);
    RunModal<CCallDataDlg>(dialog, [](CCallDataDlg &shown) {
        TypeText(shown, CCallDataDlg::IDC_TEXT, QStringLiteral("x"));
        Click(shown, win::IDOK);
        shown.EndDialog(win::IDCANCEL);
    });
    EXPECT_EQ(Status(), FormatResult("lineSetCallData", LINEERR_INVALPARAM));
}

TEST_F(CallDetailsTest, UserUserInfoSentFromOneExtensionShowsAtTheOther)
{
    auto [anna, ben] = Talk(kAnna, kBen);
    CUUIDlg send(Parent(), anna);
    RunModal<CUUIDlg>(send, [](CUUIDlg &shown) {
        EXPECT_EQ(shown.windowTitle(), "User to User Information");
        EXPECT_FALSE(shown.IsDlgItemEnabled(CUUIDlg::IDC_RELEASE)) << "nothing received yet";
        EXPECT_FALSE(shown.IsDlgItemEnabled(CUUIDlg::IDC_SEND)) << "until a text is typed";
        TypeText(shown, CUUIDlg::IDC_TEXT, QStringLiteral("Hi"));
        EXPECT_TRUE(shown.IsDlgItemEnabled(CUUIDlg::IDC_SEND));
        shown.SetDlgItemText(CUUIDlg::IDC_TEXT, QStringLiteral("Hi \u00e9"));
        EXPECT_TRUE(Click(shown, CUUIDlg::IDC_SEND));
        shown.EndDialog(win::IDCANCEL);
    });
    // é is one byte in the 8-bit code page.
    const Bytes sent{'H', 'i', ' ', 0xE9, 0x00};
    EXPECT_EQ(Last("lineSendUserUserInfo").bytes("lpsUserUserInfo"), std::vector<uint8_t>(sent.begin(), sent.end()));
    ASSERT_TRUE(InfoReaches(ben, &LINECALLINFO::dwUserUserInfoOffset, &LINECALLINFO::dwUserUserInfoSize, sent));

    CUUIDlg seen(Parent(), ben);
    RunModal<CUUIDlg>(seen, [&](CUUIDlg &shown) {
        EXPECT_EQ(Viewed(shown, CUUIDlg::IDC_DATA), sent);
        EXPECT_TRUE(shown.GetDlgItemText(CUUIDlg::IDC_DATA).endsWith("  Hi ............."));
        EXPECT_TRUE(shown.IsDlgItemEnabled(CUUIDlg::IDC_RELEASE));
        shown.EndDialog(win::IDCANCEL);
    });
}

TEST_F(CallDetailsTest, ReleaseUuiStaysEnabledAfterAFailedReleaseOnlyWhileOffered)
{
    auto [anna, ben] = Talk(kAnna, kBen);
    const Bytes sent{'o', 'k', 0};
    ASSERT_EQ(Reply(anna->SendUserUserInfo(reinterpret_cast<const char *>(sent.data()), 3)), 0u);
    ASSERT_TRUE(InfoReaches(ben, &LINECALLINFO::dwUserUserInfoOffset, &LINECALLINFO::dwUserUserInfoSize, sent));

    CUUIDlg dialog(Parent(), ben);
    RunModal<CUUIDlg>(dialog, [&](CUUIDlg &shown) {
        Faults().failNext("lineReleaseUserUserInfo", LINEERR_OPERATIONFAILED);
        EXPECT_TRUE(Click(shown, CUUIDlg::IDC_RELEASE));
        EXPECT_EQ(Status(), "lineReleaseUserUserInfo (0x80000048) Operation Failed");
        EXPECT_TRUE(shown.IsDlgItemEnabled(CUUIDlg::IDC_RELEASE)) << "the information is still there";

        EXPECT_TRUE(Click(shown, CUUIDlg::IDC_RELEASE));
        EXPECT_FALSE(shown.IsDlgItemEnabled(CUUIDlg::IDC_RELEASE)) << "released: nothing left to release";
        shown.EndDialog(win::IDCANCEL);
    });
    EXPECT_EQ(Recorder().count("lineReleaseUserUserInfo"), 2u);
}

TEST_F(CallDetailsTest, QualityOfServiceAsksBestEffortBothWaysAndTheOtherPartySeesIt)
{
    auto [anna, ben] = Talk(kAnna, kBen);
    CQosInfo dialog(Parent(), anna);
    RunModal<CQosInfo>(dialog, [](CQosInfo &shown) {
        EXPECT_EQ(shown.windowTitle(), "Call Quality of Service");
        EXPECT_TRUE(shown.IsDlgItemEnabled(win::IDOK));
        EXPECT_TRUE(Click(shown, win::IDOK));
        shown.EndDialog(win::IDCANCEL);
    });
    const auto *words = reinterpret_cast<const unsigned char *>(CQosInfo::kFlowSpec.data());
    const Bytes flowSpec(words, words + 32);
    const exchange::RecordedCall set = Last("lineSetCallQualityOfService");
    EXPECT_EQ(set.bytes("lpSendingFlowspec"), std::vector<uint8_t>(flowSpec.begin(), flowSpec.end()));
    EXPECT_EQ(set.bytes("lpReceivingFlowspec"), std::vector<uint8_t>(flowSpec.begin(), flowSpec.end()));
    ASSERT_TRUE(InfoReaches(ben, &LINECALLINFO::dwReceivingFlowspecOffset, &LINECALLINFO::dwReceivingFlowspecSize,
                            flowSpec));

    Faults().failNext("lineSetCallQualityOfService", LINEERR_OPERATIONFAILED);
    CQosInfo other(Parent(), ben);
    RunModal<CQosInfo>(other, [&](CQosInfo &shown) {
        EXPECT_EQ(Viewed(shown, CQosInfo::IDC_SENDING), flowSpec);
        EXPECT_EQ(Viewed(shown, CQosInfo::IDC_RECEIVING), flowSpec);
        Click(shown, win::IDOK);
        shown.EndDialog(win::IDCANCEL);
    });
    EXPECT_EQ(Status(), "lineCallSetQualityOfService (0x80000048) Operation Failed");
}

TEST_F(CallDetailsTest, AnOwnerStepThatFailsStopsTheAction)
{
    CTapiCall *anna = Talk(kAnna, kBen).first;
    Faults().failNext("lineSetCallPrivilege", LINEERR_INVALCALLSTATE);
    CQosInfo dialog(Parent(), anna);
    RunModal<CQosInfo>(dialog, [](CQosInfo &shown) {
        Click(shown, win::IDOK);
        shown.EndDialog(win::IDCANCEL);
    });
    EXPECT_EQ(Status(), FormatResult("lineSetCallPrivilege", LINEERR_INVALCALLSTATE));
    EXPECT_EQ(Recorder().count("lineSetCallQualityOfService"), 0u);
}

TEST_F(CallDetailsTest, TrunkCallToOutsideCarriesCompatibilityAndCharges)
{
    CTapiLine *trunk = OpenLine(4);
    ASSERT_NE(trunk, nullptr);
    CTapiCall *call = nullptr;
    ASSERT_EQ(trunk->MakeCall(&call, TAPI_TEXT("5550100")), 0u);
    ASSERT_TRUE(Reaches(call, LINECALLSTATE_RINGBACK));
    Advance(exchange::Millis(3000));
    ASSERT_TRUE(Reaches(call, LINECALLSTATE_CONNECTED));
    const auto &llc = exchange::Isdn::lowLevelCompatibility();
    ASSERT_TRUE(InfoReaches(call, &LINECALLINFO::dwLowLevelCompOffset, &LINECALLINFO::dwLowLevelCompSize,
                            Bytes(llc.begin(), llc.end())));
    const std::string aoc = "AOC-D 1 units";
    ASSERT_TRUE(InfoReaches(call, &LINECALLINFO::dwChargingInfoOffset, &LINECALLINFO::dwChargingInfoSize,
                            Bytes(aoc.begin(), aoc.end())));

    CISDNInfo dialog(Parent(), call);
    RunModal<CISDNInfo>(dialog, [&](CISDNInfo &shown) {
        EXPECT_EQ(shown.windowTitle(), "ISDN Information (Q.931)");
        EXPECT_EQ(shown.GetDlgItemText(CISDNInfo::IDC_LOWLEVEL).left(23), "00000000 7C 03 80 90 A3");
        EXPECT_EQ(shown.GetDlgItemText(CISDNInfo::IDC_HIGHLEVEL).left(20), "00000000 7D 02 91 81");
        EXPECT_TRUE(shown.GetDlgItemText(CISDNInfo::IDC_CHARGING).endsWith("AOC-D 1 units..."));
        shown.EndDialog(win::IDCANCEL);
    });

    // Two minutes begun when the far end hangs up: the final charge.
    Advance(exchange::Millis(61000));
    ASSERT_EQ(Exchange().remoteHangUp(tapi32::Runtime::instance().legOf(call->GetCallHandle())), 0);
    const std::string final = "AOC-E 2 units";
    EXPECT_TRUE(InfoReaches(call, &LINECALLINFO::dwChargingInfoOffset, &LINECALLINFO::dwChargingInfoSize,
                            Bytes(final.begin(), final.end())));
}

TEST_F(CallDetailsTest, ExtensionCallsCarryNoIsdnElements)
{
    CTapiCall *anna = Talk(kAnna, kBen).first;
    CISDNInfo dialog(Parent(), anna);
    RunModal<CISDNInfo>(dialog, [](CISDNInfo &shown) {
        for (int id : {CISDNInfo::IDC_CHARGING, CISDNInfo::IDC_LOWLEVEL, CISDNInfo::IDC_HIGHLEVEL})
            EXPECT_TRUE(shown.GetDlgItemText(id).isEmpty()) << id;
        shown.EndDialog(win::IDCANCEL);
    });
}

TEST_F(CallDetailsTest, ConferenceOwnerListedThirdByTapiIsShownFirst)
{
    auto [anna, ben] = Talk(kAnna, kBen);
    CTapiCall *conference = nullptr;
    CTapiCall *consult = nullptr;
    ASSERT_EQ(Reply(anna->SetupConference(&conference, &consult, 3)), 0u);
    ASSERT_TRUE(consult && consult->WaitForFeatures(LINECALLFEATURE_DIAL, 5000));
    ASSERT_EQ(Reply(consult->Dial(Number(kCarl))), 0u);
    Answer(RingsAt(kCarl));
    ASSERT_EQ(Reply(conference->AddToConference(consult)), 0u);
    ASSERT_TRUE(Reaches(consult, LINECALLSTATE_CONFERENCED));
    std::vector<CTapiCall *> listed;
    ASSERT_EQ(conference->GetConferenceRelatedCalls(listed), 0u);
    ASSERT_EQ(listed.size(), 3u);
    ASSERT_EQ(listed[0], conference) << "TAPI lists the conference call first here";

    // The provider names the third call the conference's own: it is the owner now.
    auto &runtime = tapi32::Runtime::instance();
    Exchange().updateCallInfo(runtime.legOf(listed[0]->GetCallHandle()), LINECALLINFOSTATE_ORIGIN,
                              [](exchange::CallInfoData &info) { info.origin = LINECALLORIGIN_INTERNAL; });
    Exchange().updateCallInfo(runtime.legOf(listed[2]->GetCallHandle()), LINECALLINFOSTATE_ORIGIN,
                              [](exchange::CallInfoData &info) { info.origin = LINECALLORIGIN_CONFERENCE; });
    ASSERT_TRUE(WaitFor([&] {
        const auto info = listed[2]->GetCallInfo();
        return info && info->dwOrigin == LINECALLORIGIN_CONFERENCE;
    }));
    ASSERT_TRUE(WaitFor([&] { return listed[0]->GetCallInfo()->dwOrigin == LINECALLORIGIN_INTERNAL; }));

    CConfListDlg dialog(Parent(), anna);
    RunModal<CConfListDlg>(dialog, [&](CConfListDlg &shown) {
        EXPECT_EQ(shown.windowTitle(), "Conference List");
        const win::ListControl list = shown.Items(CConfListDlg::IDC_CALLS);
        ASSERT_EQ(list.GetCount(), 3);
        const auto state = [](CTapiCall *call) { return ToQString(call->GetCallStateText()); };
        EXPECT_EQ(list.GetText(0), CConfListDlg::EntryText(listed[2], true, state(listed[2])));
        EXPECT_EQ(list.GetText(1), CConfListDlg::EntryText(listed[0], false, state(listed[0])));
        EXPECT_EQ(list.GetText(2), CConfListDlg::EntryText(listed[1], false, state(listed[1])));
        EXPECT_TRUE(list.GetText(0).startsWith("Owner x"));
        EXPECT_TRUE(list.GetText(1).startsWith("   Member x"));
        shown.EndDialog(win::IDCANCEL);
    });
}

TEST_F(CallDetailsTest, ConferenceListOfACallInNoConferenceIsEmptyAndReportsNothing)
{
    CTapiCall *anna = Talk(kAnna, kBen).first;
    CConfListDlg dialog(Parent(), anna);
    RunModal<CConfListDlg>(dialog, [](CConfListDlg &shown) {
        EXPECT_EQ(shown.Items(CConfListDlg::IDC_CALLS).GetCount(), 0);
        shown.EndDialog(win::IDCANCEL);
    });
    EXPECT_EQ(Status(), "");
}

} // namespace
