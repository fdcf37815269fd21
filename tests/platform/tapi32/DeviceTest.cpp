// Line devices: identification, configuration, dialogs, address
// translation, line and address status with their filtered messages.
#include "TapiFixture.h"

using namespace tapitest;

namespace {

class DeviceTest : public TapiFixture {
protected:
    void SetUp() override
    {
        TapiFixture::SetUp();
        app = lineApp(u"Devices");
        line = openLine(app, 0);
    }

    std::u16string translate(const char16_t *in, DWORD *results = nullptr)
    {
        std::vector<uint8_t> buffer(512);
        auto *out = reinterpret_cast<LINETRANSLATEOUTPUT *>(buffer.data());
        out->dwTotalSize = DWORD(buffer.size());
        EXPECT_EQ(0, lineTranslateAddressW(app, 0, 0x00030000, in, 0, 0, out));
        if (results)
            *results = out->dwTranslateResults;
        return reinterpret_cast<const char16_t *>(buffer.data() + out->dwDialableStringOffset);
    }

    HLINEAPP app = 0;
    HLINE line = 0;
};

TEST_F(DeviceTest, TheLineNamesItsPhoneAndItsPasswordState)
{
    std::vector<uint8_t> buffer(1048, 0);
    auto *id = reinterpret_cast<VARSTRING *>(buffer.data());
    id->dwTotalSize = 34;
    ASSERT_EQ(0, lineGetIDW(line, 0, 0, LINECALLSELECT_LINE, id, u"tapi/phone"));
    EXPECT_EQ(DWORD(STRINGFORMAT_BINARY), id->dwStringFormat);
    ASSERT_EQ(4u, id->dwStringSize);
    DWORD phone = 99;
    std::memcpy(&phone, buffer.data() + id->dwStringOffset, 4);
    EXPECT_EQ(0u, phone);
    EXPECT_EQ(LONG(LINEERR_INVALDEVICECLASS), lineGetIDW(line, 0, 0, LINECALLSELECT_LINE, id, u"wave/in"));
    EXPECT_EQ(LONG(LINEERR_INVALPOINTER), lineGetIDW(line, 0, 0, LINECALLSELECT_LINE, id, nullptr));
    EXPECT_EQ(LONG(LINEERR_INVALLINEHANDLE), lineGetIDW(0, 0, 0, LINECALLSELECT_LINE, id, u"tapi/phone"));

    id->dwTotalSize = 344;
    ASSERT_EQ(0, lineGetDevConfigW(0, id, u"ktelx/InvalidPasswordState"));
    EXPECT_EQ(DWORD(STRINGFORMAT_UNICODE), id->dwStringFormat);
    EXPECT_EQ(u"0", std::u16string(reinterpret_cast<const char16_t *>(buffer.data() + id->dwStringOffset)));
    EXPECT_EQ(LONG(LINEERR_INVALDEVICECLASS), lineGetDevConfigW(0, id, u"comm/datamodem"));
    EXPECT_EQ(LONG(LINEERR_BADDEVICEID), lineGetDevConfigW(7, id, u"ktelx/InvalidPasswordState"));

    // A line without a phone has no "tapi/phone" identifier.
    lineShutdown(app);
    exchange::Topology t = exchange::Topology::standard();
    t.lines[1].phone.reset();
    t.lines[1].invalidPasswordState = 3;
    useTopology(t);
    app = lineApp();
    line = openLine(app, 1);
    id->dwTotalSize = 34;
    EXPECT_EQ(LONG(LINEERR_INVALDEVICECLASS), lineGetIDW(line, 0, 0, LINECALLSELECT_LINE, id, u"tapi/phone"));
    id->dwTotalSize = 344;
    ASSERT_EQ(0, lineGetDevConfigW(1, id, u"ktelx/InvalidPasswordState"));
    EXPECT_EQ(u"3", std::u16string(reinterpret_cast<const char16_t *>(buffer.data() + id->dwStringOffset)));
}

TEST_F(DeviceTest, ConfigurationDialogsGoThroughTheInstalledHandler)
{
    EXPECT_EQ(0, lineConfigDialogW(0, nullptr, nullptr));
    std::vector<tapi32::ConfigDialogRequest> seen;
    tapi32::setConfigDialogHandler([&](const tapi32::ConfigDialogRequest &r) {
        seen.push_back(r);
        return r.phone ? LONG(PHONEERR_OPERATIONFAILED) : 0;
    });
    EXPECT_EQ(0, lineConfigDialogW(1, nullptr, u"tapi/line"));
    EXPECT_EQ(LONG(PHONEERR_OPERATIONFAILED), phoneConfigDialogW(0, nullptr, nullptr));
    EXPECT_EQ(LONG(LINEERR_BADDEVICEID), lineConfigDialogW(9, nullptr, nullptr));
    EXPECT_EQ(LONG(LINEERR_INVALDEVICECLASS), lineConfigDialogW(0, nullptr, u"comm"));
    ASSERT_EQ(2u, seen.size());
    EXPECT_FALSE(seen[0].phone);
    EXPECT_EQ(1u, seen[0].deviceId);
    EXPECT_EQ(u"tapi/line", seen[0].deviceClass);
    EXPECT_TRUE(seen[1].phone);
}

TEST_F(DeviceTest, CanonicalAddressesBecomeDialableStrings)
{
    DWORD results = 0;
    EXPECT_EQ(u"1234567", translate(u"+49 (30) 1234567", &results));
    EXPECT_TRUE(results & LINETRANSLATERESULT_LOCAL);
    EXPECT_TRUE(results & LINETRANSLATERESULT_CANONICAL);
    EXPECT_EQ(u"0891234", translate(u"+49 (89) 1234", &results));
    EXPECT_TRUE(results & LINETRANSLATERESULT_LONGDISTANCE);
    EXPECT_EQ(u"0014255550100", translate(u"+1 (425) 555-0100", &results));
    EXPECT_TRUE(results & LINETRANSLATERESULT_INTERNATIONAL);
    EXPECT_EQ(u"202", translate(u"202", &results));
    EXPECT_EQ(0u, results);
    LINETRANSLATEOUTPUT small{};
    small.dwTotalSize = sizeof small;
    EXPECT_EQ(LONG(LINEERR_INVALADDRESS), lineTranslateAddressW(app, 0, 0x00030000, u"+49 30", 0, 0, &small));
    EXPECT_EQ(LONG(LINEERR_INVALADDRESS), lineTranslateAddressW(app, 0, 0x00030000, u"+4999 (30) 1", 0, 0, &small));
    ASSERT_EQ(0, lineTranslateAddressW(app, 0, 0x00030000, u"202", 0, 0, &small));
    EXPECT_GT(small.dwNeededSize, small.dwUsedSize);
    small.dwTotalSize = 8;
    EXPECT_EQ(LONG(LINEERR_STRUCTURETOOSMALL), lineTranslateAddressW(app, 0, 0x00030000, u"202", 0, 0, &small));
}

TEST_F(DeviceTest, LineStatusAndItsMessagesRespectTheFilters)
{
    HLINEAPP other = lineApp(u"Other");
    HLINE otherLine = openLine(other, 0, LINECALLPRIVILEGE_NONE, 0, 0x77);
    EXPECT_TRUE(quiet(app)); // OPEN is not asked for yet
    ASSERT_EQ(0, lineSetStatusMessages(line,
                                       LINEDEVSTATE_OPEN | LINEDEVSTATE_CLOSE | LINEDEVSTATE_INSERVICE |
                                           LINEDEVSTATE_OUTOFSERVICE | LINEDEVSTATE_RINGING,
                                       LINEADDRESSSTATE_FORWARD));
    ASSERT_EQ(0, lineClose(otherLine));
    Msg m = next(app);
    EXPECT_EQ(DWORD(LINE_LINEDEVSTATE), m.id);
    EXPECT_EQ(DWORD_PTR(LINEDEVSTATE_CLOSE), m.p1);

    std::vector<uint8_t> buffer(256);
    auto *status = reinterpret_cast<LINEDEVSTATUS *>(buffer.data());
    status->dwTotalSize = DWORD(buffer.size());
    ASSERT_EQ(0, lineGetLineDevStatus(line, status));
    EXPECT_EQ(1u, status->dwNumOpens);
    EXPECT_EQ(DWORD(LINEMEDIAMODE_INTERACTIVEVOICE), status->dwOpenMediaModes);
    EXPECT_TRUE(status->dwDevStatusFlags & LINEDEVSTATUSFLAGS_INSERVICE);

    // An asynchronous change: the reply first, then the state it caused.
    const LONG id = lineSetLineDevStatus(line, LINEDEVSTATUSFLAGS_INSERVICE, 0);
    EXPECT_EQ(0, reply(app, id));
    m = next(app);
    EXPECT_EQ(DWORD_PTR(LINEDEVSTATE_OUTOFSERVICE), m.p1);
    ASSERT_EQ(0, lineGetLineDevStatus(line, status));
    EXPECT_FALSE(status->dwDevStatusFlags & LINEDEVSTATUSFLAGS_INSERVICE);
    HCALL call = 0;
    EXPECT_EQ(LONG(LINEERR_RESOURCEUNAVAIL), lineMakeCallW(line, &call, u"202", 0, nullptr));
    EXPECT_EQ(LONG(LINEERR_INVALPARAM), lineSetLineDevStatus(line, LINEDEVSTATUSFLAGS_INSERVICE | 0x100, 1));

    // Exchange-raised states reach only those who asked; REINIT reaches all.
    ex().raiseAddressState(0, 0, LINEADDRESSSTATE_FORWARD);
    ex().raiseAddressState(0, 0, LINEADDRESSSTATE_NUMCALLS);
    m = next(app);
    EXPECT_EQ(DWORD(LINE_ADDRESSSTATE), m.id);
    EXPECT_EQ(DWORD_PTR(LINEADDRESSSTATE_FORWARD), m.p2);
    EXPECT_TRUE(quiet(app));
    ex().raiseLineState(0, LINEDEVSTATE_MSGWAITON);
    ex().raiseLineState(0, LINEDEVSTATE_REINIT);
    EXPECT_EQ(DWORD_PTR(LINEDEVSTATE_REINIT), next(app).p1);

    // An offered call rings the line in cycles, counting the rings.
    ex().incomingCall(0, 0, u"5551234", u"");
    drain(app);
    ex().advance(exchange::Millis(500));
    m = next(app);
    EXPECT_EQ(DWORD_PTR(LINEDEVSTATE_RINGING), m.p1);
    EXPECT_EQ(DWORD_PTR(1), m.p3);
    ex().advance(exchange::Millis(6000));
    EXPECT_EQ(DWORD_PTR(2), next(app).p3);

    LINEADDRESSSTATUS as{};
    as.dwTotalSize = sizeof as;
    EXPECT_EQ(0, lineGetAddressStatusW(line, 0, &as));
    EXPECT_EQ(1u, as.dwNumInUse);
    EXPECT_EQ(0u, as.dwNumActiveCalls);
    EXPECT_EQ(LONG(LINEERR_INVALADDRESSID), lineGetAddressStatusW(line, 1, &as));
}

TEST_F(DeviceTest, FeaturesTheAddressDoesNotOfferAreUnavailable)
{
    ex().changeLine(0, [](exchange::LineConfig &c) {
        c.addresses[0].caps.dwCallFeatures &= ~DWORD(LINECALLFEATURE_BLINDTRANSFER | LINECALLFEATURE_SETUPTRANSFER);
    });
    HCALL call = makeCall(app, line, u"5550105");
    drain(app);
    EXPECT_FALSE(status(call).dwCallFeatures & LINECALLFEATURE_BLINDTRANSFER);
    EXPECT_EQ(LONG(LINEERR_OPERATIONUNAVAIL), lineBlindTransferW(call, u"202", 0));
    EXPECT_EQ(LONG(LINEERR_INVALCALLHANDLE), lineBlindTransferW(0, u"202", 0));
    HCALL consult = 0;
    EXPECT_EQ(LONG(LINEERR_OPERATIONUNAVAIL), lineSetupTransferW(call, &consult, nullptr));
    LINEAGENTSTATUS agent{};
    agent.dwTotalSize = sizeof agent;
    EXPECT_EQ(LONG(LINEERR_OPERATIONUNAVAIL), lineGetAgentStatusW(line, 0, &agent));
    EXPECT_EQ(LONG(LINEERR_INVALADDRESSID), lineGetAgentStatusW(line, 4, &agent));
}

} // namespace

