// Forwarding through the line object: the forward list as the address status
// shows it (kept current by the address-state hook), calls that follow it, and
// cancelling it.
#include "OfficeFixture.h"

#include "TapiFields.h"

#include <cstddef>
#include <cstring>

namespace office {
namespace {

/// A forward list of one entry, in a block that keeps it aligned.
class ForwardList {
public:
    ForwardList(DWORD mode, const std::u16string &destination)
    {
        const std::size_t head = offsetof(LINEFORWARDLIST, ForwardList) + sizeof(LINEFORWARD);
        const std::size_t size = head + (destination.size() + 1) * sizeof(char16_t);
        words_.resize((size + 3) / 4);
        auto *bytes = reinterpret_cast<unsigned char *>(words_.data());
        LINEFORWARD entry{};
        entry.dwForwardMode = mode;
        entry.dwDestAddressOffset = static_cast<DWORD>(head);
        entry.dwDestAddressSize = static_cast<DWORD>((destination.size() + 1) * sizeof(char16_t));
        std::memcpy(bytes + offsetof(LINEFORWARDLIST, ForwardList), &entry, sizeof entry);
        std::memcpy(bytes + head, destination.c_str(), entry.dwDestAddressSize);
        Get()->dwTotalSize = static_cast<DWORD>(size);
        Get()->dwNumEntries = 1;
    }
    LPLINEFORWARDLIST Get() { return reinterpret_cast<LPLINEFORWARDLIST>(words_.data()); }

private:
    std::vector<DWORD> words_;
};

class ForwardTest : public OfficeTest {
protected:
    /// The forward entries of a status: mode and destination of each.
    static std::vector<std::pair<DWORD, std::string>> Entries(const TapiStructPtr<LINEADDRESSSTATUS> &status)
    {
        std::vector<std::pair<DWORD, std::string>> entries;
        if (!status)
            return entries;
        for (const auto &entry : ReadTapiRecords<LINEFORWARD>(status.get(), status->dwForwardOffset,
                                                              status->dwForwardSize, status->dwForwardNumEntries)) {
            entries.emplace_back(entry.dwForwardMode, Narrow(ReadTapiString(status.get(), entry.dwDestAddressOffset,
                                                                            entry.dwDestAddressSize)));
        }
        return entries;
    }

    /// Waits for the address-state hook of Ben's address with the FORWARD bit.
    static bool ForwardAnnounced()
    {
        return WaitFor([] {
            return HookIndex("line 1 OnAddressStateChange 0 " + HexOf(LINEADDRESSSTATE_FORWARD)) <
                   HookLog::Entries().size();
        });
    }
};

TEST_F(ForwardTest, TheCachedStatusFollowsForwardingAndCallsFollowTheList)
{
    CTapiAddress *address = lines[kBen]->GetAddress(0);
    ASSERT_EQ(lines[kBen]->SetStatusMessages(0, LINEADDRESSSTATE_FORWARD), 0u);
    // Read once, so the address keeps the status and the hook refreshes it.
    ASSERT_NE(address->GetAddressStatus(), nullptr);
    EXPECT_TRUE(Entries(address->GetAddressStatus()).empty());

    HookLog::Clear();
    ForwardList list(LINEFORWARDMODE_UNCOND, u"203");
    CTapiCall *consult = nullptr;
    const DWORD request = lines[kBen]->Forward(0, list.Get(), 0, &consult);
    ASSERT_TRUE(IsTapiRequestId(request)) << "the TAPI result, not the wait's";
    EXPECT_EQ(Reply(request), 0u);
    EXPECT_EQ(consult, nullptr) << "forwarding made no consultation call";
    ASSERT_TRUE(ForwardAnnounced());
    using Entry = std::pair<DWORD, std::string>;
    EXPECT_EQ(Entries(address->GetAddressStatus(false)), (std::vector<Entry>{{LINEFORWARDMODE_UNCOND, "203"}}))
        << "the hook re-read the kept status";

    // A customer calling Ben rings at Carl; Ben's line shows nothing.
    ASSERT_NE(Exchange().incomingCall(kBen, 0, kCustomer, u"Dora Engel"), 0u);
    CTapiCall *carl = RingsAt(kCarl);
    ASSERT_TRUE(Lists(kCarl, carl));
    EXPECT_EQ(carl->GetCallInfo(true)->dwReason, DWORD{LINECALLREASON_FWDUNCOND});
    EXPECT_EQ(lines[kBen]->GetCallCount(), 0u);

    // A null list cancels forwarding.
    HookLog::Clear();
    ASSERT_EQ(Reply(lines[kBen]->Forward(0, nullptr, 0, nullptr)), 0u);
    ASSERT_TRUE(ForwardAnnounced());
    EXPECT_TRUE(Entries(address->GetAddressStatus(false)).empty());
}

TEST_F(ForwardTest, ForwardingAllAddressesAndABadListGoThroughTheLine)
{
    ForwardList list(LINEFORWARDMODE_BUSY, u"204");
    Recorder().clear();
    ASSERT_EQ(Reply(lines[kBen]->Forward(0xFFFFFFFF, list.Get(), 3, nullptr)), 0u);
    const auto forward = Recorder().last("lineForwardW");
    ASSERT_TRUE(forward.has_value());
    EXPECT_EQ(forward->number("bAllAddresses"), 1u);
    EXPECT_EQ(forward->number("dwAddressID"), 0u);
    EXPECT_EQ(forward->number("dwNumRingsNoAnswer"), 3u);
    using Entry = std::pair<DWORD, std::string>;
    EXPECT_EQ(Entries(lines[kBen]->GetAddress(0)->GetAddressStatus(true)),
              (std::vector<Entry>{{LINEFORWARDMODE_BUSY, "204"}}));

    // A list whose entry lies outside it is refused at once; the old list stays.
    list.Get()->dwTotalSize = sizeof(LINEFORWARDLIST) - 4;
    const DWORD refused = lines[kBen]->Forward(0, list.Get(), 0, nullptr);
    EXPECT_TRUE(IsTapiError(refused)) << HexOf(refused);
    EXPECT_EQ(session->GetPendingRequestCount(), 0u);
    EXPECT_EQ(Entries(lines[kBen]->GetAddress(0)->GetAddressStatus(true)).size(), 1u);
}

} // namespace
} // namespace office
