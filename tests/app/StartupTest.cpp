// Start-up of the application: the session, the main window run modally, and
// the message when there is no line device.
#include "BridgeFixture.h"

#include <app/CMainApp.h>
#include <window/testing/MessageBoxScript.h>
#include <window/testing/ModalScript.h>

#include "CTapiConnection.h"

namespace {

using AppStartupTest = BridgeTest;

class NoLinesTest : public BridgeTest {
protected:
    exchange::Topology Topology() const override
    {
        exchange::Topology topology = exchange::Topology::standard();
        topology.lines.clear();
        for (auto &phone : topology.phones)
            phone.line.reset();
        return topology;
    }
};

TEST_F(AppStartupTest, RunsTheMainWindowModallyWithTheCommandLine)
{
    QString preferred;
    bool shown = false;
    win::testing::OnNextModal([&](win::Dialog &window) {
        shown = window.IsCreated();
        window.EndDialog(win::IDOK);
    });
    const int exitCode = GetMainApp().InitInstance(QStringLiteral("Extension 201"), [&](const QString &line) {
        preferred = line;
        return std::make_unique<SpyWindow>();
    });
    EXPECT_EQ(exitCode, 0);
    EXPECT_TRUE(shown);
    EXPECT_EQ(preferred, "Extension 201");
    EXPECT_EQ(GetMainApp().GetMainWnd(), nullptr) << "the window is destroyed after its run";
    EXPECT_EQ(GetTapiConnection()->GetLineCount(), 7u) << "the session stays up until the process ends";
}

TEST_F(NoLinesTest, WithoutLineDevicesTheUserIsToldAndNoWindowOpens)
{
    win::testing::MessageBoxScript boxes;
    bool created = false;
    const int exitCode = GetMainApp().InitInstance({}, [&](const QString &) {
        created = true;
        return std::make_unique<SpyWindow>();
    });
    EXPECT_EQ(exitCode, 1);
    EXPECT_FALSE(created);
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown().front().text, "There are no TAPI devices installed!");
    EXPECT_EQ(boxes.Shown().front().type, win::MB_OK);
}

TEST_F(AppStartupTest, AFailedInitialisationIsReportedTheSameWay)
{
    Exchange().faults().failNext("lineInitializeExW", LINEERR_NODRIVER);
    win::testing::MessageBoxScript boxes;
    const int exitCode = GetMainApp().InitInstance({}, [](const QString &) { return std::make_unique<SpyWindow>(); });
    EXPECT_EQ(exitCode, 1);
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown().front().text, "There are no TAPI devices installed!");
    Exchange().faults().clear();
}

} // namespace
