#ifndef DIALWERK_TAPI_CTAPIBUFFER_H
#define DIALWERK_TAPI_CTAPIBUFFER_H

#include "TapiPlatform.h"

#include <cstddef>
#include <functional>
#include <memory>

/// A zero-filled heap block holding one variable-size TAPI structure, whose
/// first DWORD (dwTotalSize) is the block's size.
class CTapiBuffer {
public:
    /// The largest structure the layer accepts from a provider.
    static constexpr DWORD kMaxSize = 4u << 20;

    /// A zero-filled block of `size` bytes (at least 12) with dwTotalSize set; null when it cannot be allocated.
    static std::shared_ptr<CTapiBuffer> Create(DWORD size);

    explicit CTapiBuffer(DWORD size);
    CTapiBuffer(const CTapiBuffer &) = delete;
    CTapiBuffer &operator=(const CTapiBuffer &) = delete;

    std::byte *data() { return data_.get(); }
    const std::byte *data() const { return data_.get(); }
    DWORD size() const { return size_; }
    template <class T> T *As() { return reinterpret_cast<T *>(data_.get()); }
    template <class T> const T *As() const { return reinterpret_cast<const T *>(data_.get()); }

    /// dwNeededSize as the provider reported it.
    DWORD NeededSize() const;
    /// Sets dwTotalSize back to the block's size (a provider must not change it).
    void RestoreTotalSize();
    /// Zeroes the bytes from dwUsedSize to the end of the block.
    void ZeroTail();

private:
    std::unique_ptr<std::byte[]> data_;
    DWORD size_;
};

/// A structure handed out by the layer. The holder keeps the structure alive even
/// when another thread refreshes the owner's cache meanwhile.
template <class T> using TapiStructPtr = std::shared_ptr<const T>;

template <class T> TapiStructPtr<T> TapiStructOf(const std::shared_ptr<CTapiBuffer> &buffer)
{
    if (!buffer)
        return nullptr;
    return TapiStructPtr<T>(buffer, buffer->As<T>());
}

/// Codes a fetch returns for its own failures (line or phone family).
struct TapiFetchCodes {
    DWORD noMemory;
    DWORD tooLarge;
};
inline constexpr TapiFetchCodes kLineFetchCodes{LINEERR_NOMEM, LINEERR_STRUCTURETOOSMALL};
inline constexpr TapiFetchCodes kPhoneFetchCodes{PHONEERR_NOMEM, PHONEERR_STRUCTURETOOSMALL};

/// Calls TAPI with a block; returns the TAPI result (or the outcome of its wait).
using TapiFetchCall = std::function<DWORD(const std::shared_ptr<CTapiBuffer> &)>;

/// Fetches a structure in full: allocates `size` bytes, calls `call`, and while the
/// answer reports a larger dwNeededSize allocates that size and calls again.
/// Returns 0 with `out` holding the answer, or an error with `out` holding the last
/// block TAPI was given (null when none could be allocated). A provider that keeps
/// raising dwNeededSize gets `tooLarge` after 10 calls or beyond CTapiBuffer::kMaxSize.
DWORD TapiFetchGrowing(DWORD size, const TapiFetchCall &call, TapiFetchCodes codes, std::shared_ptr<CTapiBuffer> &out);

#endif