namespace {

TEST_F(DeviceTest, DevicesComeAndGoWithTheirMessages)
{
    HPHONEAPP phones = phoneApp(u"Phones");
    HPHONE phone = openPhone(phones, 1, PHONEPRIVILEGE_OWNER, 0x42);
    HCALL call = makeCall(app, line, u"5550102");
    drain(app);

    // A new line reaches every line application; new applications count it.
    const DWORD before = ex().inspect([](const exchange::Switchboard &b) { return DWORD(b.lineCount()); });
    const DWORD added = ex().addLine(exchange::LineConfig::extension(u"207", u"Cleo"));
    EXPECT_EQ(before, added);
    Msg m = next(app);
    EXPECT_EQ(DWORD(LINE_CREATE), m.id);
    EXPECT_EQ(DWORD_PTR(added), m.p1);
    DWORD devs = 0;
    HLINEAPP late = lineApp(u"Late", &devs);
    EXPECT_EQ(added + 1, devs);
    EXPECT_NE(0u, openLine(late, added));
    EXPECT_EQ(DWORD(PHONE_CREATE), [&] {
        ex().addPhone(exchange::PhoneConfig::deskPhone(u"Phone 203", 2));
        return nextPhone(phones).id;
    }());

    // The exchange closes the line: each open hears LINE_CLOSE, its handles go.
    ASSERT_TRUE(ex().forceCloseLine(0));
    m = next(app);
    EXPECT_EQ(DWORD(LINE_CLOSE), m.id);
    EXPECT_EQ(line, m.device);
    EXPECT_EQ(DWORD_PTR(0x1234), m.instance);
    EXPECT_EQ(LONG(LINEERR_INVALLINEHANDLE), lineClose(line));
    EXPECT_EQ(LONG(LINEERR_INVALCALLHANDLE), lineDrop(call, nullptr, 0));
    line = openLine(app, 0); // it can be opened again

    // A removed line closes its opens, then every application hears LINE_REMOVE.
    ASSERT_TRUE(ex().removeLine(0));
    EXPECT_EQ(DWORD(LINE_CLOSE), next(app).id);
    m = next(app);
    EXPECT_EQ(DWORD(LINE_REMOVE), m.id);
    EXPECT_EQ(DWORD_PTR(0), m.p1);
    EXPECT_EQ(DWORD(LINE_REMOVE), drain(late).back().id);
    HLINE again = 0;
    EXPECT_EQ(LONG(LINEERR_NODEVICE), lineOpenW(app, 0, &again, 0x00030000, 0, 0, LINECALLPRIVILEGE_NONE, 0, nullptr));
    DWORD v = 0;
    LINEEXTENSIONID ext{};
    EXPECT_EQ(LONG(LINEERR_NODEVICE), lineNegotiateAPIVersion(app, 0, 0x00010003, 0x00030000, &v, &ext));
    EXPECT_FALSE(ex().removeLine(0));
    EXPECT_EQ(0u, ex().incomingCall(0, 0, u"1", u""));

    ASSERT_TRUE(ex().removePhone(1));
    m = nextPhone(phones);
    EXPECT_EQ(DWORD(PHONE_CLOSE), m.id);
    EXPECT_EQ(phone, m.device);
    EXPECT_EQ(DWORD(PHONE_REMOVE), nextPhone(phones).id);
    EXPECT_EQ(LONG(PHONEERR_INVALPHONEHANDLE), phoneClose(phone));
}

} // namespace

