// Phone devices: capabilities and status, the setters with PHONE_REPLY and
// PHONE_STATE, status message filters, owners and monitors.
#include "TapiFixture.h"

using namespace tapitest;

namespace {

class PhoneTest : public TapiFixture {
protected:
    void SetUp() override
    {
        TapiFixture::SetUp();
        app = phoneApp(u"Phones");
        phone = openPhone(app, 0);
        ASSERT_EQ(0, phoneSetStatusMessages(phone, 0x00FFFFFF, 0, 0));
    }

    /// The PHONE_REPLY of a setter followed by its PHONE_STATE.
    void expectReplyAndState(LONG request, DWORD state, DWORD details = 0)
    {
        ASSERT_GT(request, 0);
        Msg m = nextPhone(app);
        EXPECT_EQ(DWORD(PHONE_REPLY), m.id);
        EXPECT_EQ(DWORD_PTR(request), m.p1);
        EXPECT_EQ(DWORD_PTR(0), m.p2);
        m = nextPhone(app);
        EXPECT_EQ(DWORD(PHONE_STATE), m.id);
        EXPECT_EQ(phone, m.device);
        EXPECT_EQ(DWORD_PTR(0x5678), m.instance);
        EXPECT_EQ(DWORD_PTR(state), m.p1);
        EXPECT_EQ(DWORD_PTR(details), m.p2);
    }

    std::vector<uint8_t> phoneStatus()
    {
        std::vector<uint8_t> buffer(2048);
        reinterpret_cast<PHONESTATUS *>(buffer.data())->dwTotalSize = DWORD(buffer.size());
        EXPECT_EQ(0, phoneGetStatusW(phone, reinterpret_cast<PHONESTATUS *>(buffer.data())));
        return buffer;
    }

