// The call detail windows opened from the main window for its current call:
// each button opens its window for that call, the window's request goes out,
// and a call that the provider takes away while a window is open is reported,
// not touched.
#include "CommandsTestSupport.h"

#include <app/ResultReporting.h>
#include <ui/dialogs/CallDataDlg.h>
#include <ui/dialogs/ConfListDlg.h>
#include <ui/dialogs/ISDNInfo.h>
#include <ui/dialogs/QosInfo.h>
#include <ui/dialogs/UUIDlg.h>

#include <window/testing/UserInput.h>

#include "CTapiCall.h"

namespace {

using DetailCommandsTest = CommandsTest;

struct DetailButton {
    int id;
    const char *title;
    const char *request; // what the window's action button asks TAPI for
    int action;          // that button's id
};

TEST_F(DetailCommandsTest, EachButtonOpensItsWindowForTheCurrentCall)
{
    ASSERT_TRUE(StartWithLine());
    ASSERT_TRUE(ConnectedCall());
    const HCALL handle = CurrentHandle();
    const DetailButton buttons[] = {
        {IDC_USERINFO, "User to User Information", "lineSendUserUserInfo", CUUIDlg::IDC_SEND},
        {IDC_CALLDATA, "Call Data", "lineSetCallData", win::IDOK},
        {IDC_QOSINFO, "Call Quality of Service", "lineSetCallQualityOfService", win::IDOK},
    };
    for (const DetailButton &button : buttons) {
        ASSERT_TRUE(Enabled(button.id)) << button.title;
        bool shown = false;
        win::testing::OnNextModal([&](win::Dialog &dialog) {
            shown = true;
            EXPECT_EQ(dialog.windowTitle(), button.title);
            if (dialog.GetDlgItem(1041))
                win::testing::TypeText(dialog, 1041, QStringLiteral("x"));
            EXPECT_TRUE(win::testing::Click(dialog, button.action)) << button.title;
            dialog.EndDialog(win::IDCANCEL);
        });
        ASSERT_TRUE(Click(button.id));
        EXPECT_TRUE(shown) << button.title;
        EXPECT_EQ(Last(button.request).number("hCall"), handle) << button.title;
        EXPECT_EQ(Status(), "") << button.title;
    }
    // A call between the exchange and outside on an extension carries no ISDN
    // elements and is in no conference.
    EXPECT_FALSE(Enabled(IDC_ISDNINFO));
    EXPECT_FALSE(Enabled(IDC_CONFLIST));
}

TEST_F(DetailCommandsTest, ACallTakenAwayWhileItsWindowIsOpenIsReportedNotTouched)
{
    ASSERT_TRUE(StartWithLine());
    ASSERT_TRUE(ConnectedCall());
    OnNextDialog<CCallDataDlg>([this](CCallDataDlg &dialog) {
        win::testing::TypeText(dialog, CCallDataDlg::IDC_TEXT, QStringLiteral("late"));
        // The provider closes the line: the window lets go of its calls.
        ASSERT_TRUE(Exchange().forceCloseLine(0));
        ASSERT_TRUE(WaitFor([&] { return Window().GetCalls().empty(); }));
        win::testing::Click(dialog, win::IDOK);
        dialog.EndDialog(win::IDCANCEL);
    });
    ASSERT_TRUE(Click(IDC_CALLDATA));
    EXPECT_EQ(Status(), FormatResult("lineSetCallPrivilege", LINEERR_INVALCALLHANDLE));
    EXPECT_EQ(Count("lineSetCallData"), 0u);
}

} // namespace
