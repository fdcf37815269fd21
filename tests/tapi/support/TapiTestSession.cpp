#include "TapiTestSession.h"

void ScriptedSessionTest::SetUp()
{
    tapi.Reset();
    HookLog::Clear();
}

void ScriptedSessionTest::TearDown()
{
    session->Shutdown();
    SetTapiMessagePump(nullptr);
}

void ScriptedSessionTest::InitSession(DWORD lines, DWORD phones, DWORD addressesPerLine)
{
    tapi.Reset(lines, phones, addressesPerLine);
    ASSERT_EQ(session->Init(TAPI_TEXT("Dialwerk"), &LoggingLine::classRecord, nullptr, &LoggingCall::classRecord,
                            &LoggingPhone::classRecord, 0x30000),
              0u);
}

CTapiLine *ScriptedSessionTest::OpenLine(DWORD id)
{
    CTapiLine *line = session->GetLine(id);
    EXPECT_NE(line, nullptr);
    if (line) {
        EXPECT_EQ(line->Open(LINECALLPRIVILEGE_OWNER, LINEMEDIAMODE_INTERACTIVEVOICE), 0u);
    }
    return line;
}

CTapiCall *ScriptedSessionTest::OfferCall(CTapiLine *line, HCALL call, DWORD state)
{
    tapi.PostLine(call, LINE_CALLSTATE, CTapiConnection::InstanceOf(line->GetDeviceID()), state, 0,
                  LINECALLPRIVILEGE_OWNER);
    EXPECT_TRUE(tapi.WaitLineIdle());
    return line->FindCall(call);
}
