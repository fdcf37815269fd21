// The feature windows against the default office: the object layer's session
// with the lines of Anna, Ben, Carl and Dana open, a stand-in main window whose
// status line receives the reports, and a wall clock the test sets.
#pragma once

#include "../../tapi/exchange/OfficeFixture.h"
#include "../dialogs/DialogTestSupport.h"

#include <app/CMainApp.h>
#include <app/CallTime.h>
#include <resources/resource.h>
#include <window/Clock.h>
#include <window/Dialog.h>
#include <window/Messages.h>
#include <window/testing/ModalScript.h>
#include <window/testing/TestEnvironment.h>
#include <window/testing/UserInput.h>

#include "CTapiConnection.h"
#include "TapiPump.h"

#include <chrono>
#include <functional>
#include <memory>

class FeatureTest : public office::OfficeTest {
protected:
    void SetUp() override
    {
        win::testing::ResetPlatform();
        SetTapiMessagePump(&win::PumpMessages);
        office::OfficeTest::SetUp();
        mainWindow_ = std::make_unique<win::Dialog>();
        mainWindow_->AddControl({IDC_STATUS, win::ControlKind::StatusLine});
        ASSERT_TRUE(mainWindow_->Create());
        GetMainApp().SetMainWnd(mainWindow_.get());
        SetWallClockSource([this] { return now; });
    }

    void TearDown() override
    {
        SetWallClockSource({});
        GetMainApp().SetMainWnd(nullptr);
        mainWindow_->DestroyWindow();
        mainWindow_.reset();
        office::OfficeTest::TearDown();
    }

    /// The parent of the windows under test, as the main window would be.
    win::Dialog *Parent() const { return mainWindow_.get(); }
    QString Status() const { return mainWindow_->GetDlgItemText(IDC_STATUS); }

    /// An outgoing call of Anna's to the quick-answering outside number, connected.
    CTapiCall *AnnaCallsOutside()
    {
        CTapiCall *call = nullptr;
        EXPECT_EQ(lines[office::kAnna]->MakeCall(&call, TAPI_TEXT("5550105")), 0u);
        EXPECT_TRUE(Reaches(call, LINECALLSTATE_CONNECTED));
        return call;
    }

    /// The last recorded call of a TAPI function (an empty record when there is none).
    exchange::RecordedCall Last(const std::string &function) const
    {
        auto last = Recorder().last(function);
        EXPECT_TRUE(last.has_value()) << function << " was not called";
        return last.value_or(exchange::RecordedCall{});
    }

    std::chrono::system_clock::time_point now{std::chrono::hours(24 * 365 * 30)};

private:
    std::unique_ptr<win::Dialog> mainWindow_;
};
