// Test fixture for the object layer over the scripted TAPI.
#ifndef DIALWERK_TESTS_TAPI_TAPITESTSESSION_H
#define DIALWERK_TESTS_TAPI_TAPITESTSESSION_H

#include "CTapiConnection.h"
#include "LoggingObjects.h"
#include "ScriptedTapi.h"

#include <gtest/gtest.h>

/// Base fixture: resets the scripted TAPI, and shuts the session down after each test.
class ScriptedSessionTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    /// Initialises the session with the logging classes; expects success.
    void InitSession(DWORD lines = 2, DWORD phones = 1, DWORD addressesPerLine = 1);
    /// Opens line `id` and returns it.
    CTapiLine *OpenLine(DWORD id);
    /// Lets a LINE_CALLSTATE for `call` arrive on the open line `line` and waits for it to be handled.
    CTapiCall *OfferCall(CTapiLine *line, HCALL call, DWORD state = LINECALLSTATE_OFFERING);

    ScriptedTapi &tapi = Scripted();
    CTapiConnection *session = GetTapiConnection();
};

#endif
