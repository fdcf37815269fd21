// Variable-size structures: the fetch rules, the caches shared between threads, the
// VARSTRING holder, and bounds-checked reading of provider data.
#include "CTapiBuffer.h"
#include "CTapiCache.h"
#include "KTSPVarStruct.h"
#include "TapiFields.h"
#include "TapiTestSession.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

// A structure of `size` bytes with a wide string placed at `offset`.
std::vector<unsigned char> StructureWith(DWORD size, DWORD offset, const tapi_string &text)
{
    std::vector<unsigned char> bytes(size);
    std::memcpy(bytes.data(), &size, 4);
    std::memcpy(bytes.data() + offset, text.c_str(), (text.size() + 1) * sizeof(WCHAR));
    return bytes;
}

TEST(TapiFieldsTest, StringsAreReadOnlyWithinTheStructure)
{
    auto bytes = StructureWith(64, 40, TAPI_TEXT("Line 7"));
    EXPECT_EQ(Narrow(ReadTapiString(bytes.data(), 40, 14)), "Line 7");
    EXPECT_EQ(Narrow(ReadTapiString(bytes.data(), 40, 8)), "Line") << "stops at the end of the field";
    EXPECT_EQ(ReadTapiString(bytes.data(), 40, 26), tapi_string()) << "field reaches past dwTotalSize";
    EXPECT_EQ(ReadTapiString(bytes.data(), 0xFFFFFFF0, 0x20), tapi_string()) << "offset + size wraps";
    EXPECT_EQ(ReadTapiString(bytes.data(), 0, 14), tapi_string());
    EXPECT_EQ(ReadTapiString(bytes.data(), 40, 0), tapi_string());
}

TEST(TapiFieldsTest, UnterminatedStringStopsAtTheEndOfTheStructure)
{
    std::vector<unsigned char> bytes(32, 'A');
    const DWORD size = 32;
    std::memcpy(bytes.data(), &size, 4);
    EXPECT_EQ(ReadTapiString(bytes.data(), 16, 16).size(), 8u);
}

TEST(TapiFieldsTest, RecordsBeyondTheFieldOrStructureAreNotRead)
{
    std::vector<unsigned char> bytes(40);
    const DWORD size = 40;
    std::memcpy(bytes.data(), &size, 4);
    for (DWORD i = 0; i < 4; ++i)
        std::memcpy(bytes.data() + 24 + 4 * i, &i, 4);
    EXPECT_EQ(ReadTapiRecords<DWORD>(bytes.data(), 24, 16, 4).size(), 4u);
    EXPECT_EQ(ReadTapiRecords<DWORD>(bytes.data(), 24, 8, 4).size(), 2u) << "count larger than the field";
    EXPECT_EQ(ReadTapiRecords<DWORD>(bytes.data(), 24, 16, 0xFFFFFFFF).size(), 4u);
    EXPECT_TRUE(ReadTapiRecords<DWORD>(bytes.data(), 32, 16, 4).empty()) << "field past the structure";
    EXPECT_FALSE(ReadTapiDword(bytes.data(), 37).has_value());
    EXPECT_EQ(ReadTapiDword(bytes.data(), 36).value_or(99), 3u);
}

TEST(TapiFetchTest, LargerNeededSizeLeadsToOneMoreCallOfExactlyThatSize)
{
    std::vector<DWORD> sizes;
    std::shared_ptr<CTapiBuffer> answer;
    const DWORD result = TapiFetchGrowing(
        1048,
        [&](const std::shared_ptr<CTapiBuffer> &buffer) {
            sizes.push_back(buffer->As<LINECALLLIST>()->dwTotalSize);
            buffer->As<LINECALLLIST>()->dwNeededSize = 3000;
            return DWORD{0};
        },
        kLineFetchCodes, answer);
    EXPECT_EQ(result, 0u);
    EXPECT_EQ(sizes, (std::vector<DWORD>{1048, 3000}));
    EXPECT_EQ(answer->size(), 3000u);
}

TEST(TapiFetchTest, EverGrowingProviderGetsAnErrorInsteadOfAHang)
{
    int calls = 0;
    std::shared_ptr<CTapiBuffer> answer;
    const DWORD result = TapiFetchGrowing(
        64,
        [&](const std::shared_ptr<CTapiBuffer> &buffer) {
            ++calls;
            buffer->As<VARSTRING>()->dwNeededSize = buffer->size() + 8;
            return DWORD{0};
        },
        kPhoneFetchCodes, answer);
    EXPECT_EQ(result, PHONEERR_STRUCTURETOOSMALL);
    EXPECT_EQ(calls, 10);

    const DWORD huge = TapiFetchGrowing(
        64,
        [](const std::shared_ptr<CTapiBuffer> &buffer) {
            buffer->As<VARSTRING>()->dwNeededSize = 0xFFFFFFFF;
            return DWORD{0};
        },
        kLineFetchCodes, answer);
    EXPECT_EQ(huge, LINEERR_STRUCTURETOOSMALL);
}

TEST(TapiFetchTest, ProviderChangingTheTotalSizeCannotWidenReads)
{
    std::shared_ptr<CTapiBuffer> answer;
    TapiFetchGrowing(
        64,
        [](const std::shared_ptr<CTapiBuffer> &buffer) {
            buffer->As<VARSTRING>()->dwTotalSize = 0x10000;
            return DWORD{0};
        },
        kLineFetchCodes, answer);
    EXPECT_EQ(answer->As<VARSTRING>()->dwTotalSize, 64u);
}

