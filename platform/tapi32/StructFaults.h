// The untidy structure options, as decisions on where a structure's fields
// go before the writer lays them into an application's buffer.
#ifndef DIALWERK_TAPI32_STRUCTFAULTS_H
#define DIALWERK_TAPI32_STRUCTFAULTS_H

#include "tapi32/StructWriter.h"

#include <vector>

namespace tapi32 {

/// One variable field with the place the writer gives it.
struct PlacedField {
    uint32_t sizeMember = 0;
    DWORD offset = 0;
    const exchange::VarStruct::Field *field = nullptr;
    bool written = true;   // its bytes are copied (else they stay as the zeroed rest)
    bool unterminated = false; // its last character, the terminator, is left out
    DWORD size() const
    {
        return DWORD(field->bytes.size()) - (unterminated ? DWORD(sizeof(char16_t)) : 0);
    }
};

/// How the header and the variable part come out.
struct Layout {
    DWORD total = 0;     // the caller's dwTotalSize
    DWORD fixed = 0;     // bytes of the fixed part
    uint64_t needed = 0; // dwNeededSize
    DWORD used = 0;      // dwUsedSize
    bool fill = false;   // the variable fields are laid (else their members stay 0)
    DWORD zeroFrom = 0xFFFFFFFF; // bytes from here to dwTotalSize are zeroed
};

/// Changes a tidy layout as `faults` ask; a layout that does not fit the
/// caller's buffer is only ever inflated.
void applyFaults(const StructFaults &faults, std::vector<PlacedField> &placed, Layout &layout);

} // namespace tapi32

#endif
