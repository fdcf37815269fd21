#include <ui/dialogs/ForwardingEntries.h>

#include <ui/dialogs/DialogParts.h>

#include "CTapiBuffer.h"

#include <cstddef>
#include <cstring>

namespace {

constexpr ValueText kModeNames[] = {
    {LINEFORWARDMODE_UNCOND, "LINEFORWARDMODE_UNCOND"},
    {LINEFORWARDMODE_UNCONDINTERNAL, "LINEFORWARDMODE_UNCONDINTERNAL"},
    {LINEFORWARDMODE_UNCONDEXTERNAL, "LINEFORWARDMODE_UNCONDEXTERNAL"},
    {LINEFORWARDMODE_UNCONDSPECIFIC, "LINEFORWARDMODE_UNCONDSPECIFIC"},
    {LINEFORWARDMODE_BUSY, "LINEFORWARDMODE_BUSY"},
    {LINEFORWARDMODE_BUSYINTERNAL, "LINEFORWARDMODE_BUSYINTERNAL"},
    {LINEFORWARDMODE_BUSYEXTERNAL, "LINEFORWARDMODE_BUSYEXTERNAL"},
    {LINEFORWARDMODE_BUSYSPECIFIC, "LINEFORWARDMODE_BUSYSPECIFIC"},
    {LINEFORWARDMODE_NOANSW, "LINEFORWARDMODE_NOANSW"},
    {LINEFORWARDMODE_NOANSWINTERNAL, "LINEFORWARDMODE_NOANSWINTERNAL"},
    {LINEFORWARDMODE_NOANSWEXTERNAL, "LINEFORWARDMODE_NOANSWEXTERNAL"},
    {LINEFORWARDMODE_NOANSWSPECIFIC, "LINEFORWARDMODE_NOANSWSPECIFIC"},
    {LINEFORWARDMODE_BUSYNA, "LINEFORWARDMODE_BUSYNA"},
    {LINEFORWARDMODE_BUSYNAINTERNAL, "LINEFORWARDMODE_BUSYNAINTERNAL"},
    {LINEFORWARDMODE_BUSYNAEXTERNAL, "LINEFORWARDMODE_BUSYNAEXTERNAL"},
    {LINEFORWARDMODE_BUSYNASPECIFIC, "LINEFORWARDMODE_BUSYNASPECIFIC"},
    {LINEFORWARDMODE_UNAVAIL, "LINEFORWARDMODE_UNAVAIL"},
};

constexpr DWORD kFixedSize = sizeof(LINEFORWARDLIST); // with its one record
constexpr DWORD kHeaderSize = offsetof(LINEFORWARDLIST, ForwardList);

// Bytes of a text with its terminator; 0 for an empty text, which is not stored.
DWORD TextBytes(const QString &text)
{
    return text.isEmpty() ? 0 : DWORD(text.size() + 1) * sizeof(WCHAR);
}

// Stores a text at `offset` and points the record's size and offset at it.
void PutText(CTapiBuffer &block, const QString &text, DWORD &offset, DWORD &sizeField, DWORD &offsetField)
{
    const DWORD bytes = TextBytes(text);
    if (bytes == 0)
        return;
    std::memcpy(block.data() + offset, text.utf16(), bytes - sizeof(WCHAR)); // the block is zero-filled
    sizeField = bytes;
    offsetField = offset;
    offset += bytes;
}

} // namespace

QString ForwardModeName(DWORD mode)
{
    return TextOfValue(kModeNames, mode, "LINEFORWARDMODE_UNKNOWN");
}

QString CutText(const QString &text, int characters)
{
    if (text.size() <= characters)
        return text;
    QString cut = text.left(characters);
    if (!cut.isEmpty() && cut.back().isHighSurrogate())
        cut.chop(1);
    return cut;
}

std::shared_ptr<CTapiBuffer> BuildForwardList(const std::vector<ForwardingEntry> &entries, int key)
{
    std::vector<const ForwardingEntry *> chosen;
    DWORD total = kFixedSize;
    for (const ForwardingEntry &entry : entries) {
        if (key != ForwardingEntry::kAllAddresses && entry.addressKey != key)
            continue;
        chosen.push_back(&entry);
        total += sizeof(LINEFORWARD) + TextBytes(entry.destination) + TextBytes(entry.caller);
    }
    auto block = CTapiBuffer::Create(total);
    if (!block)
        return nullptr;
    auto *list = block->As<LINEFORWARDLIST>();
    list->dwNumEntries = DWORD(chosen.size());
    DWORD offset = kHeaderSize + DWORD(chosen.size()) * sizeof(LINEFORWARD);
    for (std::size_t i = 0; i < chosen.size(); ++i) {
        // Records are written through a copy: the list's array is declared with one element.
        LINEFORWARD record{};
        record.dwForwardMode = chosen[i]->mode;
        PutText(*block, chosen[i]->caller, offset, record.dwCallerAddressSize, record.dwCallerAddressOffset);
        PutText(*block, chosen[i]->destination, offset, record.dwDestAddressSize, record.dwDestAddressOffset);
        std::memcpy(block->data() + kHeaderSize + i * sizeof record, &record, sizeof record);
    }
    return block;
}
