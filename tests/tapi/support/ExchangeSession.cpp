#include "ExchangeSession.h"

#include <tapi32/Runtime.h>

#include <chrono>
#include <thread>

void ExchangeSessionTest::SetUp()
{
    HookLog::Clear();
    ASSERT_TRUE(tapi32::Runtime::instance().resetExchange(Topology(), std::make_unique<exchange::ManualClock>()));
    Exchange().faults().clear();
    Exchange().recorder().clear();
}

void ExchangeSessionTest::TearDown()
{
    session->Shutdown();
    SetTapiMessagePump(nullptr);
    Exchange().faults().clear();
}

exchange::Topology ExchangeSessionTest::Topology() const
{
    return exchange::Topology::standard();
}

exchange::Exchange &ExchangeSessionTest::Exchange() const
{
    return tapi32::Runtime::instance().exchange();
}

DWORD ExchangeSessionTest::InitSession()
{
    return session->Init(TAPI_TEXT("Dialwerk"), &LoggingLine::classRecord, nullptr, &LoggingCall::classRecord,
                         &LoggingPhone::classRecord, 0x30000);
}

CTapiLine *ExchangeSessionTest::OpenLine(DWORD id)
{
    CTapiLine *line = session->GetLine(id);
    EXPECT_NE(line, nullptr);
    if (line) {
        EXPECT_EQ(line->Open(LINECALLPRIVILEGE_OWNER, LINEMEDIAMODE_INTERACTIVEVOICE), 0u);
    }
    return line;
}

bool ExchangeSessionTest::WaitFor(const std::function<bool()> &condition)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}
