// The phone object: lamps and display from untrusted status, state refreshes,
// open and the setters.
#include "TapiCodePage.h"
#include "TapiFields.h"
#include "TapiTestSession.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

class PhoneTest : public ScriptedSessionTest {
protected:
    void SetUp() override
    {
        ScriptedSessionTest::SetUp();
        InitSession(1, 1);
        phone = session->GetPhone(0);
        ASSERT_EQ(phone->Open(PHONEPRIVILEGE_OWNER), 0u);
    }

    void ScriptStatus(std::function<void(LPPHONESTATUS)> fill)
    {
        tapi.Script(&ScriptedTapiHandlers::phoneGetStatusW, [fill](HPHONE, LPPHONESTATUS status) {
            status->dwNeededSize = status->dwUsedSize = sizeof(PHONESTATUS);
            fill(status);
            return LONG(0);
        });
    }

    CTapiPhone *phone = nullptr;
};

TEST_F(PhoneTest, OpenOnAnOpenPhoneDoesNothing)
{
    EXPECT_EQ(phone->Open(PHONEPRIVILEGE_OWNER), 0u);
    EXPECT_EQ(tapi.CountOf("phoneOpen"), 1);
    EXPECT_EQ(Narrow(phone->GetPhoneName()), "Phone 0");
}

TEST_F(PhoneTest, LampModesAreReadOnlyWithinTheLampArray)
{
    ScriptStatus([](LPPHONESTATUS status) {
        const DWORD modes[3] = {PHONELAMPMODE_OFF, PHONELAMPMODE_STEADY, PHONELAMPMODE_FLASH};
        status->dwLampModesOffset = status->dwUsedSize;
        status->dwLampModesSize = sizeof modes;
        std::memcpy(reinterpret_cast<char *>(status) + status->dwUsedSize, modes, sizeof modes);
        status->dwUsedSize += sizeof modes;
    });
    EXPECT_EQ(phone->GetLampMode(2), DWORD{PHONELAMPMODE_FLASH});
    EXPECT_EQ(phone->GetLampMode(3), DWORD{PHONELAMPMODE_UNKNOWN});
    EXPECT_EQ(phone->GetLampMode(0x40000000), DWORD{PHONELAMPMODE_UNKNOWN});

    ScriptStatus([](LPPHONESTATUS status) {
        status->dwLampModesOffset = status->dwTotalSize - 4;
        status->dwLampModesSize = 64; // runs past the structure
    });
    phone->GetPhoneStatus(true);
    EXPECT_EQ(phone->GetLampMode(1), DWORD{PHONELAMPMODE_UNKNOWN});
}

TEST_F(PhoneTest, DisplayIsReadAsUtf16OrInTheAnsiCodePage)
{
    ScriptStatus([](LPPHONESTATUS status) {
        PlaceString(status, status->dwUsedSize, TAPI_TEXT("Call 201"), status->dwDisplaySize, status->dwDisplayOffset);
    });
    EXPECT_EQ(Narrow(phone->GetDisplay()), "Call 201");

    // 8-bit text is Windows-1252 over the whole field: a zero byte inside is a
    // blank cell, not the end; the terminator and padding at the end are dropped.
    const struct {
        std::string bytes;
        tapi_string shown;
    } rows[] = {
        {std::string("Caf\xE9\0", 5), {u'C', u'a', u'f', 0xE9}},
        {std::string("\x80 5\x85\x9F", 5), {0x20AC, u' ', u'5', 0x2026, 0x0178}},
        {std::string("201\0Anna\0\0", 10), TAPI_TEXT("201 Anna")},
        {std::string("\x81\x8D", 2), {0x81, 0x8D}},
    };
    for (const auto &row : rows) {
        ScriptStatus([&](LPPHONESTATUS status) {
            status->dwDisplayOffset = status->dwUsedSize;
            status->dwDisplaySize = static_cast<DWORD>(row.bytes.size());
            std::memcpy(reinterpret_cast<char *>(status) + status->dwUsedSize, row.bytes.data(), row.bytes.size());
        });
        phone->GetPhoneStatus(true);
        EXPECT_EQ(phone->GetDisplay(), row.shown) << Narrow(row.shown);
    }

    ScriptStatus([](LPPHONESTATUS status) {
        status->dwDisplayOffset = 0xFFFFFFF0;
        status->dwDisplaySize = 0x20;
    });
    phone->GetPhoneStatus(true);
    EXPECT_EQ(phone->GetDisplay(), tapi_string());
}