TEST(TapiCacheTest, FailedFirstFetchKeepsTheZeroFilledBlockForLaterReads)
{
    CTapiCache cache;
    int calls = 0;
    auto failing = [&](const std::shared_ptr<CTapiBuffer> &) {
        ++calls;
        return DWORD{LINEERR_NODEVICE};
    };
    EXPECT_EQ(cache.Fetch(false, {1316}, failing), nullptr);
    auto kept = cache.Fetch(false, {1316}, failing);
    ASSERT_NE(kept, nullptr);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(kept->As<LINEDEVCAPS>()->dwTotalSize, 1316u);
    EXPECT_EQ(kept->As<LINEDEVCAPS>()->dwNumAddresses, 0u);
}

TEST(TapiCacheTest, RefreshLeavesAReaderItsOwnCopyAndKeepsTheSize)
{
    CTapiCache cache;
    DWORD value = 1;
    std::vector<DWORD> sizes;
    auto fill = [&](const std::shared_ptr<CTapiBuffer> &buffer) {
        sizes.push_back(buffer->size());
        auto *status = buffer->As<LINECALLSTATUS>();
        status->dwCallState = value;
        status->dwNeededSize = 2000;
        return DWORD{0};
    };
    auto first = cache.Fetch(false, {1080}, fill);
    value = 2;
    auto second = cache.Fetch(true, {1080}, fill);
    EXPECT_EQ(first->As<LINECALLSTATUS>()->dwCallState, 1u) << "the earlier reader's block is untouched";
    EXPECT_EQ(second->As<LINECALLSTATUS>()->dwCallState, 2u);
    EXPECT_EQ(sizes, (std::vector<DWORD>{1080, 2000, 2000}));
    EXPECT_EQ(cache.Fetch(true, {1080}, [](const auto &) { return DWORD{LINEERR_INVALCALLHANDLE}; }), nullptr);
    EXPECT_EQ(cache.Get(), second) << "a failed refresh keeps the previous block";
}

TEST(TapiCacheTest, LineCapabilitiesTailIsZeroed)
{
    CTapiCache cache;
    CTapiCache::Options options{256};
    options.zeroTail = true;
    auto block = cache.Fetch(false, options, [](const std::shared_ptr<CTapiBuffer> &buffer) {
        std::memset(buffer->data() + 12, 0xAB, buffer->size() - 12);
        auto *caps = buffer->As<VARSTRING>();
        caps->dwNeededSize = caps->dwUsedSize = 100;
        return DWORD{0};
    });
    ASSERT_NE(block, nullptr);
    for (DWORD i = 100; i < block->size(); ++i)
        ASSERT_EQ(static_cast<int>(block->data()[i]), 0) << "byte " << i;
    EXPECT_EQ(static_cast<int>(block->data()[99]), 0xAB);
}

TEST(KTSPVarStructTest, GetStringRefusesAbsentFieldsAndShortensLongStrings)
{
    KTSPVarStruct<varstring_tag> holder;
    ASSERT_TRUE(holder.Resize(64));
    auto *text = holder.Get();
    text->dwStringOffset = 24;
    text->dwStringSize = 12;
    std::memcpy(reinterpret_cast<unsigned char *>(text) + 24, TAPI_TEXT("12345"), 12);
    WCHAR out[8] = {'x', 'x', 'x', 0};
    EXPECT_EQ(holder.GetString(0, 12, out, 8), -1);
    EXPECT_EQ(holder.GetString(24, 0, out, 8), -1);
    EXPECT_EQ(holder.GetString(24, 12, out, 0), -1);
    EXPECT_EQ(holder.GetString(60, 12, out, 8), -1) << "past dwTotalSize";
    EXPECT_EQ(Narrow(out), "xxx") << "untouched on failure";
    EXPECT_EQ(holder.GetString(24, 12, out, 8), 0);
    EXPECT_EQ(Narrow(out), "12345");
    EXPECT_EQ(holder.GetString(24, 12, out, 3), 0);
    EXPECT_EQ(Narrow(out), "12");
}

TEST(KTSPVarStructTest, FetchGivesUpAfterTenCalls)
{
    KTSPVarStruct<varstring_tag> holder;
    int calls = 0;
    const DWORD result = holder.Fetch([&](VARSTRING *buffer) {
        ++calls;
        buffer->dwNeededSize = buffer->dwTotalSize + 100;
        return LONG(0);
    });
    EXPECT_EQ(calls, 10);
    EXPECT_EQ(result, 0u) << "the last result, with an answer that still does not fit";
    EXPECT_EQ(holder.Get()->dwTotalSize, 344u + 900u);
}

TEST(KTSPVarStructTest, FetchFollowsStructureTooSmallAndStopsOnOtherErrors)
{
    KTSPVarStruct<varstring_tag> holder;
    std::vector<DWORD> sizes;
    const DWORD result = holder.Fetch([&](VARSTRING *buffer) {
        sizes.push_back(buffer->dwTotalSize);
        if (sizes.size() == 1) {
            buffer->dwNeededSize = 500;
            return LONG(LINEERR_STRUCTURETOOSMALL);
        }
        return LONG(LINEERR_INVALDEVICECLASS);
    });
    EXPECT_EQ(result, LINEERR_INVALDEVICECLASS);
    EXPECT_EQ(sizes, (std::vector<DWORD>{344, 500}));
    ASSERT_NE(holder.Get(), nullptr) << "the holder keeps its block on error";
}

} // namespace
