#ifndef DIALWERK_TAPI_KTSPVARSTRUCT_H
#define DIALWERK_TAPI_KTSPVARSTRUCT_H

#include "TapiPlatform.h"

#include <functional>
#include <memory>

/// Owns the heap block of one variable-size TAPI structure (the tag names the
/// structure type, e.g. varstring_tag for VARSTRING) and frees it on every exit path.
template <class Tag> class KTSPVarStruct {
public:
    KTSPVarStruct() = default;
    KTSPVarStruct(const KTSPVarStruct &) = delete;
    KTSPVarStruct &operator=(const KTSPVarStruct &) = delete;
    virtual ~KTSPVarStruct() = default;

    /// The structure, or null when the holder is empty.
    Tag *Get() { return reinterpret_cast<Tag *>(block_.get()); }
    const Tag *Get() const { return reinterpret_cast<const Tag *>(block_.get()); }
    /// The size of the block in bytes (0 when empty).
    DWORD GetAllocatedSize() const { return size_; }

    /// Replaces the block by a zero-filled one of `size` bytes that keeps the old
    /// contents; dwTotalSize becomes `size`. On failure the old block and its
    /// dwTotalSize stay and false is returned.
    bool Resize(DWORD size);

    /// Fills the holder by `call`: starts at 344 bytes and follows dwNeededSize for at most
    /// 10 calls. Returns the TAPI result: LINEERR_NOMEM when no block can be had; an error
    /// other than LINEERR_STRUCTURETOOSMALL, or 0 with an answer that fits, ends at once;
    /// after the 10th call the last result (possibly 0 with an answer that does not fit).
    DWORD Fetch(const std::function<LONG(Tag *)> &call);

    /// Copies the string of `size` bytes at `offset` into `destination` (capacity in
    /// wide characters, terminator included), shortened to fit and terminated.
    /// Returns 0, or -1 (destination untouched) when the field is absent, lies
    /// outside the structure, or the capacity is 0.
    int GetString(DWORD offset, DWORD size, WCHAR *destination, DWORD capacity) const;

private:
    std::unique_ptr<unsigned char[]> block_;
    DWORD size_ = 0;
};

extern template class KTSPVarStruct<varstring_tag>;

#endif
