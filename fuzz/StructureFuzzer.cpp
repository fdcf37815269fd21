// libFuzzer target: arbitrary bytes as the structures a provider fills, read by the
// object layer's readers and turned into the texts the call display shows.
//
// Input: byte 0 chooses the structure, byte 1 is a small parameter (a buffer size,
// a lamp), the rest are the bytes the provider wrote. The bytes go into a zero-filled
// block of at least the structure's fixed size whose dwTotalSize is the block's size,
// as the layer's fetches leave it. Besides sanitizer reports the target stops on any
// result that reaches beyond what it was read from.
#include "StructureFields.h"

#include "CTapiBuffer.h"
#include "CTapiCache.h"
#include "KTSPVarStruct.h"
#include "TapiCallTexts.h"
#include "TapiDeviceTexts.h"
#include "TapiFields.h"
#include "TapiLists.h"
#include "TapiVarString.h"

#include <app/CallTime.h>
#include <ui/main/CallDisplayTexts.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#define FUZZ_CHECK(condition)                                                                                          \
    do {                                                                                                               \
        if (!(condition)) {                                                                                            \
            std::fprintf(stderr, "check failed: %s (%s:%d)\n", #condition, __FILE__, __LINE__);                        \
            std::abort();                                                                                              \
        }                                                                                                              \
    } while (0)

namespace {

// A provider asking for more than this is answered as if it had asked for this much:
// the readers behave the same on any size, and megabyte blocks would only slow the run.
constexpr DWORD kLargestFetch = 16 * 1024;

struct Input {
    unsigned char parameter;
    const unsigned char *bytes;
    std::size_t size;
};

// The provider's bytes in a block of the structure's type, as a fetch leaves it.
template <class T> std::shared_ptr<CTapiBuffer> BlockOf(const Input &input)
{
    const std::size_t size = std::max(input.size, sizeof(T));
    auto block = CTapiBuffer::Create(static_cast<DWORD>(size));
    FUZZ_CHECK(block);
    std::memcpy(block->data(), input.bytes, input.size);
    block->RestoreTotalSize();
    return block;
}

// A provider answering a fetch: writes as much of the input as fits into the block it is
// given and asks for the dwNeededSize the input names.
DWORD Provide(const Input &input, CTapiBuffer &block)
{
    std::memcpy(block.data(), input.bytes, std::min<std::size_t>(input.size, block.size()));
    const DWORD needed = std::min(block.NeededSize(), kLargestFetch);
    std::memcpy(block.data() + 4, &needed, sizeof needed);
    return 0;
}

void CheckString(const void *structure, DWORD offset, DWORD size, const tapi_string &text)
{
    FUZZ_CHECK(text.size() * sizeof(WCHAR) <= size);
    FUZZ_CHECK(text.empty() || TapiFieldPresent(structure, offset, size));
}

// A device name is the field's text or, without one, the fallback.
void CheckName(const void *structure, DWORD offset, DWORD size, const tapi_string &name, const WCHAR *fallback)
{
    if (name != fallback)
        CheckString(structure, offset, size, name);
}

// Every variable field through every checked reader.
template <class T, std::size_t N>
void WalkFields(const T *structure, const std::array<VarField<T>, N> &fields, DWORD count)
{
    const auto *base = reinterpret_cast<const unsigned char *>(structure);
    const std::uint64_t total = structure->dwTotalSize;
    for (const VarField<T> &field : fields) {
        const DWORD size = structure->*field.size;
        const DWORD offset = structure->*field.offset;
        const bool present = TapiFieldPresent(structure, offset, size);
        FUZZ_CHECK(!present || std::uint64_t{offset} + size <= total);
        CheckString(structure, offset, size, ReadTapiString(structure, offset, size));
        // Byte records as many as the input asks for; larger ones as many as fit.
        for (const auto &[stride, wanted] : {std::pair{1u, count}, {4u, 0xFFFFFFFFu}, {24u, 0xFFFFFFFFu}}) {
            const auto records = TapiRecords(structure, offset, size, wanted, stride);
            FUZZ_CHECK(records.size() <= wanted && records.size() * std::uint64_t{stride} <= size);
            for (const unsigned char *at : records)
                FUZZ_CHECK(at >= base + offset && at + stride <= base + total);
        }
        if (ReadTapiDword(structure, offset))
            FUZZ_CHECK(std::uint64_t{offset} + 4 <= total);
    }
}

void CheckGroups(const std::vector<CTapiAgentGroupEntry> &groups, DWORD count, DWORD size)
{
    FUZZ_CHECK(groups.size() <= count);
    FUZZ_CHECK(groups.size() * sizeof(LINEAGENTGROUPENTRY) <= size);
    for (const CTapiAgentGroupEntry &group : groups)
        FUZZ_CHECK(group.name.size() * sizeof(WCHAR) < CTapiBuffer::kMaxSize);
}

void LineDevCaps(const Input &input)
{
    // Through a cache as the line keeps its capabilities, which clears what lies after dwUsedSize.
    CTapiCache cache;
    CTapiCache::Options options{sizeof(LINEDEVCAPS)};
    options.zeroTail = true;
    auto block = cache.Fetch(false, options,
                             [&](const std::shared_ptr<CTapiBuffer> &buffer) { return Provide(input, *buffer); });
    FUZZ_CHECK(block && block->size() >= sizeof(LINEDEVCAPS));
    const auto *caps = block->As<LINEDEVCAPS>();
    CheckName(caps, caps->dwLineNameOffset, caps->dwLineNameSize, TapiLineNameOf(caps), TAPI_TEXT("Line unnamed"));
    WalkFields(caps, kDevCapsFields, input.parameter);
}

void LineAddressCaps(const Input &input)
{
    auto block = BlockOf<LINEADDRESSCAPS>(input);
    const auto *caps = block->As<LINEADDRESSCAPS>();
    CheckName(caps, caps->dwAddressOffset, caps->dwAddressSize, TapiAddressNameOf(caps), TAPI_TEXT("Address unknown"));
    const auto messages = TapiCompletionMessages(caps);
    FUZZ_CHECK(messages.size() <= caps->dwNumCompletionMessages);
    for (const std::string &message : messages)
        FUZZ_CHECK(message.size() <= caps->dwCompletionMsgTextEntrySize);
    WalkFields(caps, kAddressCapsFields, input.parameter);
}

void LineCallInfo(const Input &input)
{
    auto block = BlockOf<LINECALLINFO>(input);
    const auto *info = block->As<LINECALLINFO>();
    for (TapiCallParty party : {TapiCallParty::Caller, TapiCallParty::Called, TapiCallParty::Connected,
                                TapiCallParty::Redirecting, TapiCallParty::Redirection}) {
        for (TapiPartyItem item : {TapiPartyItem::Number, TapiPartyItem::Name})
            FUZZ_CHECK(TapiCallPartyText(info, party, item).size() * sizeof(WCHAR) < block->size());
    }
    FUZZ_CHECK(!CallTypeText(info->dwReason).isEmpty());
    FUZZ_CHECK(!CallDirectionText(info->dwOrigin).isEmpty());
    FUZZ_CHECK(!MediaModeText(info->dwMediaMode).isEmpty());
    WalkFields(info, kCallInfoFields, input.parameter);
}

void LineCallStatus(const Input &input)
{
    auto block = BlockOf<LINECALLSTATUS>(input);
    const auto *status = block->As<LINECALLSTATUS>();
    FUZZ_CHECK(!TapiCallStateName(status->dwCallState).empty());
    TapiStateModeText(status->dwCallState, status->dwCallStateMode);
    const tapi_string features = TapiCallFeaturesText(status->dwCallFeatures, status->dwCallFeatures2);
    FUZZ_CHECK(features.size() >= 2 && features.compare(features.size() - 2, 2, TAPI_TEXT("\r\n")) == 0);
    FUZZ_CHECK(FormatElapsedTime(SecondsSince(status->tStateEntryTime)).size() == 8);
    WalkFields(status, kCallStatusFields, input.parameter);
}

void LineAddressStatus(const Input &input)
{
    auto block = BlockOf<LINEADDRESSSTATUS>(input);
    const auto *status = block->As<LINEADDRESSSTATUS>();
    const auto entries = TapiForwardEntries(status);
    FUZZ_CHECK(entries.size() <= status->dwForwardNumEntries);
    FUZZ_CHECK(entries.size() * sizeof(LINEFORWARD) <= status->dwForwardSize);
    WalkFields(status, kAddressStatusFields, input.parameter);
}

void PhoneCaps(const Input &input)
{
    auto block = BlockOf<PHONECAPS>(input);
    const auto *caps = block->As<PHONECAPS>();
    CheckName(caps, caps->dwPhoneNameOffset, caps->dwPhoneNameSize, TapiPhoneNameOf(caps), TAPI_TEXT("Phone unnamed"));
    WalkFields(caps, kPhoneCapsFields, input.parameter);
}

void PhoneStatus(const Input &input)
{
    auto block = BlockOf<PHONESTATUS>(input);
    const auto *status = block->As<PHONESTATUS>();
    FUZZ_CHECK(TapiPhoneDisplayOf(status).size() <= status->dwDisplaySize);
    // The lamps of the array, the one just past it, and the parameter's lamp far beyond.
    const DWORD lamps = std::min<DWORD>(status->dwLampModesSize / 4, 64);
    for (DWORD lamp = 0; lamp <= lamps; ++lamp)
        TapiLampModeOf(status, lamp);
    TapiLampModeOf(status, 0xFFFFFFFFu - input.parameter);
    TapiLampModeOf(status, 0x40000000u + input.parameter);
    WalkFields(status, kPhoneStatusFields, input.parameter);
}

void PhoneButtonInfo(const Input &input)
{
    auto block = BlockOf<PHONEBUTTONINFO>(input);
    const auto *button = block->As<PHONEBUTTONINFO>();
    CheckString(button, button->dwButtonTextOffset, button->dwButtonTextSize,
                ReadTapiString(button, button->dwButtonTextOffset, button->dwButtonTextSize));
    WalkFields(button, kButtonInfoFields, input.parameter);
}

// A VARSTRING through the holder's fetch, with the provider writing the input into
// whatever block it is given and asking for more while dwNeededSize says so.
void VarString(const Input &input)
{
    KTSPVarStruct<varstring_tag> holder;
    holder.Fetch([&](VARSTRING *buffer) -> LONG {
        const DWORD total = buffer->dwTotalSize;
        std::memcpy(buffer, input.bytes, std::min<std::size_t>(input.size, total));
        buffer->dwNeededSize = std::min(buffer->dwNeededSize, kLargestFetch);
        if ((input.parameter & 0x80) != 0 && buffer->dwNeededSize > total)
            return LINEERR_STRUCTURETOOSMALL;
        return 0;
    });
    TapiDecimalSettingOf(holder);
    const VARSTRING *text = holder.Get();
    FUZZ_CHECK(text && text->dwTotalSize == holder.GetAllocatedSize());
    // Destinations exactly as large as asked for, so that any overrun is reported.
    const DWORD capacity = input.parameter & 0x3F;
    std::vector<WCHAR> characters(std::max<DWORD>(capacity, 1), 0x55);
    if (holder.GetString(text->dwStringOffset, text->dwStringSize, characters.data(), capacity) == 0)
        FUZZ_CHECK(std::find(characters.begin(), characters.end(), 0) != characters.end());
    std::vector<unsigned char> bytes(input.parameter);
    CopyTapiStringBytes(text, bytes.data(), DWORD(bytes.size()));
    TapiDeviceIdOf(text);
    WalkFields(text, kVarStringFields, input.parameter);

    // The device-identifier query tells TAPI a smaller total than the block it hands over.
    auto block = BlockOf<VARSTRING>(input);
    auto *id = block->As<VARSTRING>();
    id->dwTotalSize = std::min<DWORD>(34, block->size());
    TapiDeviceIdOf(id);
}

void LineCallList(const Input &input)
{
    // Grown to the size the list asks for, as the line reads its new calls.
    std::shared_ptr<CTapiBuffer> block;
    const DWORD result = TapiFetchGrowing(
        sizeof(LINECALLLIST), [&](const std::shared_ptr<CTapiBuffer> &buffer) { return Provide(input, *buffer); },
        kLineFetchCodes, block);
    FUZZ_CHECK(result == 0 && block);
    const auto *list = block->As<LINECALLLIST>();
    const auto handles = TapiCallHandles(list);
    FUZZ_CHECK(handles.size() <= list->dwCallsNumEntries);
    FUZZ_CHECK(handles.size() * sizeof(HCALL) <= list->dwCallsSize);
    WalkFields(list, kCallListFields, input.parameter);
}

void AgentGroupList(const Input &input)
{
    auto block = BlockOf<LINEAGENTGROUPLIST>(input);
    const auto *list = block->As<LINEAGENTGROUPLIST>();
    CheckGroups(TapiAgentGroups(list), list->dwNumEntries, list->dwListSize);
    WalkFields(list, kGroupListFields, input.parameter);
}

void AgentActivityList(const Input &input)
{
    auto block = BlockOf<LINEAGENTACTIVITYLIST>(input);
    const auto *list = block->As<LINEAGENTACTIVITYLIST>();
    const auto activities = TapiAgentActivities(list);
    FUZZ_CHECK(activities.size() <= list->dwNumEntries);
    FUZZ_CHECK(activities.size() * sizeof(LINEAGENTACTIVITYENTRY) <= list->dwListSize);
    WalkFields(list, kActivityListFields, input.parameter);
}

void AgentStatus(const Input &input)
{
    auto block = BlockOf<LINEAGENTSTATUS>(input);
    const auto *status = block->As<LINEAGENTSTATUS>();
    CheckGroups(TapiAgentStatusGroups(status), status->dwNumEntries, status->dwGroupListSize);
    WalkFields(status, kAgentStatusFields, input.parameter);
}

void AgentCaps(const Input &input)
{
    auto block = BlockOf<LINEAGENTCAPS>(input);
    WalkFields(block->As<LINEAGENTCAPS>(), kAgentCapsFields, input.parameter);
}

void TranslateOutput(const Input &input)
{
    auto block = BlockOf<LINETRANSLATEOUTPUT>(input);
    WalkFields(block->As<LINETRANSLATEOUTPUT>(), kTranslateOutputFields, input.parameter);
}

using Reader = void (*)(const Input &);

constexpr Reader kReaders[] = {
    LineDevCaps,    LineAddressCaps,   LineCallInfo,    LineCallStatus, LineAddressStatus,
    PhoneCaps,      PhoneStatus,       PhoneButtonInfo, VarString,      LineCallList,
    AgentGroupList, AgentActivityList, AgentStatus,     AgentCaps,      TranslateOutput,
};

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    // A fixed "now", so that the elapsed time of a state is the same on every run.
    SetWallClockSource([] { return std::chrono::sys_days{std::chrono::year{2026} / 6 / 15}; });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 2 || size - 2 > CTapiBuffer::kMaxSize)
        return 0;
    const Input input{data[1], data + 2, size - 2};
    kReaders[data[0] % std::size(kReaders)](input);
    return 0;
}
