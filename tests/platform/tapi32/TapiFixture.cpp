#include "TapiFixture.h"

namespace tapitest {

namespace {

constexpr DWORD kSafetyMs = 5000;

} // namespace

void TapiFixture::SetUp()
{
    useTopology(exchange::Topology::standard());
}

void TapiFixture::TearDown()
{
    for (DWORD app : lineApps_)
        lineShutdown(app);
    for (DWORD app : phoneApps_)
        phoneShutdown(app);
    tapi32::setConfigDialogHandler({});
}

void TapiFixture::useTopology(exchange::Topology topology)
{
    ASSERT_TRUE(
        tapi32::Runtime::instance().resetExchange(std::move(topology), std::make_unique<exchange::ManualClock>()));
}

HLINEAPP TapiFixture::lineApp(const char16_t *name, DWORD *numDevs)
{
    HLINEAPP app = 0;
    DWORD devs = 0, version = 0x00030000;
    LINEINITIALIZEEXPARAMS params{};
    params.dwTotalSize = sizeof params;
    params.dwOptions = LINEINITIALIZEEXOPTION_USEEVENT;
    EXPECT_EQ(0, lineInitializeExW(&app, nullptr, nullptr, name, &devs, &version, &params));
    if (numDevs)
        *numDevs = devs;
    lineApps_.push_back(app);
    return app;
}

HPHONEAPP TapiFixture::phoneApp(const char16_t *name, DWORD *numDevs)
{
    HPHONEAPP app = 0;
    DWORD devs = 0, version = 0x00030000;
    PHONEINITIALIZEEXPARAMS params{};
    params.dwTotalSize = sizeof params;
    params.dwOptions = PHONEINITIALIZEEXOPTION_USEEVENT;
    EXPECT_EQ(0, phoneInitializeExW(&app, nullptr, nullptr, name, &devs, &version, &params));
    if (numDevs)
        *numDevs = devs;
    phoneApps_.push_back(app);
    return app;
}

HLINE TapiFixture::openLine(HLINEAPP app, DWORD device, DWORD privileges, DWORD mediaModes, DWORD_PTR instance)
{
    HLINE line = 0;
    EXPECT_EQ(0, lineOpenW(app, device, &line, 0x00030000, 0, instance, privileges, mediaModes, nullptr));
    return line;
}

HPHONE TapiFixture::openPhone(HPHONEAPP app, DWORD device, DWORD privilege, DWORD_PTR instance)
{
    HPHONE phone = 0;
    EXPECT_EQ(0, phoneOpen(app, device, &phone, 0x00020001, 0, instance, privilege));
    return phone;
}

Msg TapiFixture::next(HLINEAPP app)
{
    ex().waitIdle();
    LINEMESSAGE m{};
    const LONG r = lineGetMessage(app, &m, kSafetyMs);
    EXPECT_EQ(0, r) << "no line message arrived";
    return {m.hDevice, m.dwMessageID, m.dwCallbackInstance, m.dwParam1, m.dwParam2, m.dwParam3};
}

Msg TapiFixture::nextPhone(HPHONEAPP app)
{
    ex().waitIdle();
    PHONEMESSAGE m{};
    const LONG r = phoneGetMessage(app, &m, kSafetyMs);
    EXPECT_EQ(0, r) << "no phone message arrived";
    return {m.hDevice, m.dwMessageID, m.dwCallbackInstance, m.dwParam1, m.dwParam2, m.dwParam3};
}

bool TapiFixture::quiet(HLINEAPP app)
{
    ex().waitIdle();
    LINEMESSAGE m{};
    const LONG r = lineGetMessage(app, &m, 0);
    EXPECT_EQ(LONG(LINEERR_OPERATIONFAILED), r) << "unexpected " << messageName(m.dwMessageID);
    return r == LONG(LINEERR_OPERATIONFAILED);
}

bool TapiFixture::quietPhone(HPHONEAPP app)
{
    ex().waitIdle();
    PHONEMESSAGE m{};
    const LONG r = phoneGetMessage(app, &m, 0);
    EXPECT_EQ(LONG(PHONEERR_OPERATIONFAILED), r) << "unexpected " << messageName(m.dwMessageID);
    return r == LONG(PHONEERR_OPERATIONFAILED);
}

std::vector<Msg> TapiFixture::drain(HLINEAPP app)
{
    ex().waitIdle();
    std::vector<Msg> out;
    LINEMESSAGE m{};
    while (lineGetMessage(app, &m, 0) == 0)
        out.push_back({m.hDevice, m.dwMessageID, m.dwCallbackInstance, m.dwParam1, m.dwParam2, m.dwParam3});
    return out;
}

LONG TapiFixture::reply(HLINEAPP app, LONG requestId)
{
    EXPECT_GT(requestId, 0);
    const Msg m = next(app);
    EXPECT_EQ(DWORD(LINE_REPLY), m.id) << messageName(m.id);
    EXPECT_EQ(DWORD_PTR(requestId), m.p1);
    return static_cast<LONG>(m.p2);
}

HCALL TapiFixture::makeCall(HLINEAPP app, HLINE line, const char16_t *number, LPLINECALLPARAMS params)
{
    HCALL call = 0;
    const LONG id = lineMakeCallW(line, &call, number, 0, params);
    EXPECT_EQ(0, reply(app, id));
    EXPECT_NE(0u, call);
    return call;
}

LINECALLSTATUS TapiFixture::status(HCALL call)
{
    LINECALLSTATUS s{};
    s.dwTotalSize = sizeof s;
    EXPECT_EQ(0, lineGetCallStatus(call, &s));
    return s;
}

HCALL TapiFixture::announcedCall(HLINEAPP app)
{
    HCALL call = 0;
    for (const Msg &m : drain(app))
        if (m.id == LINE_APPNEWCALL)
            call = HCALL(m.p2);
    EXPECT_NE(0u, call) << "no call was announced";
    return call;
}

LINECALLINFO TapiFixture::info(HCALL call)
{
    LINECALLINFO i{};
    i.dwTotalSize = sizeof i;
    EXPECT_EQ(0, lineGetCallInfoW(call, &i));
    return i;
}

LONG TapiFixture::replyAfterStates(HLINEAPP app, LONG requestId)
{
    EXPECT_GT(requestId, 0);
    for (int n = 0; n < 8; ++n) {
        const Msg m = next(app);
        if (m.id == LINE_REPLY && m.p1 == DWORD_PTR(requestId))
            return LONG(m.p2);
        if (m.id != LINE_CALLSTATE && m.id != LINE_CALLINFO)
            break;
    }
    ADD_FAILURE() << "no reply";
    return -1;
}

std::string messageName(DWORD id)
{
    static const char *names[] = {"LINE_ADDRESSSTATE",  "LINE_CALLINFO",     "LINE_CALLSTATE",
                                  "LINE_CLOSE",         "LINE_DEVSPECIFIC",  "LINE_DEVSPECIFICFEATURE",
                                  "LINE_GATHERDIGITS",  "LINE_GENERATE",     "LINE_LINEDEVSTATE",
                                  "LINE_MONITORDIGITS", "LINE_MONITORMEDIA", "LINE_MONITORTONE",
                                  "LINE_REPLY",         "LINE_REQUEST",      "PHONE_BUTTON",
                                  "PHONE_CLOSE",        "PHONE_DEVSPECIFIC", "PHONE_REPLY",
                                  "PHONE_STATE",        "LINE_CREATE",       "PHONE_CREATE",
                                  "LINE_AGENTSPECIFIC", "LINE_AGENTSTATUS",  "LINE_APPNEWCALL"};
    return id < std::size(names) ? names[id] : "message " + std::to_string(id);
}

} // namespace tapitest