TEST(AnsiTextTest, EncodesWhatTheCodePageHasAndMarksTheRest)
{
    const tapi_string text = {u'A', 0xE9, 0x20AC, 0x2122, 0x0100, 0xD83D, 0xDE00, u'!'};
    EXPECT_EQ(EncodeAnsiText(text), std::string("A\xE9\x80\x99?" "?!"));
    const std::string bytes = EncodeAnsiText(TAPI_TEXT("Zo\u00EB \u20AC"));
    EXPECT_EQ(DecodeAnsiText(reinterpret_cast<const unsigned char *>(bytes.data()), bytes.size()),
              TAPI_TEXT("Zo\u00EB \u20AC"));
}

TEST_F(PhoneTest, CapsChangeAloneRereadsOnlyTheCapabilities)
{
    ScriptStatus([](LPPHONESTATUS) {});
    phone->GetPhoneCaps();
    phone->GetPhoneStatus();
    const int caps = tapi.CountOf("phoneGetDevCapsW");
    const int status = tapi.CountOf("phoneGetStatusW");
    tapi.PostPhone(phone->GetPhoneHandle(), PHONE_STATE, CTapiConnection::InstanceOf(0), PHONESTATE_CAPSCHANGE);
    ASSERT_TRUE(tapi.WaitPhoneIdle());
    EXPECT_EQ(tapi.CountOf("phoneGetDevCapsW"), caps + 1);
    EXPECT_EQ(tapi.CountOf("phoneGetStatusW"), status);
    tapi.PostPhone(phone->GetPhoneHandle(), PHONE_STATE, CTapiConnection::InstanceOf(0),
                   PHONESTATE_CAPSCHANGE | PHONESTATE_DISPLAY);
    ASSERT_TRUE(tapi.WaitPhoneIdle());
    EXPECT_EQ(tapi.CountOf("phoneGetStatusW"), status + 1);
}

TEST_F(PhoneTest, SettersRegisterTheirRequests)
{
    tapi.phoneSetDisplay = [&](HPHONE handle, DWORD row, DWORD column, LPCSTR text, DWORD size) {
        EXPECT_EQ(handle, ScriptedTapi::PhoneHandleOf(0));
        EXPECT_EQ(row, 0u);
        EXPECT_EQ(column, 0u);
        EXPECT_STREQ(text, "");
        EXPECT_EQ(size, 0u);
        return LONG(31);
    };
    EXPECT_EQ(phone->SetDisplay(""), 31u);
    EXPECT_EQ(session->GetPendingRequestCount(), 1u);
    tapi.PostPhone(0, PHONE_REPLY, 0, 31, 0);
    EXPECT_EQ(session->WaitForReply(31, 60000), 0u);
}

TEST_F(PhoneTest, ButtonInfoReadsTheRecordAndItsText)
{
    tapi.phoneGetButtonInfoW = [](HPHONE, DWORD id, LPPHONEBUTTONINFO info) {
        EXPECT_EQ(id, 4u);
        EXPECT_EQ(info->dwTotalSize, 1064u);
        info->dwNeededSize = info->dwUsedSize = sizeof(PHONEBUTTONINFO);
        info->dwButtonMode = PHONEBUTTONMODE_FEATURE;
        info->dwButtonFunction = PHONEBUTTONFUNCTION_HOLD;
        info->dwButtonState = PHONEBUTTONSTATE_UP;
        PlaceString(info, info->dwUsedSize, TAPI_TEXT("Hold"), info->dwButtonTextSize, info->dwButtonTextOffset);
        return LONG(0);
    };
    CTapiButtonInfo info;
    ASSERT_EQ(phone->GetButtonInfo(4, info), 0u);
    EXPECT_EQ(info.buttonFunction, DWORD{PHONEBUTTONFUNCTION_HOLD});
    EXPECT_EQ(Narrow(info.buttonText), "Hold");
}

TEST_F(PhoneTest, PhoneCloseForgetsTheHandle)
{
    tapi.PostPhone(phone->GetPhoneHandle(), PHONE_CLOSE, CTapiConnection::InstanceOf(0));
    ASSERT_TRUE(tapi.WaitPhoneIdle());
    EXPECT_FALSE(phone->IsOpen());
}

} // namespace
