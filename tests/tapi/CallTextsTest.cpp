// The call description texts as the call display shows them.
#include "TapiCallTexts.h"
#include "TapiTestSession.h"

#include <gtest/gtest.h>

namespace {

TEST(CallTextsTest, StateNamesForExactStatesOnly)
{
    EXPECT_EQ(Narrow(TapiCallStateName(LINECALLSTATE_CONNECTED)), "Connected");
    EXPECT_EQ(Narrow(TapiCallStateName(LINECALLSTATE_ONHOLDPENDCONF)), "On Hold Pending Conference");
    EXPECT_EQ(Narrow(TapiCallStateName(LINECALLSTATE_SPECIALINFO)), "SpecialInfo");
    for (DWORD other : {DWORD{0}, DWORD{LINECALLSTATE_UNKNOWN}, DWORD{LINECALLSTATE_IDLE | LINECALLSTATE_BUSY}})
        EXPECT_EQ(Narrow(TapiCallStateName(other)), "Unknown") << other;
}

TEST(CallTextsTest, ModesBelongToTheirStateAndMustMatchExactly)
{
    EXPECT_EQ(Narrow(TapiStateModeText(LINECALLSTATE_CONNECTED, LINECONNECTEDMODE_ACTIVE)), "(Active)");
    EXPECT_EQ(Narrow(TapiStateModeText(LINECALLSTATE_OFFERING, LINEOFFERINGMODE_INACTIVE)), "(Inactive)");
    EXPECT_EQ(Narrow(TapiStateModeText(LINECALLSTATE_DISCONNECTED, LINEDISCONNECTMODE_QOSUNAVAIL)), "(QOS Unavalable)");
    EXPECT_EQ(Narrow(TapiStateModeText(LINECALLSTATE_DISCONNECTED, LINEDISCONNECTMODE_CANCELLED)), "(Canceled)");
    EXPECT_EQ(Narrow(TapiStateModeText(LINECALLSTATE_DISCONNECTED, LINEDISCONNECTMODE_FORWARDED)), "(Fwd)");
    EXPECT_EQ(TapiStateModeText(LINECALLSTATE_DISCONNECTED, LINEDISCONNECTMODE_UNAVAIL), tapi_string());
    EXPECT_EQ(TapiStateModeText(LINECALLSTATE_DISCONNECTED, LINEDISCONNECTMODE_UNKNOWN), tapi_string());
    EXPECT_EQ(TapiStateModeText(LINECALLSTATE_BUSY, LINEBUSYMODE_UNKNOWN), tapi_string());
    EXPECT_EQ(TapiStateModeText(LINECALLSTATE_CONNECTED, LINECONNECTEDMODE_ACTIVE | LINECONNECTEDMODE_INACTIVE),
              tapi_string());
    EXPECT_EQ(TapiStateModeText(LINECALLSTATE_ONHOLD, 1), tapi_string()) << "a state without modes";
}

TEST(CallTextsTest, FeatureLinesInBitOrderWithEmptyLineBetween)
{
    EXPECT_EQ(Narrow(TapiCallFeaturesText(LINECALLFEATURE_HOLD | LINECALLFEATURE_DROP, 0)),
              "LCF_DROP\r\nLCF_HOLD\r\n\r\nLCF2_NONE\r\n");
    EXPECT_EQ(Narrow(TapiCallFeaturesText(0, 0)), "LCF_NONE\r\n\r\nLCF2_NONE\r\n");
    EXPECT_EQ(Narrow(TapiCallFeaturesText(0x80000001, LINECALLFEATURE2_PARKNONDIRECT | 0x1)),
              "LCF_ACCEPT\r\nLCF_SETCALLDATA\r\n\r\nLCF2_NOHOLDCONFERENCE\r\nLCF2_PARKNONDIRECT\r\n");
    EXPECT_EQ(Narrow(TapiCallFeaturesText(0, 0x400)), "LCF_NONE\r\n\r\n") << "no name for higher second-level bits";
}

} // namespace
