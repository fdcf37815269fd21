// What closing does to requests still outstanding: lineClose, the provider
// closing the line, lineShutdown and phoneClose withdraw them, and no reply
// ever reports a call whose handle it did not write.
#include "TapiFixture.h"

#include <functional>

using namespace tapitest;

namespace {

class ClosingTest : public TapiFixture {};

TEST_F(ClosingTest, ClosingWithdrawsTheRequestsOfTheLineOrApplication)
{
    struct Row {
        const char *how;
        std::function<void(HLINEAPP, HLINE)> close;
    };
    const Row rows[] = {
        {"lineClose", [](HLINEAPP, HLINE line) { EXPECT_EQ(0, lineClose(line)); }},
        {"provider close", [this](HLINEAPP, HLINE) { EXPECT_TRUE(ex().forceCloseLine(0)); }},
        {"lineShutdown", [](HLINEAPP app, HLINE) { EXPECT_EQ(0, lineShutdown(app)); }},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.how);
        const HLINEAPP app = lineApp(u"Closer");
        const HLINE line = openLine(app, 0);
        // One request still with the exchange, one whose reply waits unfetched.
        ex().faults().delayReply("lineMakeCallW", exchange::Millis(1000));
        HCALL late = 0, early = 0;
        ASSERT_GT(lineMakeCallW(line, &late, u"202", 0, nullptr), 0);
        ASSERT_GT(lineMakeCallW(line, &early, u"203", 0, nullptr), 0);
        ex().waitIdle();
        row.close(app, line);
        ex().advance(exchange::Millis(1000));
        std::vector<Msg> seen;
        LINEMESSAGE m{};
        while (lineGetMessage(app, &m, 0) == 0)
            seen.push_back({m.hDevice, m.dwMessageID});
        for (const Msg &msg : seen)
            EXPECT_NE(DWORD(LINE_REPLY), msg.id);
        EXPECT_EQ(0u, late);
        EXPECT_EQ(0u, early);
        // Calls nobody received a handle for end.
        EXPECT_TRUE(ex().legsOn(0).empty());
    }
}

TEST_F(ClosingTest, PhoneCloseWithdrawsThePhonesRequests)
{
    const HPHONEAPP app = phoneApp(u"Closer");
    const HPHONE phone = openPhone(app, 0);
    ex().faults().delayReply("phoneSetRing", exchange::Millis(1000));
    ASSERT_GT(phoneSetRing(phone, 1, 0x8000), 0);
    EXPECT_EQ(0, phoneClose(phone));
    ex().advance(exchange::Millis(1000));
    EXPECT_TRUE(quietPhone(app));
}

} // namespace
