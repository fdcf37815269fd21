#include "CTapiBuffer.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace {

// A structure that still does not fit after this many calls is not going to.
constexpr int kMaxFetchCalls = 10;
// dwTotalSize, dwNeededSize, dwUsedSize.
constexpr DWORD kHeaderSize = 12;

DWORD ReadDword(const std::byte *at)
{
    DWORD value;
    std::memcpy(&value, at, sizeof value);
    return value;
}

} // namespace

CTapiBuffer::CTapiBuffer(DWORD size) : data_(new (std::nothrow) std::byte[size]()), size_(data_ ? size : 0)
{
    if (data_)
        std::memcpy(data_.get(), &size_, sizeof size_);
}

std::shared_ptr<CTapiBuffer> CTapiBuffer::Create(DWORD size)
{
    if (size < kHeaderSize || size > kMaxSize)
        return nullptr;
    auto buffer = std::shared_ptr<CTapiBuffer>(new (std::nothrow) CTapiBuffer(size));
    if (!buffer || !buffer->data_)
        return nullptr;
    return buffer;
}

DWORD CTapiBuffer::NeededSize() const
{
    return ReadDword(data_.get() + 4);
}

void CTapiBuffer::RestoreTotalSize()
{
    std::memcpy(data_.get(), &size_, sizeof size_);
}

void CTapiBuffer::ZeroTail()
{
    const DWORD used = std::min(ReadDword(data_.get() + 8), size_);
    std::memset(data_.get() + used, 0, size_ - used);
}

DWORD TapiFetchGrowing(DWORD size, const TapiFetchCall &call, TapiFetchCodes codes, std::shared_ptr<CTapiBuffer> &out)
{
    out.reset();
    for (int calls = 0; calls < kMaxFetchCalls; ++calls) {
        if (size > CTapiBuffer::kMaxSize)
            return codes.tooLarge;
        auto buffer = CTapiBuffer::Create(size);
        if (!buffer)
            return codes.noMemory;
        out = buffer;
        const DWORD result = call(buffer);
        buffer->RestoreTotalSize();
        if (result != 0)
            return result;
        const DWORD needed = buffer->NeededSize();
        if (needed <= size)
            return 0;
        size = needed;
    }
    return codes.tooLarge;
}