namespace {

// What the exchange's operator changes while applications watch: line status
// flags, capabilities of the line, its addresses and its phone, and a forced
// close or re-initialisation of a phone.
TEST_F(DeviceTest, StatusAndCapabilityChangesReachThoseWhoAskedForThem)
{
    ASSERT_EQ(0, lineSetStatusMessages(line,
                                       LINEDEVSTATE_CONNECTED | LINEDEVSTATE_DISCONNECTED | LINEDEVSTATE_MSGWAITON |
                                           LINEDEVSTATE_MSGWAITOFF | LINEDEVSTATE_LOCK | LINEDEVSTATE_CAPSCHANGE,
                                       LINEADDRESSSTATE_CAPSCHANGE));
    const auto devState = [&](DWORD flag, bool on) {
        EXPECT_EQ(0, ex().setLineStatus(0, flag, on));
        const Msg m = next(app);
        EXPECT_EQ(DWORD(LINE_LINEDEVSTATE), m.id);
        return DWORD(m.p1);
    };
    EXPECT_EQ(DWORD(LINEDEVSTATE_DISCONNECTED), devState(LINEDEVSTATUSFLAGS_CONNECTED, false));
    EXPECT_EQ(DWORD(LINEDEVSTATE_CONNECTED), devState(LINEDEVSTATUSFLAGS_CONNECTED, true));
    EXPECT_EQ(DWORD(LINEDEVSTATE_MSGWAITON), devState(LINEDEVSTATUSFLAGS_MSGWAIT, true));
    EXPECT_EQ(DWORD(LINEDEVSTATE_MSGWAITOFF), devState(LINEDEVSTATUSFLAGS_MSGWAIT, false));
    EXPECT_EQ(DWORD(LINEDEVSTATE_LOCK), devState(LINEDEVSTATUSFLAGS_LOCKED, true));
    std::vector<uint8_t> buffer(256);
    auto *status = reinterpret_cast<LINEDEVSTATUS *>(buffer.data());
    status->dwTotalSize = DWORD(buffer.size());
    ASSERT_EQ(0, lineGetLineDevStatus(line, status));
    EXPECT_TRUE(status->dwDevStatusFlags & LINEDEVSTATUSFLAGS_LOCKED);
    EXPECT_EQ(0, ex().setLineStatus(0, LINEDEVSTATUSFLAGS_LOCKED, true)); // no change, no message
    EXPECT_TRUE(quiet(app));

    // A change of the line alone is one CAPSCHANGE; a changed address adds
    // its own, and the new capabilities are what the next read returns.
    ASSERT_TRUE(ex().changeLine(0, [](exchange::LineConfig &c) { c.caps.dwMaxRate = 64000; }));
    Msg m = next(app);
    EXPECT_EQ(DWORD(LINE_LINEDEVSTATE), m.id);
    EXPECT_EQ(DWORD_PTR(LINEDEVSTATE_CAPSCHANGE), m.p1);
    EXPECT_TRUE(quiet(app));
    ASSERT_TRUE(ex().changeLine(0, [](exchange::LineConfig &c) { c.addresses[0].caps.dwMaxNumActiveCalls = 7; }));
    EXPECT_EQ(DWORD_PTR(LINEDEVSTATE_CAPSCHANGE), next(app).p1);
    m = next(app);
    EXPECT_EQ(DWORD(LINE_ADDRESSSTATE), m.id);
    EXPECT_EQ(DWORD_PTR(0), m.p1);
    EXPECT_EQ(DWORD_PTR(LINEADDRESSSTATE_CAPSCHANGE), m.p2);
    std::vector<uint8_t> capsBuffer(4096);
    auto *caps = reinterpret_cast<LINEADDRESSCAPS *>(capsBuffer.data());
    caps->dwTotalSize = DWORD(capsBuffer.size());
    ASSERT_EQ(0, lineGetAddressCapsW(app, 0, 0, 0x00030000, 0, caps));
    EXPECT_EQ(7u, caps->dwMaxNumActiveCalls);

    // An application that did not ask hears nothing of it.
    HLINEAPP other = lineApp(u"Other");
    openLine(other, 0);
    ASSERT_TRUE(ex().changeLine(0, [](exchange::LineConfig &c) { c.caps.dwMaxRate = 9600; }));
    EXPECT_EQ(DWORD_PTR(LINEDEVSTATE_CAPSCHANGE), next(app).p1);
    EXPECT_TRUE(quiet(other));

    // The phone: capability changes when asked for, REINIT always, and a
    // forced close takes the handle away.
    HPHONEAPP phones = phoneApp(u"Phones");
    HPHONE phone = openPhone(phones, 0);
    ASSERT_TRUE(ex().changePhone(0, [](exchange::PhoneConfig &) {}));
    ex().raisePhoneState(0, PHONESTATE_REINIT);
    m = nextPhone(phones);
    EXPECT_EQ(DWORD(PHONE_STATE), m.id);
    EXPECT_EQ(DWORD_PTR(PHONESTATE_REINIT), m.p1);
    ASSERT_EQ(0, phoneSetStatusMessages(phone, PHONESTATE_CAPSCHANGE, 0, 0));
    ASSERT_TRUE(ex().changePhone(0, [](exchange::PhoneConfig &) {}));
    EXPECT_EQ(DWORD_PTR(PHONESTATE_CAPSCHANGE), nextPhone(phones).p1);
    ASSERT_TRUE(ex().forceClosePhone(0));
    m = nextPhone(phones);
    EXPECT_EQ(DWORD(PHONE_CLOSE), m.id);
    EXPECT_EQ(phone, m.device);
    EXPECT_EQ(LONG(PHONEERR_INVALPHONEHANDLE), phoneClose(phone));
    EXPECT_NE(0u, openPhone(phones, 0)); // it can be opened again
}

} // namespace
