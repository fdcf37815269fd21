// The object layer facing an untidy provider: a line closed while a request
// waits for its reply, and structures that are untidily filled.
#include "OfficeFixture.h"

#include <exchange/untidy/UntidyOptions.h>

namespace office {
namespace {

using exchange::Untidy;
using UntidyProviderTest = OfficeTest;

TEST_F(UntidyProviderTest, ARequestPendingWhenTheProviderClosesTheLineEndsAtOnce)
{
    Exchange().untidy().enable(Untidy::ProviderClose, {"lineMakeCallW", DWORD(kAnna)}, 1);
    CTapiCall *anna = nullptr;
    // No reply comes once the line is closed: the wait ends with the close, not a time-out.
    EXPECT_EQ(lines[kAnna]->MakeCall(&anna, TAPI_TEXT("5550105")), DWORD(LINEERR_INVALLINEHANDLE));
    EXPECT_EQ(anna, nullptr);
    EXPECT_FALSE(lines[kAnna]->IsOpen());
    EXPECT_EQ(session->GetPendingRequestCount(), 0u);
}

TEST_F(UntidyProviderTest, UntidyStructuresAreReadWithinTheirBounds)
{
    for (const Untidy option : {Untidy::NeededSizeAgain, Untidy::PartlyFilled, Untidy::UnterminatedStrings}) {
        SCOPED_TRACE(exchange::untidyName(option));
        Exchange().untidy().enable(option, {"lineGetDevCapsW", DWORD(kBen)}, 1);
        ASSERT_NE(lines[kBen]->GetLineCaps(0, 0, true), nullptr);
        // The name is read whole, or not at all where the provider left it out.
        const tapi_string name = lines[kBen]->GetLineName();
        EXPECT_TRUE(name.empty() || name == TAPI_TEXT("Extension 202"))
            << Narrow(name);
    }
}

TEST_F(UntidyProviderTest, CallsLeftOutOfAPartlyFilledCallListAreAskedForAgain)
{
    // A call rings at Ben while his line is closed; the first list of new calls
    // the provider gives on the new opening stops short of its handle.
    ASSERT_EQ(lines[kBen]->Close(), 0u);
    Exchange().incomingCall(kBen, 0, u"5550100", u"Clara Diaz");
    Exchange().waitIdle();
    ASSERT_EQ(lines[kBen]->Open(LINECALLPRIVILEGE_OWNER, LINEMEDIAMODE_INTERACTIVEVOICE), 0u);
    Exchange().untidy().enable(Untidy::PartlyFilled, {"lineGetNewCalls", DWORD(kBen)}, 1);
    EXPECT_EQ(lines[kBen]->RefreshCalls(), 1u);
}

} // namespace
} // namespace office
