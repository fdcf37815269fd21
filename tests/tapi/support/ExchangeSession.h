// Test fixture for the object layer over the real runtime and the simulated
// exchange: a known topology on a manual clock, a session of logging objects,
// and waits on conditions. Window tests can derive from it as well.
#ifndef DIALWERK_TESTS_TAPI_EXCHANGESESSION_H
#define DIALWERK_TESTS_TAPI_EXCHANGESESSION_H

#include "CTapiConnection.h"
#include "LoggingObjects.h"

#include <exchange/Exchange.h>

#include <gtest/gtest.h>

#include <functional>

class ExchangeSessionTest : public ::testing::Test {
protected:
    /// Resets the exchange to `Topology()` on a manual clock and clears faults, recorder and hook log.
    void SetUp() override;
    /// Shuts the session down and clears the armed faults.
    void TearDown() override;

    /// The topology SetUp builds; the standard one unless a test fixture overrides it.
    virtual exchange::Topology Topology() const;
    /// Initialises the session with the logging classes; returns Init's result.
    DWORD InitSession();
    /// Opens a line as owner of interactive voice calls and returns it.
    CTapiLine *OpenLine(DWORD id);

    exchange::Exchange &Exchange() const;
    exchange::CallRecorder &Recorder() const { return Exchange().recorder(); }
    exchange::FaultTable &Faults() const { return Exchange().faults(); }
    /// Moves the exchange clock forward and waits until the exchange is idle.
    void Advance(exchange::Millis by) const { Exchange().advance(by); }
    /// Waits (up to 10 s of real time) until `condition` holds; the event threads
    /// deliver meanwhile.
    static bool WaitFor(const std::function<bool()> &condition);

    CTapiConnection *session = GetTapiConnection();
};

#endif
