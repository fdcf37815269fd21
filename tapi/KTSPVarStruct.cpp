#include "KTSPVarStruct.h"

#include "CTapiBuffer.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>

namespace {

constexpr DWORD kInitialSize = 344;
constexpr int kMaxCalls = 10;

} // namespace

template <class Tag> bool KTSPVarStruct<Tag>::Resize(DWORD size)
{
    if (size < sizeof(Tag) || size > CTapiBuffer::kMaxSize)
        return false;
    std::unique_ptr<unsigned char[]> grown(new (std::nothrow) unsigned char[size]());
    if (!grown)
        return false;
    if (block_)
        std::memcpy(grown.get(), block_.get(), std::min(size, size_));
    block_ = std::move(grown);
    size_ = size;
    Get()->dwTotalSize = size;
    return true;
}

template <class Tag> DWORD KTSPVarStruct<Tag>::Fetch(const std::function<LONG(Tag *)> &call)
{
    DWORD size = kInitialSize;
    DWORD result = LINEERR_NOMEM;
    for (int calls = 0; calls < kMaxCalls; ++calls) {
        if (size == 0)
            return LINEERR_NOMEM;
        Resize(size);
        if (!block_)
            return LINEERR_NOMEM;
        result = TapiResult(call(Get()));
        // The provider must leave dwTotalSize alone; the holder's readers bound themselves by it.
        Get()->dwTotalSize = size_;
        if (result != 0 && result != LINEERR_STRUCTURETOOSMALL)
            return result;
        if (result == 0 && Get()->dwNeededSize <= Get()->dwTotalSize)
            return 0;
        size = Get()->dwNeededSize;
    }
    return result;
}

template <class Tag>
int KTSPVarStruct<Tag>::GetString(DWORD offset, DWORD size, WCHAR *destination, DWORD capacity) const
{
    const Tag *structure = Get();
    if (!structure || !destination || offset == 0 || size == 0 || capacity == 0)
        return -1;
    if (std::uint64_t{offset} + size > std::min(structure->dwTotalSize, size_))
        return -1;
    const std::uint64_t bytes = std::min<std::uint64_t>(size, 2ull * capacity - 2);
    const std::size_t units = static_cast<std::size_t>(bytes / sizeof(WCHAR));
    std::memcpy(destination, block_.get() + offset, units * sizeof(WCHAR));
    destination[units] = 0;
    return 0;
}

template class KTSPVarStruct<varstring_tag>;
