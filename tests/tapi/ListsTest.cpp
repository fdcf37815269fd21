// Lists inside provider structures: forwarding entries and completion messages from
// structures whose counts, offsets and sizes do not agree with the block.
#include "CTapiBuffer.h"
#include "TapiLists.h"
#include "TapiTestSession.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

template <class T> T *At(CTapiBuffer &block, DWORD offset)
{
    return reinterpret_cast<T *>(block.data() + offset);
}

TEST(TapiListsTest, ForwardEntriesKeepTheirModeWhenTheirTextLiesOutside)
{
    auto block = CTapiBuffer::Create(256);
    auto *status = block->As<LINEADDRESSSTATUS>();
    const DWORD records = sizeof(LINEADDRESSSTATUS);
    status->dwForwardOffset = records;
    // Room for two records while the provider claims five.
    status->dwForwardSize = 2 * sizeof(LINEFORWARD);
    status->dwForwardNumEntries = 5;
    const DWORD text = records + 2 * sizeof(LINEFORWARD);
    std::memcpy(block->data() + text, u"200", 8);
    LINEFORWARD first{};
    first.dwForwardMode = LINEFORWARDMODE_UNCOND;
    first.dwDestAddressOffset = text;
    first.dwDestAddressSize = 8;
    LINEFORWARD second{};
    second.dwForwardMode = LINEFORWARDMODE_BUSY;
    second.dwDestAddressOffset = 250; // runs past the block
    second.dwDestAddressSize = 8;
    second.dwCallerAddressOffset = 0xFFFFFFFC; // wraps
    second.dwCallerAddressSize = 8;
    std::memcpy(At<unsigned char>(*block, records), &first, sizeof first);
    std::memcpy(At<unsigned char>(*block, records + sizeof first), &second, sizeof second);

    const auto entries = TapiForwardEntries(status);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(Narrow(entries[0].destination), "200");
    EXPECT_EQ(entries[1].mode, DWORD{LINEFORWARDMODE_BUSY});
    EXPECT_TRUE(entries[1].destination.empty());
    EXPECT_TRUE(entries[1].caller.empty());
    EXPECT_TRUE(TapiForwardEntries(nullptr).empty());
}

TEST(TapiListsTest, CompletionMessagesAreCutAtTheirEntryAndReadOnlyWhenAllLieInside)
{
    struct Row {
        const char *what;
        DWORD count;
        DWORD entrySize;
        DWORD offset;
        std::vector<std::string> expected;
    };
    const DWORD start = sizeof(LINEADDRESSCAPS);
    const Row rows[] = {
        {"terminated and unterminated entries", 2, 6, start, {"Busy", "Callba"}},
        {"three whole entries", 3, 6, start, {"Busy", "Callba", "ckZZZZ"}},
        {"count beyond the block", 4, 6, start, {}},
        {"count times size beyond 32 bits", 0x80000000, 4, start, {}},
        {"entry size 0", 3, 0, start, {}},
        {"field past the block", 1, 6, start + 14, {}},
    };
    for (const Row &row : rows) {
        auto block = CTapiBuffer::Create(start + 18);
        std::memcpy(block->data() + start, "Busy\0\0CallbackZZZZ", 18);
        auto *caps = block->As<LINEADDRESSCAPS>();
        caps->dwNumCompletionMessages = row.count;
        caps->dwCompletionMsgTextEntrySize = row.entrySize;
        caps->dwCompletionMsgTextOffset = row.offset;
        caps->dwCompletionMsgTextSize = row.count * row.entrySize;
        EXPECT_EQ(TapiCompletionMessages(caps), row.expected) << row.what;
    }
}

} // namespace
