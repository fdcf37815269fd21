// The event bridge over the simulated exchange, with a window that records
// the private messages it receives in place of the main window.
#pragma once

#include <app/AppMessages.h>

#include <exchange/Exchange.h>
#include <window/Dialog.h>

#include "TapiPlatform.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

class CTapiCall;
class CTapiLine;

/// One private message as the window handled it, with the state of the call it
/// carried, or the number of calls of the line it carried, at that moment.
struct Received {
    win::UINT message;
    win::WPARAM wParam;
    win::LPARAM lParam;
    DWORD callState = 0;
    DWORD lineCalls = 0;
};

class SpyWindow : public win::Dialog {
public:
    SpyWindow();
    std::vector<Received> received;
};

class BridgeTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    virtual exchange::Topology Topology() const;

    exchange::Exchange &Exchange() const;
    /// Opens a line as owner and monitor of voice calls, with every status message.
    CTapiLine *OpenLine(DWORD id);
    /// Pumps until `condition` holds; false after 10 s.
    static bool WaitFor(const std::function<bool()> &condition);
    /// The messages of one kind received so far.
    std::vector<Received> Messages(win::UINT message) const;

    std::unique_ptr<SpyWindow> spy; // made once the application exists
};
