// Every command control of the main window, each in a scene where it may be
// enabled: an enabled control acts when used (a request goes to TAPI, a window
// or message box opens, a report shows, or the window shows something else),
// and a control that cannot act is disabled.
#include "CommandsTestSupport.h"

#include <window/testing/MessageBoxScript.h>
#include <window/testing/ModalScript.h>
#include <window/testing/UserInput.h>

#include <QApplication>
#include <QWidget>

#include <cctype>
#include <string>

namespace {

enum class Scene {
    Offering,  ///< a call from outside rings at Extension 201
    Connected, ///< Extension 201 talks to outside
    TwoCalls,  ///< one call on hold, one connected
    TwoLines,  ///< Extensions 201 and 202 open
};

struct CommandRow {
    int id;
    Scene scene;
    const char *name;
};

class EveryCommandTest : public CommandsTest, public testing::WithParamInterface<CommandRow> {
protected:
    bool SetUpScene(Scene scene)
    {
        HCALL first = 0, second = 0;
        switch (scene) {
        case Scene::Offering:
            return StartWithLine() && IncomingOffering();
        case Scene::Connected:
            return StartWithLine() && ConnectedCall();
        case Scene::TwoCalls:
            return TwoCalls(first, second);
        case Scene::TwoLines:
            return StartWithLine() && OpenLine(QStringLiteral("Extension 202"));
        }
        return false;
    }

    /// The texts that show a command's effect on the window itself.
    QStringList WatchedTexts() const
    {
        QStringList texts;
        for (int id : {IDC_LINE_POSITION, IDC_CALL_POSITION, IDC_SESSION, IDC_CALLSTATE, IDC_HOLD, IDC_NUMBER})
            texts << Text(id);
        return texts;
    }

    static int VisibleWindows()
    {
        int visible = 0;
        for (const QWidget *widget : QApplication::topLevelWidgets())
            visible += widget->isVisible() ? 1 : 0;
        return visible;
    }

    /// Requests other than reads of TAPI's structures.
    std::size_t Requests() const
    {
        std::size_t requests = 0;
        for (const exchange::RecordedCall &call : Recorder().calls()) {
            if (call.function.rfind("lineGet", 0) != 0 && call.function.rfind("phoneGet", 0) != 0)
                ++requests;
        }
        return requests;
    }
};

TEST_P(EveryCommandTest, ActsOrIsDisabled)
{
    const CommandRow &row = GetParam();
    ASSERT_TRUE(SetUpScene(row.scene)) << row.name;
    ASSERT_TRUE(WaitFor([] { return true; }));
    QWidget *control = Window().GetDlgItem(row.id);
    ASSERT_NE(control, nullptr) << row.name;
    if (!control->isEnabled())
        return;

    win::testing::MessageBoxScript boxes;
    win::testing::ClearModalBodies();
    Recorder().clear();
    const QStringList texts = WatchedTexts();
    const int windows = VisibleWindows();
    if (row.id == IDC_LINE_SPIN || row.id == IDC_CALL_SPIN)
        ASSERT_TRUE(win::testing::StepUpDown(Window(), row.id, -1)) << row.name;
    else
        ASSERT_TRUE(Click(row.id)) << row.name;
    WaitFor([] { return true; });

    const bool acted = Requests() > 0 || win::testing::UnscriptedModalRuns() > 0 || !boxes.Shown().empty() ||
                       !Status().isEmpty() || VisibleWindows() != windows || WatchedTexts() != texts;
    EXPECT_TRUE(acted) << row.name << " is enabled but did nothing";
    win::testing::ClearModalBodies();
}

std::string RowName(const testing::TestParamInfo<CommandRow> &info)
{
    std::string name;
    for (const char *c = info.param.name; *c; ++c) {
        if (std::isalnum(static_cast<unsigned char>(*c)))
            name += *c;
    }
    return name;
}

INSTANTIATE_TEST_SUITE_P(
    MainWindow, EveryCommandTest,
    testing::Values(
        CommandRow{IDC_SESSION, Scene::Connected, "End Session"},
        CommandRow{IDC_AGENT, Scene::Connected, "Agent"},
        CommandRow{IDC_PHONE, Scene::Connected, "Phone"},
        CommandRow{IDC_CONFIGURE, Scene::Connected, "Configure"},
        CommandRow{IDC_MWI, Scene::Connected, "MWI"},
        CommandRow{IDC_LCK, Scene::Connected, "LCK"},
        CommandRow{IDC_CON, Scene::Connected, "CON"},
        CommandRow{IDC_SVC, Scene::Connected, "SVC"},
        CommandRow{IDC_PWD, Scene::Connected, "PWD"},
        CommandRow{IDC_MAKECALL, Scene::Connected, "Make Call"},
        CommandRow{IDC_PICKUP, Scene::Connected, "Pickup"},
        CommandRow{IDC_UNPARK, Scene::Connected, "Unpark"},
        CommandRow{IDC_LINE_SPIN, Scene::TwoLines, "Open line stepper"},
        CommandRow{IDC_CALL_SPIN, Scene::TwoCalls, "Call stepper"},
        CommandRow{IDC_ACCEPT, Scene::Offering, "Accept"},
        CommandRow{IDC_ANSWER, Scene::Offering, "Answer"},
        CommandRow{IDC_HANGUP, Scene::Connected, "Hang Up"},
        CommandRow{IDC_HOLD, Scene::Connected, "Hold"},
        CommandRow{IDC_SWAP, Scene::TwoCalls, "Swap"},
        CommandRow{IDC_DIALDIGITS, Scene::Connected, "Dial Digits"},
        CommandRow{IDC_REDIRECT, Scene::Offering, "Redirect"},
        CommandRow{IDC_PARK, Scene::Connected, "Park"},
        CommandRow{IDC_COMPLETE, Scene::Connected, "Complete"},
        CommandRow{IDC_TRANSFER, Scene::Connected, "Transfer"},
        CommandRow{IDC_MERGE, Scene::TwoCalls, "Merge"},
        CommandRow{IDC_CONFERENCE, Scene::TwoCalls, "Conference"},
        CommandRow{IDC_FORWARD, Scene::Connected, "Forward"},
        CommandRow{IDC_SETUPCONF, Scene::Connected, "Set up Conference"},
        CommandRow{IDC_ADDPARTY, Scene::Connected, "Add Party"},
        CommandRow{IDC_DROPPARTY, Scene::Connected, "Drop Party"},
        CommandRow{IDC_CONFLIST, Scene::Connected, "Conf List"},
        CommandRow{IDC_APPSPECIFIC, Scene::Connected, "Appspecific"},
        CommandRow{IDC_USERINFO, Scene::Connected, "User Info"},
        CommandRow{IDC_CALLDATA, Scene::Connected, "Call Data"},
        CommandRow{IDC_QOSINFO, Scene::Connected, "QOS Info"},
        CommandRow{IDC_ISDNINFO, Scene::Connected, "ISDN Info"},
        CommandRow{IDC_FEATURES, Scene::Connected, "Features"}),
    RowName);

} // namespace
