// Reading what an application hands in: strings and structures are copied
// once and checked against their own sizes before anything uses them.
#ifndef DIALWERK_TAPI32_INPUTSTRUCT_H
#define DIALWERK_TAPI32_INPUTSTRUCT_H

#include <tapi.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace tapi32 {

/// Longest string an application may pass, in characters.
constexpr size_t kMaxInputChars = 4096;
/// Largest structure an application may pass, in bytes.
constexpr DWORD kMaxInputStruct = 1u << 20;

/// Copies a zero-terminated UTF-16 string of at most kMaxInputChars.
/// False when it has no terminator within that length.
bool readWide(LPCWSTR text, std::u16string &out);

/// A copy of an input structure that starts with dwTotalSize.
class InputStruct {
public:
    /// Copies dwTotalSize bytes. Answers 0, `tooSmall` when dwTotalSize is
    /// below `fixed`, or `invalid` when it is larger than kMaxInputStruct or
    /// a listed dwXxxSize/dwXxxOffset pair lies outside the structure or
    /// inside its fixed part.
    LONG read(const void *p, DWORD fixed, std::initializer_list<uint32_t> sizeMembers, LONG tooSmall, LONG invalid);

    DWORD dword(uint32_t offset) const;
    /// The bytes of a variable field (empty when its size is 0 or the field
    /// is not part of the structure's version).
    std::vector<uint8_t> bytes(uint32_t sizeMember) const;
    /// A variable field read as UTF-16 text, up to its terminator.
    std::u16string text(uint32_t sizeMember) const;
    const std::vector<uint8_t> &raw() const { return bytes_; }

private:
    std::vector<uint8_t> bytes_;
    DWORD fixed_ = 0;
};

} // namespace tapi32

#endif
