// A TAPI variable-size structure as the exchange answers it, before it is
// laid into an application's buffer: the complete fixed part and the
// variable fields that follow it.
#ifndef DIALWERK_EXCHANGE_CORE_VARSTRUCT_H
#define DIALWERK_EXCHANGE_CORE_VARSTRUCT_H

#include <tapi.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

namespace exchange {

/// The fixed part (dwTotalSize, dwNeededSize and dwUsedSize included but left
/// for the writer) and the variable fields, each named by the byte offset of
/// its dwXxxSize member; the matching dwXxxOffset member follows it.
struct VarStruct {
    struct Field {
        uint32_t sizeMember = 0;
        std::vector<uint8_t> bytes;
        bool text = false; // a zero-terminated UTF-16 string
    };

    std::vector<uint8_t> fixed;
    std::vector<Field> fields;

    /// Starts from a filled fixed part of type T.
    template <class T> static VarStruct of(const T &fixedPart)
    {
        VarStruct v;
        v.fixed.resize(sizeof(T));
        std::memcpy(v.fixed.data(), &fixedPart, sizeof(T));
        return v;
    }

    /// Appends a zero-terminated UTF-16 string; an empty string adds nothing.
    void addText(uint32_t sizeMember, std::u16string_view text);
    /// Appends raw bytes; an empty block adds nothing.
    void addBytes(uint32_t sizeMember, const void *data, size_t size);
    void addBytes(uint32_t sizeMember, const std::vector<uint8_t> &bytes)
    {
        addBytes(sizeMember, bytes.data(), bytes.size());
    }

    /// Reads or writes a DWORD of the fixed part at a byte offset.
    DWORD get(uint32_t offset) const;
    void set(uint32_t offset, DWORD value);
};

} // namespace exchange

#endif
