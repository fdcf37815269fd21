// Applications, message queues, negotiation, structure sizing and the
// published error codes for bad handles and parameters.
#include "TapiFixture.h"

#include <future>
#include <thread>

using namespace tapitest;

namespace {

using SessionTest = TapiFixture;

TEST_F(SessionTest, InitialisationGivesAHandleTheDeviceCountAndAnEvent)
{
    HLINEAPP app = 0;
    DWORD devs = 0, version = 0x00030000;
    LINEINITIALIZEEXPARAMS params{};
    params.dwTotalSize = sizeof params;
    params.dwOptions = LINEINITIALIZEEXOPTION_USEEVENT;
    ASSERT_EQ(0, lineInitializeExW(&app, nullptr, nullptr, u"Dialwerk", &devs, &version, &params));
    EXPECT_NE(0u, app);
    EXPECT_EQ(7u, devs); // the standard office
    EXPECT_NE(nullptr, params.Handles.hEvent);
    EXPECT_EQ(28u, params.dwUsedSize);

    // A second initialisation is another application with its own handle.
    HLINEAPP second = lineApp(u"Second");
    EXPECT_NE(app, second);
    EXPECT_EQ(0, lineShutdown(app));
    EXPECT_EQ(LONG(LINEERR_INVALAPPHANDLE), lineShutdown(app));

    DWORD phones = 0;
    phoneApp(u"Phones", &phones);
    EXPECT_EQ(5u, phones);
}

TEST_F(SessionTest, InitialisationRefusesWhatItCannotServe)
{
    HLINEAPP app = 0;
    DWORD devs = 0, version = 0x00030000;
    LINEINITIALIZEEXPARAMS params{};
    params.dwTotalSize = sizeof params;
    params.dwOptions = LINEINITIALIZEEXOPTION_USEEVENT;
    EXPECT_EQ(LONG(LINEERR_INVALPOINTER), lineInitializeExW(nullptr, nullptr, nullptr, u"x", &devs, &version, &params));
    EXPECT_EQ(LONG(LINEERR_INVALPOINTER), lineInitializeExW(&app, nullptr, nullptr, u"x", nullptr, &version, &params));
    DWORD old = 0x00010004;
    EXPECT_EQ(LONG(LINEERR_INCOMPATIBLEAPIVERSION),
              lineInitializeExW(&app, nullptr, nullptr, u"x", &devs, &old, &params));
    params.dwOptions = LINEINITIALIZEEXOPTION_USEHIDDENWINDOW;
    EXPECT_EQ(LONG(LINEERR_INVALPARAM), lineInitializeExW(&app, nullptr, nullptr, u"x", &devs, &version, &params));
    params.dwOptions = LINEINITIALIZEEXOPTION_USEEVENT;
    params.dwTotalSize = 16;
    EXPECT_EQ(LONG(LINEERR_STRUCTURETOOSMALL),
              lineInitializeExW(&app, nullptr, nullptr, u"x", &devs, &version, &params));
    EXPECT_EQ(0u, tapi32::Runtime::instance().applicationCount());
}

TEST_F(SessionTest, FetchTimesOutAndFailsAfterShutdown)
{
    HLINEAPP app = lineApp();
    LINEMESSAGE m{};
    EXPECT_EQ(LONG(LINEERR_OPERATIONFAILED), lineGetMessage(app, &m, 0));
    EXPECT_EQ(LONG(LINEERR_OPERATIONFAILED), lineGetMessage(app, &m, 20));
    EXPECT_EQ(LONG(LINEERR_INVALPOINTER), lineGetMessage(app, nullptr, 0));
    ASSERT_EQ(0, lineShutdown(app));
    EXPECT_EQ(LONG(LINEERR_INVALAPPHANDLE), lineGetMessage(app, &m, 0));

    HPHONEAPP phones = phoneApp();
    PHONEMESSAGE pm{};
    EXPECT_EQ(LONG(PHONEERR_OPERATIONFAILED), phoneGetMessage(phones, &pm, 0));
    ASSERT_EQ(0, phoneShutdown(phones));
    EXPECT_EQ(LONG(PHONEERR_INVALAPPHANDLE), phoneGetMessage(phones, &pm, 0));
}

TEST_F(SessionTest, ShutdownWakesABlockedFetch)
{
    HLINEAPP app = lineApp();
    HPHONEAPP phones = phoneApp();
    std::promise<void> started;
    auto lineFetch = std::async(std::launch::async, [&] {
        LINEMESSAGE m{};
        started.set_value();
        return lineGetMessage(app, &m, INFINITE);
    });
    auto phoneFetch = std::async(std::launch::async, [&] {
        PHONEMESSAGE m{};
        return phoneGetMessage(phones, &m, INFINITE);
    });
    started.get_future().wait();
    // The fetch may not have started waiting yet; either way it must end.
    EXPECT_EQ(0, lineShutdown(app));
    EXPECT_EQ(0, phoneShutdown(phones));
    EXPECT_EQ(LONG(LINEERR_INVALAPPHANDLE), lineFetch.get());
    EXPECT_EQ(LONG(PHONEERR_INVALAPPHANDLE), phoneFetch.get());
}

TEST_F(SessionTest, VersionsAreNegotiatedWithinTheSupportedRange)
{
    HLINEAPP app = lineApp();
    DWORD v = 0;
    LINEEXTENSIONID ext{};
    EXPECT_EQ(0, lineNegotiateAPIVersion(app, 0, 0x00010003, 0x00030001, &v, &ext));
    EXPECT_EQ(0x00030000u, v);
    EXPECT_EQ(0, lineNegotiateAPIVersion(app, 0, 0x00010004, 0x00020000, &v, &ext));
    EXPECT_EQ(0x00020000u, v);
    EXPECT_EQ(LONG(LINEERR_INCOMPATIBLEAPIVERSION), lineNegotiateAPIVersion(app, 0, 0x00030001, 0x00040000, &v, &ext));
    EXPECT_EQ(LONG(LINEERR_INCOMPATIBLEAPIVERSION), lineNegotiateAPIVersion(app, 0, 0x00010000, 0x00010002, &v, &ext));
    EXPECT_EQ(LONG(LINEERR_INCOMPATIBLEAPIVERSION), lineNegotiateAPIVersion(app, 0, 0x00020000, 0x00010004, &v, &ext));
    EXPECT_EQ(LONG(LINEERR_BADDEVICEID), lineNegotiateAPIVersion(app, 7, 0x00010003, 0x00030000, &v, &ext));
    EXPECT_EQ(LONG(LINEERR_INVALAPPHANDLE), lineNegotiateAPIVersion(app + 999, 0, 0x00010003, 0x00030000, &v, &ext));
    EXPECT_EQ(LONG(LINEERR_INVALPOINTER), lineNegotiateAPIVersion(app, 0, 0x00010003, 0x00030000, nullptr, &ext));

    HPHONEAPP phones = phoneApp();
    PHONEEXTENSIONID pext{};
    EXPECT_EQ(0, phoneNegotiateAPIVersion(phones, 1, 0x00010003, 0x00020001, &v, &pext));
    EXPECT_EQ(0x00020001u, v);
    EXPECT_EQ(LONG(PHONEERR_BADDEVICEID), phoneNegotiateAPIVersion(phones, 7, 0x00010003, 0x00020001, &v, &pext));
}

TEST_F(SessionTest, StructuresAreSizedInAllThreeCases)
{
    HLINEAPP app = lineApp();
    // Too small for the fixed part.
    LINEDEVCAPS small{};
    small.dwTotalSize = sizeof(LINEDEVCAPS) - 1;
    EXPECT_EQ(LONG(LINEERR_STRUCTURETOOSMALL), lineGetDevCapsW(app, 0, 0x00030000, 0, &small));

    // The fixed part only: filled, with what the whole answer needs.
    LINEDEVCAPS fixed{};
    fixed.dwTotalSize = sizeof fixed;
    ASSERT_EQ(0, lineGetDevCapsW(app, 0, 0x00030000, 0, &fixed));
    EXPECT_EQ(DWORD(sizeof fixed), fixed.dwUsedSize);
    EXPECT_GT(fixed.dwNeededSize, fixed.dwUsedSize);
    EXPECT_EQ(0u, fixed.dwLineNameSize);
    EXPECT_EQ(0u, fixed.dwLineNameOffset);
    EXPECT_EQ(1u, fixed.dwNumAddresses);

    // Large enough: everything, strings terminated and counted.
    std::vector<uint8_t> buffer(fixed.dwNeededSize);
    auto *caps = reinterpret_cast<LINEDEVCAPS *>(buffer.data());
    caps->dwTotalSize = fixed.dwNeededSize;
    ASSERT_EQ(0, lineGetDevCapsW(app, 0, 0x00030000, 0, caps));
    EXPECT_EQ(caps->dwNeededSize, caps->dwUsedSize);
    const std::u16string name(reinterpret_cast<const char16_t *>(buffer.data() + caps->dwLineNameOffset));
    EXPECT_EQ(u"Extension 201", name);
    EXPECT_EQ((name.size() + 1) * 2, caps->dwLineNameSize);

    // An older version has a smaller fixed part.
    LINEDEVCAPS old{};
    old.dwTotalSize = offsetof(LINEDEVCAPS, dwSettableDevStatus);
    EXPECT_EQ(0, lineGetDevCapsW(app, 0, 0x00010004, 0, &old));
    EXPECT_EQ(LONG(LINEERR_STRUCTURETOOSMALL), lineGetDevCapsW(app, 0, 0x00030000, 0, &old));
}

TEST_F(SessionTest, BadHandlesAndParametersGiveThePublishedCodes)
{
    HLINEAPP app = lineApp();
    HLINE line = openLine(app, 0);
    HCALL bogusCall = line; // a handle of another kind is not a call
    LINECALLSTATUS cs{};
    cs.dwTotalSize = sizeof cs;
    EXPECT_EQ(LONG(LINEERR_INVALCALLHANDLE), lineGetCallStatus(bogusCall, &cs));
    EXPECT_EQ(LONG(LINEERR_INVALCALLHANDLE), lineAnswer(0, nullptr, 0));
    EXPECT_EQ(LONG(LINEERR_INVALCALLHANDLE), lineDrop(12345, nullptr, 0));
    EXPECT_EQ(LONG(LINEERR_INVALCALLHANDLE), lineDeallocateCall(0));
    EXPECT_EQ(LONG(LINEERR_INVALLINEHANDLE), lineClose(app));
    EXPECT_EQ(LONG(LINEERR_INVALLINEHANDLE), lineMakeCallW(0, nullptr, u"202", 0, nullptr));
    HCALL call = 0;
    EXPECT_EQ(LONG(LINEERR_INVALPOINTER), lineMakeCallW(line, nullptr, u"202", 0, nullptr));
    EXPECT_EQ(LONG(LINEERR_INVALADDRESS), lineMakeCallW(line, &call, u"20x2", 0, nullptr));
    EXPECT_EQ(LONG(LINEERR_INVALPOINTER), lineGetDevCapsW(app, 0, 0x00030000, 0, nullptr));
    EXPECT_EQ(LONG(LINEERR_INCOMPATIBLEAPIVERSION), lineGetDevCapsW(app, 0, 0x00030001, 0, nullptr));
    EXPECT_EQ(LONG(LINEERR_INCOMPATIBLEEXTVERSION),
              lineGetDevCapsW(app, 0, 0x00030000, 1, reinterpret_cast<LPLINEDEVCAPS>(&cs)));
    LINEADDRESSCAPS ac{};
    ac.dwTotalSize = sizeof ac;
    EXPECT_EQ(LONG(LINEERR_INVALADDRESSID), lineGetAddressCapsW(app, 0, 1, 0x00030000, 0, &ac));
    EXPECT_EQ(LONG(LINEERR_INVALLINESTATE), lineSetStatusMessages(line, 0x80000000, 0));
    EXPECT_EQ(LONG(LINEERR_INVALADDRESSSTATE), lineSetStatusMessages(line, 0, 0x1000));
    HLINE other = 0;
    EXPECT_EQ(LONG(LINEERR_INVALPRIVSELECT), lineOpenW(app, 0, &other, 0x00030000, 0, 0, 0, 0, nullptr));
    EXPECT_EQ(LONG(LINEERR_INVALPRIVSELECT), lineOpenW(app, 0, &other, 0x00030000, 0, 0,
                                                       LINECALLPRIVILEGE_NONE | LINECALLPRIVILEGE_OWNER, 4, nullptr));
    EXPECT_EQ(LONG(LINEERR_INVALMEDIAMODE),
              lineOpenW(app, 0, &other, 0x00030000, 0, 0, LINECALLPRIVILEGE_OWNER, LINEMEDIAMODE_G3FAX, nullptr));
    EXPECT_EQ(LONG(LINEERR_BADDEVICEID),
              lineOpenW(app, 7, &other, 0x00030000, 0, 0, LINECALLPRIVILEGE_NONE, 0, nullptr));

    HPHONEAPP phones = phoneApp();
    HPHONE phone = openPhone(phones, 0);
    HPHONE second = 0;
    EXPECT_EQ(LONG(PHONEERR_INUSE), phoneOpen(phones, 0, &second, 0x00020001, 0, 0, PHONEPRIVILEGE_OWNER));
    EXPECT_EQ(LONG(PHONEERR_INVALPRIVILEGE), phoneOpen(phones, 0, &second, 0x00020001, 0, 0, 7));
    EXPECT_EQ(LONG(PHONEERR_INVALPHONEHANDLE), phoneSetVolume(phone + 1000, PHONEHOOKSWITCHDEV_HANDSET, 1));
    EXPECT_EQ(LONG(PHONEERR_INVALHOOKSWITCHDEV), phoneSetVolume(phone, 0x10, 1));
    EXPECT_EQ(LONG(PHONEERR_INVALHOOKSWITCHMODE),
              phoneSetHookSwitch(phone, PHONEHOOKSWITCHDEV_HANDSET, PHONEHOOKSWITCHMODE_SPEAKER));
    EXPECT_EQ(LONG(PHONEERR_INVALRINGMODE), phoneSetRing(phone, 9, 0));
    EXPECT_EQ(LONG(PHONEERR_INVALPARAM), phoneSetDisplay(phone, 5, 0, "x", 1));
    EXPECT_EQ(LONG(PHONEERR_INVALBUTTONLAMPID),
              phoneGetButtonInfoW(phone, 99, reinterpret_cast<LPPHONEBUTTONINFO>(&cs)));
}

TEST_F(SessionTest, HostileCallParametersAreRefusedWithoutReadingOutsideThem)
{
    HLINEAPP app = lineApp();
    HLINE line = openLine(app, 0);
    HCALL call = 0;
    std::vector<uint8_t> block(680, 0);
    auto *params = reinterpret_cast<LINECALLPARAMS *>(block.data());
    params->dwTotalSize = 680;
    params->dwCallingPartyIDSize = 100;
    params->dwCallingPartyIDOffset = 600; // runs past dwTotalSize
    EXPECT_EQ(LONG(LINEERR_INVALCALLPARAMS), lineMakeCallW(line, &call, u"202", 0, params));
    params->dwCallingPartyIDOffset = 0xFFFFFFF0; // wraps around
    EXPECT_EQ(LONG(LINEERR_INVALCALLPARAMS), lineMakeCallW(line, &call, u"202", 0, params));
    params->dwCallingPartyIDOffset = 20; // inside the fixed part
    EXPECT_EQ(LONG(LINEERR_INVALCALLPARAMS), lineMakeCallW(line, &call, u"202", 0, params));
    params->dwCallingPartyIDSize = 0;
    params->dwTotalSize = 100;
    EXPECT_EQ(LONG(LINEERR_STRUCTURETOOSMALL), lineMakeCallW(line, &call, u"202", 0, params));
    params->dwTotalSize = 680;
    params->dwMediaMode = LINEMEDIAMODE_G3FAX;
    EXPECT_EQ(LONG(LINEERR_INVALMEDIAMODE), lineMakeCallW(line, &call, u"202", 0, params));
    params->dwMediaMode = 0;
    params->dwBearerMode = LINEBEARERMODE_DATA;
    EXPECT_EQ(LONG(LINEERR_INVALBEARERMODE), lineMakeCallW(line, &call, u"202", 0, params));
    params->dwBearerMode = 0;
    params->dwAddressMode = LINEADDRESSMODE_ADDRESSID;
    params->dwAddressID = 2;
    EXPECT_EQ(LONG(LINEERR_INVALADDRESSID), lineMakeCallW(line, &call, u"202", 0, params));
    params->dwAddressID = 0;
    params->dwUserUserInfoSize = 300;
    params->dwUserUserInfoOffset = 180;
    EXPECT_EQ(LONG(LINEERR_USERUSERINFOTOOBIG), lineMakeCallW(line, &call, u"202", 0, params));
    EXPECT_TRUE(quiet(app));
}

} // namespace
