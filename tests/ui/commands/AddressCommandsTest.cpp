// The commands on the selected address. "Ma&ke Call": the destination and
// country code, the call parameter block the address, the predictive dialer
// and the extended dialog ask for, and how failures and parameters that do not
// fit are reported. "&Pickup..." and "&Unpark...": the number typed.
#include "CommandsTestSupport.h"

#include <ui/main/MakeCallExtended.h>
#include <ui/main/PredDialDlg.h>

#include <window/testing/UserInput.h>

#include "TapiClock.h"

#include <atomic>

using win::testing::ToggleItem;
using win::testing::TypeText;

namespace {

// Offsets of LINECALLPARAMS fields in the recorded block.
constexpr size_t kTotalSize = 0, kBearerMode = 4, kMediaMode = 16, kCallParamFlags = 20, kAddressMode = 24,
                 kAddressId = 28, kAutoTransferStates = 112, kTargetSize = 116, kTargetOffset = 120,
                 kNoAnswerTimeout = 164, kCallingIdSize = 168, kCallingIdOffset = 172;

DWORD Field(const exchange::RecordedCall &call, size_t offset)
{
    return call.dword("lpCallParams", offset).value_or(0xDEADBEEF);
}

// The zero-terminated UTF-16 text a size and offset field of the block point at.
std::u16string TextAt(const exchange::RecordedCall &call, size_t sizeField, size_t offsetField)
{
    const std::vector<uint8_t> block = call.bytes("lpCallParams");
    const DWORD size = Field(call, sizeField), offset = Field(call, offsetField);
    if (size < 2 || offset + size > block.size())
        return u"<absent>";
    std::u16string text(size / 2, u'\0');
    std::memcpy(text.data(), block.data() + offset, size);
    EXPECT_EQ(text.back(), u'\0') << "terminator counted in the size";
    text.pop_back();
    return text;
}

using MakeCallTest = CommandsTest;

TEST_F(MakeCallTest, OnAddressZeroWithoutCtrlPassesNoParameters)
{
    ASSERT_TRUE(StartWithLine());
    ASSERT_TRUE(MakeCall(QStringLiteral("5550100"), QStringLiteral("")));
    ASSERT_TRUE(WaitFor([&] { return Text(IDC_CALL_POSITION) == "1 of 1"; }));
    const exchange::RecordedCall call = Last("lineMakeCallW");
    EXPECT_EQ(call.text("lpszDestAddress"), "5550100");
    EXPECT_EQ(call.number("dwCountryCode"), 0u);
    EXPECT_TRUE(call.isNull("lpCallParams"));
    EXPECT_EQ(Status(), "");
}

TEST_F(MakeCallTest, FailuresAreReportedWithTheirErrorText)
{
    ASSERT_TRUE(StartWithLine());
    ASSERT_TRUE(TypeNumber(QStringLiteral("5550100")));
    Faults().failNext("lineMakeCallW", LINEERR_CALLUNAVAIL);
    ASSERT_TRUE(Click(IDC_MAKECALL));
    EXPECT_EQ(Status(), "lineMakeCall (0x80000005) No more calls can be made");
    EXPECT_EQ(Text(IDC_CALL_POSITION), "0 of 0");

    // Refused before the request is accepted, the same report.
    Faults().failNext("lineMakeCallW", LINEERR_INVALADDRESS, 1, false);
    ASSERT_TRUE(Click(IDC_MAKECALL));
    EXPECT_EQ(Status(), "lineMakeCall (0x80000010) Invalid Address");
}

std::atomic<DWORD> fastTick{0};

TEST_F(MakeCallTest, AReplyThatNeverComesIsReportedAsATimeout)
{
    ASSERT_TRUE(StartWithLine());
    ASSERT_TRUE(TypeNumber(QStringLiteral("5550100")));
    Faults().dropReply("lineMakeCallW");
    // Every look at the layer's clock is a second later, so the 60 s pass at once.
    const TapiTickSource previous = SetTapiTickSource([] { return fastTick += 1000; });
    Click(IDC_MAKECALL);
    SetTapiTickSource(previous);
    EXPECT_EQ(Status(), "lineMakeCall (0xffffffff) Request timeout");
}

TEST_F(MakeCallTest, CtrlWithoutANumberAsksForExtendedParameters)
{
    ASSERT_TRUE(StartWithLine());
    EXPECT_FALSE(Enabled(IDC_MAKECALL));
    HoldCtrl(true);
    ASSERT_TRUE(Enabled(IDC_MAKECALL));

    OnNextDialog<MakeCallExtended>([](MakeCallExtended &dialog) {
        EXPECT_EQ(dialog.GetDlgItemText(MakeCallExtended::IDC_DESTINATION), "");
        EXPECT_FALSE(dialog.IsDlgItemEnabled(MakeCallExtended::IDC_CLIP)) << "the address cannot set the id";
        win::testing::Click(dialog, win::IDCANCEL);
    });
    ASSERT_TRUE(Click(IDC_MAKECALL));
    EXPECT_EQ(Count("lineMakeCallW"), 0u) << "Cancel places no call";

    OnNextDialog<MakeCallExtended>([](MakeCallExtended &dialog) { win::testing::Click(dialog, win::IDOK); });
    ASSERT_TRUE(Click(IDC_MAKECALL));
    const exchange::RecordedCall call = Last("lineMakeCallW");
    EXPECT_EQ(call.text("lpszDestAddress"), "");
    EXPECT_EQ(Field(call, kTotalSize), 680u);
    EXPECT_EQ(call.bytes("lpCallParams").size(), 680u);
    EXPECT_EQ(Field(call, kCallParamFlags), 0u);
    EXPECT_EQ(Field(call, kCallingIdOffset), 180u);
    EXPECT_EQ(TextAt(call, kCallingIdSize, kCallingIdOffset), u"");
}

// Line 201 with three addresses; address 2 can set the calling id, block it and
// ask the destination to go off-hook.
class MakeCallAddressesTest : public CommandsTest {
protected:
    exchange::Topology Topology() const override
    {
        exchange::Topology topology = exchange::Topology::standard();
        auto &addresses = topology.lines[0].addresses;
        addresses.push_back({u"2011", addresses[0].caps});
        addresses.push_back({u"2012", addresses[0].caps});
        addresses[2].caps.dwAddrCapFlags |=
            LINEADDRCAPFLAGS_SETCALLINGID | LINEADDRCAPFLAGS_BLOCKIDOVERRIDE | LINEADDRCAPFLAGS_DESTOFFHOOK;
        return topology;
    }

