// Blind and consultation transfer through the C API: what each side sees,
// the handles, and the errors for wrong states, handles and modes.
#include "ThreeExtensions.h"

using namespace tapitest;

namespace {

using TransferTest = ThreeExtensions;
using Calls = std::vector<std::pair<HCALL, DWORD>>;

TEST_F(TransferTest, ABlindTransferRingsTheDestinationForTheFarParty)
{
    auto [a, b] = connect(0, 1);
    EXPECT_TRUE(status(a).dwCallFeatures & LINECALLFEATURE_BLINDTRANSFER);
    EXPECT_EQ(LONG(LINEERR_INVALADDRESS), lineBlindTransferW(a, u"299", 0));
    EXPECT_EQ(LONG(LINEERR_INVALADDRESS), lineBlindTransferW(a, u"201", 0)) << "its own address";
    EXPECT_EQ(0, reply(apps[0], lineBlindTransferW(a, u"203", 0)));
    EXPECT_EQ((Calls{{a, LINECALLSTATE_IDLE}}), states(0));
    EXPECT_EQ((Calls{{b, LINECALLSTATE_RINGBACK}}), states(1));

    const Msg m = next(apps[2]);
    EXPECT_EQ(DWORD(LINE_APPNEWCALL), m.id);
    const HCALL c = HCALL(m.p2);
    drain(apps[2]);
    EXPECT_EQ(DWORD(LINECALLREASON_TRANSFER), info(c).dwReason);
    EXPECT_EQ(u"202", party(c, &LINECALLINFO::dwCallerIDSize, &LINECALLINFO::dwCallerIDOffset));
    EXPECT_EQ(0, reply(apps[2], lineAnswer(c, nullptr, 0)));
    drain(apps[1]);
    EXPECT_EQ(DWORD(LINECALLSTATE_CONNECTED), state(b));
    EXPECT_EQ(u"203", party(b, &LINECALLINFO::dwConnectedIDSize, &LINECALLINFO::dwConnectedIDOffset));
    EXPECT_EQ(LONG(LINEERR_INVALCALLSTATE), lineBlindTransferW(a, u"203", 0)) << "an idle call";
}

TEST_F(TransferTest, AConsultationTransferJoinsTheTwoFarParties)
{
    auto [b, a] = connect(1, 0);
    HCALL consult = 0;
    const LONG id = lineSetupTransferW(a, &consult, nullptr);
    ASSERT_GT(id, 0);
    // The waiting call is held first; the reply then hands over the
    // consultation call, which starts with dial tone.
    Msg m = next(apps[0]);
    EXPECT_EQ(a, m.device);
    EXPECT_EQ(DWORD_PTR(LINECALLSTATE_ONHOLDPENDTRANSFER), m.p1);
    EXPECT_EQ(0, reply(apps[0], id));
    ASSERT_NE(0u, consult);
    m = next(apps[0]);
    EXPECT_EQ(consult, m.device);
    EXPECT_EQ(DWORD_PTR(LINECALLSTATE_DIALTONE), m.p1);
    EXPECT_TRUE(status(a).dwCallFeatures & LINECALLFEATURE_COMPLETETRANSF);
    EXPECT_EQ(LONG(LINEERR_INVALCALLSTATE), lineCompleteTransfer(a, consult, nullptr, LINETRANSFERMODE_TRANSFER))
        << "nobody called yet";

    EXPECT_EQ(0, reply(apps[0], lineDialW(consult, u"203", 0)));
    const HCALL c = announced(2);
    EXPECT_EQ(0, reply(apps[2], lineAnswer(c, nullptr, 0)));
    drain(apps[0]);
    drain(apps[2]);
    EXPECT_EQ(LONG(LINEERR_INVALTRANSFERMODE), lineCompleteTransfer(a, consult, nullptr, 4));
    EXPECT_EQ(LONG(LINEERR_INVALCONSULTCALLHANDLE), lineCompleteTransfer(a, 0xBAD, nullptr, 1));
    EXPECT_EQ(LONG(LINEERR_INVALCALLHANDLE), lineCompleteTransfer(0xBAD, consult, nullptr, 1));

    EXPECT_EQ(0, reply(apps[0], lineCompleteTransfer(a, consult, nullptr, LINETRANSFERMODE_TRANSFER)));
    const Calls gone = states(0);
    EXPECT_EQ(2u, gone.size());
    for (const auto &[call, s] : gone)
        EXPECT_EQ(DWORD(LINECALLSTATE_IDLE), s);
    drain(apps[1]);
    EXPECT_EQ(DWORD(LINECALLSTATE_CONNECTED), state(b));
    EXPECT_EQ(DWORD(LINECALLSTATE_CONNECTED), state(c));
    EXPECT_EQ(u"203", party(b, &LINECALLINFO::dwConnectedIDSize, &LINECALLINFO::dwConnectedIDOffset));
    EXPECT_EQ(u"202", party(c, &LINECALLINFO::dwConnectedIDSize, &LINECALLINFO::dwConnectedIDOffset));
    drain(apps[2]);

    // The two are really joined: one hanging up disconnects the other.
    EXPECT_EQ(0, reply(apps[2], lineDrop(c, nullptr, 0)));
    drain(apps[1]);
    EXPECT_EQ(DWORD(LINECALLSTATE_DISCONNECTED), state(b));
}

TEST_F(TransferTest, TheConsultationCanBeAbandonedEitherWay)
{
    auto [a, b] = connect(0, 1);
    HCALL consult = 0;
    EXPECT_EQ(LONG(LINEERR_INVALPOINTER), lineSetupTransferW(a, nullptr, nullptr));
    EXPECT_EQ(0, reply(apps[0], [&] {
                  const LONG id = lineSetupTransferW(a, &consult, nullptr);
                  next(apps[0]); // ONHOLDPENDTRANSFER comes first
                  return id;
              }()));
    drain(apps[0]);
    // Dropping the consultation call gives the waiting call back.
    EXPECT_EQ(0, reply(apps[0], lineDrop(consult, nullptr, 0)));
    EXPECT_EQ(DWORD(LINECALLSTATE_CONNECTED), state(a));
    drain(apps[0]);

    // Taking the waiting call back ends the consultation call.
    HCALL second = 0;
    const LONG id = lineSetupTransferW(a, &second, nullptr);
    next(apps[0]);
    EXPECT_EQ(0, reply(apps[0], id));
    drain(apps[0]);
    EXPECT_EQ(0, reply(apps[0], lineUnhold(a)));
    EXPECT_EQ(DWORD(LINECALLSTATE_IDLE), state(second));
    EXPECT_EQ(DWORD(LINECALLSTATE_CONNECTED), state(a));
    EXPECT_EQ(LONG(LINEERR_INVALCALLSTATE), lineSetupTransferW(second, &consult, nullptr));

    // Only the owner may transfer.
    const HLINEAPP watcher = lineApp(u"W");
    const HLINE watching = openLine(watcher, 0, LINECALLPRIVILEGE_MONITOR);
    std::vector<uint8_t> buffer(1024);
    auto *list = reinterpret_cast<LINECALLLIST *>(buffer.data());
    list->dwTotalSize = DWORD(buffer.size());
    ASSERT_EQ(0, lineGetNewCalls(watching, 0, LINECALLSELECT_LINE, list));
    ASSERT_GE(list->dwCallsNumEntries, 1u);
    HCALL watched = 0;
    std::memcpy(&watched, buffer.data() + list->dwCallsOffset, sizeof watched);
    EXPECT_EQ(LONG(LINEERR_NOTOWNER), lineBlindTransferW(watched, u"203", 0));
    EXPECT_EQ(LONG(LINEERR_NOTOWNER), lineSetupTransferW(watched, &consult, nullptr));
}

TEST_F(TransferTest, CompletingAsAConferenceMakesBothCallsItsParties)
{
    auto [a, b] = connect(0, 1);
    HCALL consult = 0;
    const LONG id = lineSetupTransferW(a, &consult, nullptr);
    next(apps[0]);
    EXPECT_EQ(0, reply(apps[0], id));
    drain(apps[0]);
    EXPECT_EQ(0, reply(apps[0], lineDialW(consult, u"203", 0)));
    const HCALL c = announced(2);
    EXPECT_EQ(0, reply(apps[2], lineAnswer(c, nullptr, 0)));
    drain(apps[0]);
    EXPECT_EQ(LONG(LINEERR_INVALPOINTER), lineCompleteTransfer(a, consult, nullptr, LINETRANSFERMODE_CONFERENCE));

    HCALL conf = 0;
    EXPECT_EQ(0, reply(apps[0], lineCompleteTransfer(a, consult, &conf, LINETRANSFERMODE_CONFERENCE)));
    ASSERT_NE(0u, conf);
    // Both parties are CONFERENCED with the conference call's handle.
    for (int i = 0; i < 2; ++i) {
        const Msg m = next(apps[0]);
        if (m.id == LINE_CALLINFO) {
            --i;
            continue;
        }
        EXPECT_EQ(DWORD_PTR(LINECALLSTATE_CONFERENCED), m.p1);
        EXPECT_EQ(DWORD_PTR(conf), m.p2);
    }
    drain(apps[0]);
    EXPECT_EQ(DWORD(LINECALLSTATE_CONNECTED), state(conf));
    EXPECT_EQ(DWORD(LINECALLORIGIN_CONFERENCE), info(conf).dwOrigin);
    EXPECT_TRUE(status(a).dwCallFeatures & LINECALLFEATURE_REMOVEFROMCONF);
    EXPECT_TRUE(status(conf).dwCallFeatures & LINECALLFEATURE_PREPAREADDCONF);
    EXPECT_EQ(DWORD(LINECALLSTATE_CONNECTED), state(b)) << "the far parties stay connected";
    EXPECT_EQ(DWORD(LINECALLSTATE_CONNECTED), state(c));
}

} // namespace
