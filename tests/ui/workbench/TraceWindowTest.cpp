// The trace window over the dialer's session: lines arrive as TAPI is used,
// filters by call, pause and resume, clear and save.
#include <ui/workbench/TraceWindow.h>

#include "ExchangeSession.h"

#include <window/testing/TestEnvironment.h>

#include <QCoreApplication>
#include <QFile>

#include <gtest/gtest.h>

namespace {

class TraceWindowTest : public ExchangeSessionTest {
protected:
    void TearDown() override
    {
        window.reset();
        tapitrace::StopTrace();
        ExchangeSessionTest::TearDown();
    }

    bool Shows(const char *fragment)
    {
        return win::testing::PumpUntil([&] { return window->Text().contains(QLatin1String(fragment)); },
                                       std::chrono::seconds(10));
    }

    std::unique_ptr<CTraceWindow> window = [] {
        win::testing::Application();
        return std::make_unique<CTraceWindow>(tapitrace::StartTrace());
    }();
};

TEST_F(TraceWindowTest, ShowsTheSessionFiltersByCallPausesClearsAndSaves)
{
    ASSERT_EQ(InitSession(), 0u);
    CTapiLine *caller = OpenLine(0);
    OpenLine(1);
    CTapiCall *call = nullptr;
    ASSERT_EQ(caller->MakeCall(&call, TAPI_TEXT("202")), 0u);
    ASSERT_TRUE(Shows("LINECALLSTATE_RINGBACK"));
    EXPECT_TRUE(window->Text().contains(QLatin1String("lineInitializeExW(")));
    window->show();
    EXPECT_FALSE(win::testing::SaveScreenshot(*window, QStringLiteral("trace-window")).isEmpty());

    // Only the caller's call: its function calls and its messages.
    const auto handle = static_cast<uint32_t>(call->GetCallHandle());
    window->SetCallFilter(handle);
    const QString hex = QStringLiteral("hCall=0x%1").arg(handle, 8, 16, QLatin1Char('0'));
    const QStringList shown = window->Text().split(QLatin1Char('\n'));
    ASSERT_FALSE(shown.isEmpty());
    for (const QString &line : shown)
        EXPECT_TRUE(line.contains(hex)) << line.toStdString();

    window->SetPaused(true);
    const QString before = window->Text();
    ASSERT_TRUE(GetTapiConnection()->WaitForReply(call->Drop(), kTapiReplyTimeout) == 0);
    ASSERT_TRUE(WaitFor([&] { return call->GetCallState() == LINECALLSTATE_IDLE; }));
    QCoreApplication::processEvents();
    EXPECT_EQ(window->Text(), before) << "paused";
    window->SetPaused(false);
    EXPECT_TRUE(Shows("LINECALLSTATE_IDLE"));

    const QString path = QString::fromStdString(::testing::TempDir()) + QStringLiteral("trace-window.txt");
    ASSERT_TRUE(window->SaveTo(path));
    QFile saved(path);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly | QIODevice::Text));
    EXPECT_EQ(QString::fromUtf8(saved.readAll()), window->Text() + QLatin1Char('\n'));

    window->SetCallFilter(0);
    window->Clear();
    EXPECT_TRUE(window->Text().isEmpty());
}

} // namespace