    bool ChooseAddress(int index) { return win::testing::ChooseItem(Window(), IDC_ADDRESS, index); }
};

TEST_F(MakeCallAddressesTest, AddressTwoPassesAWholeBlockNamingIt)
{
    ASSERT_TRUE(StartWithLine());
    ASSERT_TRUE(ChooseAddress(2));
    ASSERT_TRUE(MakeCall(QStringLiteral("5550100"), QStringLiteral("")));
    const exchange::RecordedCall call = Last("lineMakeCallW");
    ASSERT_EQ(call.bytes("lpCallParams").size(), 680u);
    EXPECT_EQ(Field(call, kTotalSize), 680u);
    EXPECT_EQ(Field(call, kBearerMode), DWORD{LINEBEARERMODE_VOICE});
    EXPECT_EQ(Field(call, kMediaMode), DWORD{LINEMEDIAMODE_INTERACTIVEVOICE});
    EXPECT_EQ(Field(call, kAddressMode), DWORD{LINEADDRESSMODE_ADDRESSID});
    EXPECT_EQ(Field(call, kAddressId), 2u);
    EXPECT_EQ(Field(call, kAutoTransferStates), 0u);
    EXPECT_EQ(Field(call, kTargetSize), 0u);
    EXPECT_EQ(Field(call, kCallingIdSize), 0u);
    EXPECT_EQ(Status(), "");
}

TEST_F(MakeCallAddressesTest, ExtendedParametersFollowTheBlockOfTheAddress)
{
    ASSERT_TRUE(StartWithLine());
    ASSERT_TRUE(ChooseAddress(2));
    ASSERT_TRUE(TypeNumber(QStringLiteral("202")));
    HoldCtrl(true);
    OnNextDialog<MakeCallExtended>([](MakeCallExtended &dialog) {
        EXPECT_EQ(dialog.GetDlgItemText(MakeCallExtended::IDC_DESTINATION), "202");
        TypeText(dialog, MakeCallExtended::IDC_CLIP, QStringLiteral("4930999"));
        win::testing::Click(dialog, MakeCallExtended::IDC_CLIR);
        win::testing::Click(dialog, MakeCallExtended::IDC_AUTO_OFFHOOK);
        win::testing::Click(dialog, win::IDOK);
    });
    ASSERT_TRUE(Click(IDC_MAKECALL));
    const exchange::RecordedCall call = Last("lineMakeCallW");
    EXPECT_EQ(call.text("lpszDestAddress"), "202");
    EXPECT_EQ(Field(call, kAddressId), 2u);
    EXPECT_EQ(Field(call, kCallParamFlags), DWORD{LINECALLPARAMFLAGS_BLOCKID | LINECALLPARAMFLAGS_DESTOFFHOOK});
    EXPECT_EQ(Field(call, kCallingIdOffset), 180u);
    EXPECT_EQ(Field(call, kCallingIdSize), 16u);
    EXPECT_EQ(TextAt(call, kCallingIdSize, kCallingIdOffset), u"4930999");
}

TEST_F(MakeCallAddressesTest, ACallingPartyIdThatDoesNotFitIsRefused)
{
    ASSERT_TRUE(StartWithLine());
    ASSERT_TRUE(ChooseAddress(2));
    ASSERT_TRUE(TypeNumber(QStringLiteral("202")));
    HoldCtrl(true);
    OnNextDialog<MakeCallExtended>([](MakeCallExtended &dialog) {
        TypeText(dialog, MakeCallExtended::IDC_CLIP, QString(250, u'9'));
        win::testing::Click(dialog, win::IDOK);
    });
    ASSERT_TRUE(Click(IDC_MAKECALL));
    EXPECT_EQ(Count("lineMakeCallW"), 0u);
    EXPECT_EQ(Status(), "The transfer-to number and calling party id need 502 bytes; the call parameters hold 500.");
}

// Line 201's address dials predictively: calls may be transferred when
// connected or busy, after at most 60 s without answer; it can also set the
// calling id.
class PredictiveMakeCallTest : public CommandsTest {
protected:
    exchange::Topology Topology() const override
    {
        exchange::Topology topology = exchange::Topology::standard();
        LINEADDRESSCAPS &caps = topology.lines[0].addresses[0].caps;
        caps.dwAddrCapFlags |= LINEADDRCAPFLAGS_PREDICTIVEDIALER | LINEADDRCAPFLAGS_SETCALLINGID;
        caps.dwMaxNoAnswerTimeout = 60;
        caps.dwPredictiveAutoTransferStates = LINECALLSTATE_CONNECTED | LINECALLSTATE_BUSY;
        return topology;
    }
};

TEST_F(PredictiveMakeCallTest, ChosenParametersFillTheBlock)
{
    ASSERT_TRUE(StartWithLine());
    ASSERT_TRUE(TypeNumber(QStringLiteral("5550100")));
    OnNextDialog<CPredDialDlg>([](CPredDialDlg &dialog) {
        win::ListControl states = dialog.Items(CPredDialDlg::IDC_STATES);
        ASSERT_EQ(states.GetCount(), 2);
        EXPECT_EQ(states.GetText(1), "LINECALLSTATE_CONNECTED");
        TypeText(dialog, CPredDialDlg::IDC_TRANSFER_TO, QStringLiteral("5550101"));
        TypeText(dialog, CPredDialDlg::IDC_TIMEOUT, QStringLiteral("15"));
        ToggleItem(dialog, CPredDialDlg::IDC_STATES, 1);
        win::testing::Click(dialog, win::IDOK);
    });
    ASSERT_TRUE(Click(IDC_MAKECALL));
    const exchange::RecordedCall call = Last("lineMakeCallW");
    EXPECT_EQ(Field(call, kTotalSize), 680u);
    EXPECT_EQ(Field(call, kBearerMode), DWORD{LINEBEARERMODE_VOICE});
    EXPECT_EQ(Field(call, kMediaMode), DWORD{LINEMEDIAMODE_INTERACTIVEVOICE});
    EXPECT_EQ(Field(call, kCallParamFlags), 0u);
    EXPECT_EQ(Field(call, kAddressMode), DWORD{LINEADDRESSMODE_ADDRESSID});
    EXPECT_EQ(Field(call, kAddressId), 0u);
    EXPECT_EQ(Field(call, kAutoTransferStates), DWORD{LINECALLSTATE_CONNECTED});
    EXPECT_EQ(Field(call, kTargetOffset), 180u);
    EXPECT_EQ(TextAt(call, kTargetSize, kTargetOffset), u"5550101");
    EXPECT_EQ(Field(call, kNoAnswerTimeout), 15u);
    EXPECT_EQ(Field(call, kCallingIdSize), 0u);
}

TEST_F(PredictiveMakeCallTest, CancelSendsNoParameters)
{
    ASSERT_TRUE(StartWithLine());
    ASSERT_TRUE(TypeNumber(QStringLiteral("5550100")));
    OnNextDialog<CPredDialDlg>([](CPredDialDlg &dialog) { win::testing::Click(dialog, win::IDCANCEL); });
    ASSERT_TRUE(Click(IDC_MAKECALL));
    EXPECT_TRUE(Last("lineMakeCallW").isNull("lpCallParams"));
}

TEST_F(PredictiveMakeCallTest, TextsFollowOneAnotherUpToTheEndOfTheBlock)
{
    ASSERT_TRUE(StartWithLine());
    ASSERT_TRUE(TypeNumber(QStringLiteral("5550100")));
    HoldCtrl(true);
    // 20 characters of transfer-to number (42 bytes) and 228 of calling id (458 bytes) fill the 500 bytes exactly.
    const QString transferTo(20, u'4'), callingId(228, u'9');
    for (int extra : {1, 0}) {
        OnNextDialog<CPredDialDlg>([&](CPredDialDlg &dialog) {
            TypeText(dialog, CPredDialDlg::IDC_TRANSFER_TO, transferTo);
            win::testing::Click(dialog, win::IDOK);
        });
        OnNextDialog<MakeCallExtended>([&](MakeCallExtended &dialog) {
            TypeText(dialog, MakeCallExtended::IDC_CLIP, callingId + QString(extra, u'9'));
            win::testing::Click(dialog, win::IDOK);
        });
        ASSERT_TRUE(Click(IDC_MAKECALL));
    }
    ASSERT_EQ(Count("lineMakeCallW"), 1u) << "one character more than fits is refused";
    const exchange::RecordedCall call = Last("lineMakeCallW");
    EXPECT_EQ(TextAt(call, kTargetSize, kTargetOffset), transferTo.toStdU16String());
    EXPECT_EQ(Field(call, kCallingIdOffset), 180u + 42u);
    EXPECT_EQ(Field(call, kCallingIdSize), 458u);
    EXPECT_EQ(TextAt(call, kCallingIdSize, kCallingIdOffset), callingId.toStdU16String());
}

// Extension 201's address can also pick up and unpark calls.
class PickupUnparkTest : public CommandsTest {
protected:
    exchange::Topology Topology() const override
    {
        exchange::Topology topology = exchange::Topology::standard();
        topology.lines[0].addresses[0].caps.dwAddressFeatures |= LINEADDRFEATURE_PICKUP | LINEADDRFEATURE_UNPARK;
        return topology;
    }
};

TEST_F(PickupUnparkTest, TakeTheNumberTypedAndReportFailures)
{
    ASSERT_TRUE(StartWithLine());
    ASSERT_TRUE(TypeNumber(QStringLiteral("202")));
    Faults().failNext("linePickupW", LINEERR_INVALADDRESS);
    ASSERT_TRUE(Click(IDC_PICKUP));
    const exchange::RecordedCall pickup = Last("linePickupW");
    EXPECT_EQ(pickup.number("dwAddressID"), 0u);
    EXPECT_EQ(pickup.text("lpszDestAddress"), "202");
    EXPECT_TRUE(pickup.isNull("lpszGroupID"));
    EXPECT_EQ(Status(), "linePickup (0x80000010) Invalid Address");

    ASSERT_TRUE(TypeNumber(QStringLiteral("291")));
    Faults().failNext("lineUnparkW", LINEERR_INVALPARKID);
    ASSERT_TRUE(Click(IDC_UNPARK));
    const exchange::RecordedCall unpark = Last("lineUnparkW");
    EXPECT_EQ(unpark.number("dwAddressID"), 0u);
    EXPECT_EQ(unpark.text("lpszDestAddress"), "291");
    EXPECT_EQ(Status(), "lineUnpark (0x80000033) Invalid Park ID");
}

} // namespace
