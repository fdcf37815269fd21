// The two dialogs of a call with parameters: the extended make call (what the
// address's capabilities allow) and the predictive dialer parameters.
#include "DialogTestSupport.h"

#include <ui/main/MakeCallExtended.h>
#include <ui/main/PredDialDlg.h>

#include <window/UpDown.h>
#include <window/testing/MessageBoxScript.h>
#include <window/testing/UserInput.h>

using win::testing::Click;
using win::testing::ToggleItem;
using win::testing::TypeText;

namespace {

using MakeCallExtendedTest = DialogTest;

TEST_F(MakeCallExtendedTest, AddressWithoutTheCapabilitiesOffersNothingAndReturnsNothing)
{
    MakeCallExtended dialog(QStringLiteral("202"), 0);
    const int result = RunModal<MakeCallExtended>(dialog, [](MakeCallExtended &shown) {
        EXPECT_EQ(shown.windowTitle(), QStringLiteral("extended Make Call"));
        EXPECT_EQ(shown.GetDlgItemText(MakeCallExtended::IDC_DESTINATION), QStringLiteral("202"));
        for (int id : {MakeCallExtended::IDC_CLIP, MakeCallExtended::IDC_CLIR, MakeCallExtended::IDC_AUTO_OFFHOOK})
            EXPECT_FALSE(shown.IsDlgItemEnabled(id)) << id;
        EXPECT_FALSE(TypeText(shown, MakeCallExtended::IDC_CLIP, QStringLiteral("999")));
        Click(shown, win::IDOK);
    });
    EXPECT_EQ(result, win::IDOK);
    EXPECT_TRUE(dialog.GetCallingPartyId().isEmpty());
    EXPECT_FALSE(dialog.GetClir());
    EXPECT_FALSE(dialog.GetAutoOffHook());
}

TEST_F(MakeCallExtendedTest, CapableAddressReturnsTheCallingPartyIdAndBothChoices)
{
    MakeCallExtended dialog(QString(), LINEADDRCAPFLAGS_SETCALLINGID | LINEADDRCAPFLAGS_BLOCKIDOVERRIDE |
                                           LINEADDRCAPFLAGS_DESTOFFHOOK);
    const int result = RunModal<MakeCallExtended>(dialog, [](MakeCallExtended &shown) {
        EXPECT_TRUE(shown.GetDlgItemText(MakeCallExtended::IDC_DESTINATION).isEmpty());
        TypeText(shown, MakeCallExtended::IDC_DESTINATION, QStringLiteral("1"));
        EXPECT_TRUE(shown.GetDlgItemText(MakeCallExtended::IDC_DESTINATION).isEmpty()) << "read-only";
        EXPECT_TRUE(TypeText(shown, MakeCallExtended::IDC_CLIP, QStringLiteral("+49 30 999")));
        EXPECT_TRUE(Click(shown, MakeCallExtended::IDC_CLIR));
        EXPECT_TRUE(Click(shown, MakeCallExtended::IDC_AUTO_OFFHOOK));
        Click(shown, win::IDOK);
    });
    EXPECT_EQ(result, win::IDOK);
    EXPECT_EQ(dialog.GetCallingPartyId(), QStringLiteral("+49 30 999"));
    EXPECT_TRUE(dialog.GetClir());
    EXPECT_TRUE(dialog.GetAutoOffHook());
}

using PredDialDlgTest = DialogTest;

TEST_F(PredDialDlgTest, ListsExactlyTheOfferedStatesSortedByName)
{
    CPredDialDlg dialog;
    dialog.SetTimeout(30);
    dialog.SetStates(LINECALLSTATE_CONNECTED | LINECALLSTATE_BUSY | LINECALLSTATE_IDLE | LINECALLSTATE_UNKNOWN);
    const int result = RunModal<CPredDialDlg>(dialog, [](CPredDialDlg &shown) {
        EXPECT_EQ(shown.windowTitle(), QStringLiteral("Predictive Dialer Parameters"));
        win::ListControl states = shown.Items(CPredDialDlg::IDC_STATES);
        ASSERT_EQ(states.GetCount(), 2);
        EXPECT_EQ(states.GetText(0), QStringLiteral("LINECALLSTATE_BUSY"));
        EXPECT_EQ(states.GetItemData(0), LINECALLSTATE_BUSY);
        EXPECT_EQ(states.GetText(1), QStringLiteral("LINECALLSTATE_CONNECTED"));
        EXPECT_EQ(states.GetItemData(1), LINECALLSTATE_CONNECTED);
        // The time-out starts at 0 whatever the maximum is.
        EXPECT_EQ(shown.GetDlgItemText(CPredDialDlg::IDC_TIMEOUT), QStringLiteral("0"));
        Click(shown, win::IDOK);
    });
    EXPECT_EQ(result, win::IDOK);
    EXPECT_EQ(dialog.GetStates(), 0u) << "nothing selected";
    EXPECT_EQ(dialog.GetTimeout(), 0u);
    EXPECT_TRUE(dialog.GetTransferTo().isEmpty());
}

TEST_F(PredDialDlgTest, ReturnsTheChosenNumberTimeoutAndStates)
{
    CPredDialDlg dialog;
    dialog.SetTimeout(30);
    dialog.SetStates(LINECALLSTATE_CONNECTED | LINECALLSTATE_BUSY | LINECALLSTATE_RINGBACK);
    RunModal<CPredDialDlg>(dialog, [](CPredDialDlg &shown) {
        auto *spin = shown.Item<win::UpDown>(CPredDialDlg::IDC_TIMEOUT_SPIN);
        ASSERT_NE(spin, nullptr);
        EXPECT_EQ(spin->High(), 30);
        TypeText(shown, CPredDialDlg::IDC_TRANSFER_TO, QString(25, u'4'));
        EXPECT_EQ(shown.GetDlgItemText(CPredDialDlg::IDC_TRANSFER_TO).size(), 20);
        TypeText(shown, CPredDialDlg::IDC_TIMEOUT, QStringLiteral("12"));
        ToggleItem(shown, CPredDialDlg::IDC_STATES, 0); // BUSY
        ToggleItem(shown, CPredDialDlg::IDC_STATES, 2); // RINGBACK
        Click(shown, win::IDOK);
    });
    EXPECT_EQ(dialog.GetTransferTo(), QString(20, u'4'));
    EXPECT_EQ(dialog.GetTimeout(), 12u);
    EXPECT_EQ(dialog.GetStates(), DWORD{LINECALLSTATE_BUSY | LINECALLSTATE_RINGBACK});
}

TEST_F(PredDialDlgTest, WithoutAMaximumTimeoutOrStatesThoseFieldsAreDisabled)
{
    CPredDialDlg dialog;
    RunModal<CPredDialDlg>(dialog, [](CPredDialDlg &shown) {
        EXPECT_FALSE(shown.IsDlgItemEnabled(CPredDialDlg::IDC_TIMEOUT));
        EXPECT_FALSE(shown.IsDlgItemEnabled(CPredDialDlg::IDC_TIMEOUT_SPIN));
        EXPECT_FALSE(shown.IsDlgItemEnabled(CPredDialDlg::IDC_STATES));
        EXPECT_EQ(shown.Items(CPredDialDlg::IDC_STATES).GetCount(), 0);
        Click(shown, win::IDOK);
    });
    EXPECT_EQ(dialog.GetTimeout(), 0u);
    EXPECT_EQ(dialog.GetStates(), 0u);
}

TEST_F(PredDialDlgTest, AnInvalidTimeoutKeepsTheDialogOpen)
{
    win::testing::MessageBoxScript boxes;
    CPredDialDlg dialog;
    dialog.SetTimeout(0xFFFFFFFF); // a provider's maximum beyond what the field holds
    const int result = RunModal<CPredDialDlg>(dialog, [&](CPredDialDlg &shown) {
        EXPECT_EQ(shown.Item<win::UpDown>(CPredDialDlg::IDC_TIMEOUT_SPIN)->High(), CPredDialDlg::kMaxTimeout);
        TypeText(shown, CPredDialDlg::IDC_TIMEOUT, QStringLiteral("x1"));
        Click(shown, win::IDOK);
        ASSERT_EQ(boxes.Shown().size(), 1u);
        EXPECT_EQ(boxes.Shown()[0].text, QStringLiteral("Please enter an integer."));
        TypeText(shown, CPredDialDlg::IDC_TIMEOUT, QStringLiteral("9999"));
        Click(shown, win::IDOK);
    });
    EXPECT_EQ(result, win::IDOK);
    EXPECT_EQ(dialog.GetTimeout(), 9999u);
}

} // namespace
