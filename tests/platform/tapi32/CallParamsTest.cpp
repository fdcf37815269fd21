// What lineMakeCallW's parameter block changes about a call: the address it
// leaves from, the identity the called side sees, and a called phone that
// answers by itself.
#include "CallParamsBlock.h"
#include "TapiFixture.h"

#include <cstddef>

using namespace tapitest;

namespace {

/// A parameter block with a calling party id.
class Params : public CallParamsBlock {
public:
    void callingPartyId(const std::u16string &id)
    {
        setText(&LINECALLPARAMS::dwCallingPartyIDSize, &LINECALLPARAMS::dwCallingPartyIDOffset, id);
    }
};

class CallParamsTest : public TapiFixture {
protected:
    void SetUp() override
    {
        TapiFixture::SetUp();
        anna = lineApp(u"Anna");
        annaLine = openLine(anna, 0);
        ben = lineApp(u"Ben");
        benLine = openLine(ben, 1);
    }

    /// The caller id of a call: flags and number.
    std::pair<DWORD, std::u16string> callerOf(HCALL call, bool connected = false)
    {
        std::vector<uint8_t> buffer(4096);
        auto *info = reinterpret_cast<LINECALLINFO *>(buffer.data());
        info->dwTotalSize = DWORD(buffer.size());
        EXPECT_EQ(0, lineGetCallInfoW(call, info));
        const DWORD flags = connected ? info->dwConnectedIDFlags : info->dwCallerIDFlags;
        const DWORD size = connected ? info->dwConnectedIDSize : info->dwCallerIDSize;
        const DWORD offset = connected ? info->dwConnectedIDOffset : info->dwCallerIDOffset;
        std::u16string number;
        if (size >= 2)
            number.assign(reinterpret_cast<const char16_t *>(buffer.data() + offset), size / 2 - 1);
        return {flags, number};
    }

    HLINEAPP anna = 0, ben = 0;
    HLINE annaLine = 0, benLine = 0;
};

TEST_F(CallParamsTest, TheCallingPartyIdIsWhatTheCalledSideSees)
{
    Params p;
    p.callingPartyId(u"200");
    makeCall(anna, annaLine, u"202", p.get());
    const HCALL atBen = announcedCall(ben);
    EXPECT_EQ(u"200", callerOf(atBen).second);
    EXPECT_TRUE(callerOf(atBen).first & LINECALLPARTYID_ADDRESS);
}

TEST_F(CallParamsTest, ABlockedIdIsShownAsBlockedEvenOnceConnected)
{
    Params p;
    p.get()->dwCallParamFlags = LINECALLPARAMFLAGS_BLOCKID;
    const HCALL atAnna = makeCall(anna, annaLine, u"202", p.get());
    const HCALL atBen = announcedCall(ben);
    EXPECT_EQ((std::pair<DWORD, std::u16string>{LINECALLPARTYID_BLOCKED, u""}), callerOf(atBen));
    EXPECT_EQ(0, reply(ben, lineAnswer(atBen, nullptr, 0)));
    drain(ben);
    EXPECT_EQ((std::pair<DWORD, std::u16string>{LINECALLPARTYID_BLOCKED, u""}), callerOf(atBen, true));
    drain(anna);
    EXPECT_EQ(u"202", callerOf(atAnna, true).second) << "the caller still sees whom it reached";
}

TEST_F(CallParamsTest, ADestinationOffHookAnswersAtOnce)
{
    Params p;
    p.get()->dwCallParamFlags = LINECALLPARAMFLAGS_DESTOFFHOOK;
    const HCALL atAnna = makeCall(anna, annaLine, u"202", p.get());
    const HCALL atBen = announcedCall(ben);
    drain(anna);
    EXPECT_EQ(DWORD(LINECALLSTATE_CONNECTED), status(atBen).dwCallState);
    EXPECT_EQ(DWORD(LINECALLSTATE_CONNECTED), status(atAnna).dwCallState);
}

TEST_F(CallParamsTest, TheAddressIsChosenByItsIdentifier)
{
    HLINEAPP dialer = lineApp(u"Dialer");
    HLINE trunk = openLine(dialer, 4);
    Params p;
    p.get()->dwAddressMode = LINEADDRESSMODE_ADDRESSID;
    p.get()->dwAddressID = 1;
    const HCALL call = makeCall(dialer, trunk, u"202", p.get());
    LINECALLINFO info{};
    info.dwTotalSize = sizeof info;
    ASSERT_EQ(0, lineGetCallInfoW(call, &info));
    EXPECT_EQ(1u, info.dwAddressID);

    HCALL bad = 0;
    p.get()->dwAddressID = 2;
    EXPECT_EQ(LONG(LINEERR_INVALADDRESSID), lineMakeCallW(trunk, &bad, u"202", 0, p.get()));
    p.get()->dwAddressMode = 0x40;
    EXPECT_EQ(LONG(LINEERR_INVALADDRESSMODE), lineMakeCallW(trunk, &bad, u"202", 0, p.get()));
}

TEST_F(CallParamsTest, AFieldOutsideTheBlockIsRefused)
{
    Params p;
    p.get()->dwCallingPartyIDOffset = p.get()->dwTotalSize - 2;
    p.get()->dwCallingPartyIDSize = 8;
    HCALL call = 0;
    EXPECT_EQ(LONG(LINEERR_INVALCALLPARAMS), lineMakeCallW(annaLine, &call, u"202", 0, p.get()));
    p.get()->dwCallingPartyIDOffset = 0xFFFFFFF0;
    EXPECT_EQ(LONG(LINEERR_INVALCALLPARAMS), lineMakeCallW(annaLine, &call, u"202", 0, p.get()));
    EXPECT_EQ(0u, call);
}

} // namespace