    HPHONEAPP app = 0;
    HPHONE phone = 0;
};

TEST_F(PhoneTest, CapabilitiesDescribeTheDeskPhone)
{
    std::vector<uint8_t> buffer(2048);
    auto *caps = reinterpret_cast<PHONECAPS *>(buffer.data());
    caps->dwTotalSize = DWORD(buffer.size());
    ASSERT_EQ(0, phoneGetDevCapsW(app, 0, 0x00020001, 0, caps));
    EXPECT_EQ(u"Phone 201",
              std::u16string(reinterpret_cast<const char16_t *>(buffer.data() + caps->dwPhoneNameOffset)));
    EXPECT_EQ(2u, caps->dwDisplayNumRows);
    EXPECT_EQ(40u, caps->dwDisplayNumColumns);
    EXPECT_EQ(8u, caps->dwNumButtonLamps);
    EXPECT_EQ(3u, caps->dwNumRingModes);
    EXPECT_TRUE(caps->dwPhoneFeatures & PHONEFEATURE_SETDISPLAY);

    std::vector<uint8_t> info(256);
    auto *button = reinterpret_cast<PHONEBUTTONINFO *>(info.data());
    button->dwTotalSize = DWORD(info.size());
    ASSERT_EQ(0, phoneGetButtonInfoW(phone, 1, button));
    EXPECT_EQ(DWORD(PHONEBUTTONFUNCTION_HOLD), button->dwButtonFunction);
    EXPECT_EQ(u"Hold", std::u16string(reinterpret_cast<const char16_t *>(info.data() + button->dwButtonTextOffset)));

    const auto status = phoneStatus();
    const auto *s = reinterpret_cast<const PHONESTATUS *>(status.data());
    EXPECT_EQ(1u, s->dwNumOwners);
    EXPECT_EQ(DWORD(PHONEHOOKSWITCHMODE_ONHOOK), s->dwHandsetHookSwitchMode);
    EXPECT_EQ("201 Anna Berg",
              std::string(reinterpret_cast<const char *>(status.data() + s->dwDisplayOffset), s->dwDisplaySize));
    EXPECT_EQ(u"Phones", std::u16string(reinterpret_cast<const char16_t *>(status.data() + s->dwOwnerNameOffset)));
}

TEST_F(PhoneTest, TheOfficePhonesDifferWhereTheirCapabilitiesSay)
{
    // Carl's display is read-only and his speakerphone lacks MICSPEAKER; the
    // lobby phone has no display to write at all.
    HPHONE carl = openPhone(app, 2, PHONEPRIVILEGE_OWNER, 0x5679);
    EXPECT_EQ(LONG(PHONEERR_OPERATIONUNAVAIL), phoneSetDisplay(carl, 0, 0, "x", 1));
    EXPECT_EQ(LONG(PHONEERR_INVALHOOKSWITCHMODE),
              phoneSetHookSwitch(carl, PHONEHOOKSWITCHDEV_SPEAKER, PHONEHOOKSWITCHMODE_MICSPEAKER));
    EXPECT_GT(phoneSetHookSwitch(carl, PHONEHOOKSWITCHDEV_SPEAKER, PHONEHOOKSWITCHMODE_SPEAKER), 0);
    HPHONE lobby = openPhone(app, 4, PHONEPRIVILEGE_OWNER, 0x567A);
    EXPECT_EQ(LONG(PHONEERR_OPERATIONUNAVAIL), phoneSetDisplay(lobby, 0, 0, "x", 1));

    // Dana's extra keys: functions 0x2A, 0x2B, 0x2E and a provider's 0x2F.
    std::vector<uint8_t> buffer(2048);
    auto *caps = reinterpret_cast<PHONECAPS *>(buffer.data());
    caps->dwTotalSize = DWORD(buffer.size());
    ASSERT_EQ(0, phoneGetDevCapsW(app, 3, 0x00020001, 0, caps));
    ASSERT_EQ(12u, caps->dwNumButtonLamps);
    ASSERT_EQ(48u, caps->dwButtonFunctionsSize);
    DWORD functions[12];
    std::memcpy(functions, buffer.data() + caps->dwButtonFunctionsOffset, sizeof functions);
    EXPECT_EQ(std::vector<DWORD>(functions + 8, functions + 12), (std::vector<DWORD>{0x2A, 0x2B, 0x2E, 0x2F}));
}

TEST_F(PhoneTest, SettersReplyThenReportTheirState)
{
    expectReplyAndState(phoneSetHookSwitch(phone, PHONEHOOKSWITCHDEV_SPEAKER, PHONEHOOKSWITCHMODE_MICSPEAKER),
                        PHONESTATE_SPEAKERHOOKSWITCH, PHONEHOOKSWITCHMODE_MICSPEAKER);
    expectReplyAndState(phoneSetVolume(phone, PHONEHOOKSWITCHDEV_HANDSET, 0x1234), PHONESTATE_HANDSETVOLUME);
    expectReplyAndState(phoneSetGain(phone, PHONEHOOKSWITCHDEV_HEADSET, 0x4321), PHONESTATE_HEADSETGAIN);
    expectReplyAndState(phoneSetRing(phone, 2, 0x100), PHONESTATE_RINGMODE | PHONESTATE_RINGVOLUME);
    expectReplyAndState(phoneSetDisplay(phone, 1, 0, "Hello", 5), PHONESTATE_DISPLAY);

    const auto status = phoneStatus();
    const auto *s = reinterpret_cast<const PHONESTATUS *>(status.data());
    EXPECT_EQ(DWORD(PHONEHOOKSWITCHMODE_MICSPEAKER), s->dwSpeakerHookSwitchMode);
    EXPECT_EQ(0x1234u, s->dwHandsetVolume);
    EXPECT_EQ(0x4321u, s->dwHeadsetGain);
    EXPECT_EQ(2u, s->dwRingMode);
    const std::string display(reinterpret_cast<const char *>(status.data() + s->dwDisplayOffset), s->dwDisplaySize);
    EXPECT_EQ(std::string("201 Anna Berg") + std::string(27, ' ') + "Hello", display);

    // A setting that changes nothing replies without a state message.
    const LONG same = phoneSetVolume(phone, PHONEHOOKSWITCHDEV_HANDSET, 0x1234);
    EXPECT_EQ(DWORD(PHONE_REPLY), nextPhone(app).id);
    EXPECT_GT(same, 0);
    EXPECT_TRUE(quietPhone(app));

    // A lamp changed by the exchange reaches the phone with its button id.
    EXPECT_EQ(0, ex().setLamp(0, 5, PHONELAMPMODE_FLASH));
    const Msg lamp = nextPhone(app);
    EXPECT_EQ(DWORD_PTR(PHONESTATE_LAMP), lamp.p1);
    EXPECT_EQ(DWORD_PTR(5), lamp.p2);
}

TEST_F(PhoneTest, TheCallLampFollowsTheCallsOfTheLine)
{
    auto lampOf = [&](DWORD button) {
        const auto status = phoneStatus();
        const auto *s = reinterpret_cast<const PHONESTATUS *>(status.data());
        DWORD mode = 0;
        std::memcpy(&mode, status.data() + s->dwLampModesOffset + 4 * button, 4);
        return mode;
    };
    EXPECT_EQ(DWORD(PHONELAMPMODE_OFF), lampOf(0));
    const exchange::LegId leg = ex().incomingCall(0, 0, u"5551234", u"Dora");
    const Msg m = nextPhone(app);
    EXPECT_EQ(DWORD_PTR(PHONESTATE_LAMP), m.p1);
    EXPECT_EQ(DWORD_PTR(0), m.p2);
    EXPECT_EQ(DWORD(PHONELAMPMODE_FLASH), lampOf(0));
    ex().remoteHangUp(leg);
    ex().waitIdle();
    EXPECT_EQ(DWORD(PHONELAMPMODE_OFF), lampOf(0)); // nobody held the call: it went idle
}

TEST_F(PhoneTest, MonitorsFollowButMayNotChangeAndFiltersApply)
{
    HPHONEAPP watcher = phoneApp(u"Watcher");
    HPHONE watching = openPhone(watcher, 0, PHONEPRIVILEGE_MONITOR, 0x99);
    EXPECT_EQ(DWORD_PTR(PHONESTATE_MONITORS), nextPhone(app).p1);
    EXPECT_EQ(LONG(PHONEERR_NOTOWNER), phoneSetRing(watching, 1, 0));

    // Without status messages asked for, the monitor hears nothing.
    const LONG id = phoneSetRing(phone, 3, 0x8000);
    EXPECT_EQ(DWORD(PHONE_REPLY), nextPhone(app).id);
    EXPECT_EQ(DWORD_PTR(PHONESTATE_RINGMODE), nextPhone(app).p1);
    EXPECT_GT(id, 0);
    EXPECT_TRUE(quietPhone(watcher));
    ASSERT_EQ(0, phoneSetStatusMessages(watching, PHONESTATE_RINGMODE, 0, 0));
    phoneSetRing(phone, 1, 0x8000);
    const Msg m = nextPhone(watcher);
    EXPECT_EQ(DWORD(PHONE_STATE), m.id);
    EXPECT_EQ(watching, m.device);
    EXPECT_EQ(DWORD_PTR(0x99), m.instance);

    // Buttons are reported when their mode and state are asked for.
    ASSERT_EQ(0, phoneSetStatusMessages(watching, 0, PHONEBUTTONMODE_FEATURE, PHONEBUTTONSTATE_DOWN));
    EXPECT_EQ(LONG(PHONEERR_INVALBUTTONSTATE), phoneSetStatusMessages(watching, 0, PHONEBUTTONMODE_FEATURE, 0));
    ex().pressButton(0, 1);
    ex().pressButton(0, 0); // a call button: not asked for
    const Msg button = nextPhone(watcher);
    EXPECT_EQ(DWORD(PHONE_BUTTON), button.id);
    EXPECT_EQ(DWORD_PTR(1), button.p1);
    EXPECT_TRUE(quietPhone(watcher));

    EXPECT_EQ(0, phoneClose(phone));
    EXPECT_EQ(LONG(PHONEERR_INVALPHONEHANDLE), phoneClose(phone));
}

} // namespace
