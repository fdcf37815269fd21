#include "CommandsTestSupport.h"

#include <window/Shell.h>
#include <window/testing/UserInput.h>

#include "CTapiCall.h"
#include "CTapiLine.h"

void CommandsTest::SetUp()
{
    MainWindowTest::SetUp();
    win::SetCtrlKeyHook([this] { return ctrlDown_; });
}

void CommandsTest::TearDown()
{
    EXPECT_EQ(win::testing::PendingModalBodies(), 0u) << "a dialog the test expected never opened";
    EXPECT_EQ(win::testing::UnscriptedModalRuns(), 0u) << "a dialog opened that the test did not expect";
    win::testing::ClearModalBodies();
    MainWindowTest::TearDown();
    win::SetCtrlKeyHook({});
}

bool CommandsTest::StartWithLine(const QString &name)
{
    Start();
    return OpenLine(name);
}

bool CommandsTest::MakeCall(const QString &number, const QString &state)
{
    return TypeNumber(number) && Click(IDC_MAKECALL) && WaitForCallState(state);
}

bool CommandsTest::IncomingOffering(exchange::LegId *leg)
{
    const exchange::LegId incoming = IncomingCall(0, u"5550199", u"Dora Engel");
    if (leg)
        *leg = incoming;
    return incoming != 0 && WaitForCallState(QStringLiteral("Offering"));
}

bool CommandsTest::ConnectedCall()
{
    return MakeCall(QStringLiteral("5550105"), QStringLiteral("Connected"));
}

bool CommandsTest::TwoCalls(HCALL &first, HCALL &second)
{
    if (!StartWithLine() || !ConnectedCall())
        return false;
    first = CurrentHandle();
    if (!ConnectedCall())
        return false;
    second = CurrentHandle();
    // The call objects know both states (the display may be ahead of them).
    return WaitFor([&] {
        CTapiCall *held = Line(0)->FindCall(first);
        CTapiCall *active = Line(0)->FindCall(second);
        return held && active && held->GetCallState() == LINECALLSTATE_ONHOLD &&
               active->GetCallState() == LINECALLSTATE_CONNECTED;
    });
}

exchange::RecordedCall CommandsTest::Last(const std::string &function) const
{
    const auto call = Recorder().last(function);
    if (!call) {
        ADD_FAILURE() << function << " was not called";
        return {};
    }
    return *call;
}

HCALL CommandsTest::CurrentHandle() const
{
    const CTapiCall *call = CurrentCall();
    return call ? call->GetCallHandle() : 0;
}

void CommandsTest::HoldCtrl(bool down)
{
    ctrlDown_ = down;
    win::testing::PressKey(Window(), Qt::Key_Control, down ? Qt::ControlModifier : Qt::NoModifier);
}
