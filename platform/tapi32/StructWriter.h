// Laying a provider's answer into an application's variable-size structure
// with dwTotalSize, dwNeededSize and dwUsedSize as TAPI defines them, and the
// fixed part each structure has at each API version.
#ifndef DIALWERK_TAPI32_STRUCTWRITER_H
#define DIALWERK_TAPI32_STRUCTWRITER_H

#include <exchange/core/VarStruct.h>
#include <exchange/untidy/UntidyOptions.h>

#include <functional>

#include <tapi.h>

namespace tapi32 {

/// Structures whose fixed part grew with the API version.
enum class Struct {
    LineDevCaps,
    LineAddressCaps,
    LineDevStatus,
    LineAddressStatus,
    LineCallInfo,
    LineCallStatus,
    LineCallParams,
    PhoneCaps,
    PhoneStatus,
};

/// What an untidy provider does to one structure it fills (see
/// StructFaults.cpp); the default fills it tidily.
struct StructFaults {
    DWORD extraNeeded = 0; // dwNeededSize claims this many bytes more than used
    /// Asked, only where the option could show, whether an untidy option
    /// (NeededSizeAgain, PartlyFilled, UnterminatedStrings) applies.
    std::function<bool(exchange::Untidy)> untidy;
};

/// Bytes of the fixed part of a structure at an API version.
DWORD fixedSize(Struct s, DWORD apiVersion);

/// Fills `buffer` (whose first DWORD is dwTotalSize) from `answer`:
/// - null buffer: LINEERR_INVALPOINTER (or `invalPointer`);
/// - dwTotalSize below `fixed`: `tooSmall` and nothing written;
/// - otherwise the fixed part is written up to `fixed` bytes, and the
///   variable fields too when they all fit; dwNeededSize tells what the
///   whole answer needs and dwUsedSize what was written, unless `faults`
///   make it untidy. Fields whose size member lies beyond the fixed part of
///   this version are left out. Answers 0.
LONG writeStruct(void *buffer, const exchange::VarStruct &answer, DWORD fixed, const StructFaults &faults = {},
                 LONG tooSmall = LINEERR_STRUCTURETOOSMALL, LONG invalPointer = LINEERR_INVALPOINTER);

/// A VARSTRING answer holding `size` bytes of `data` in `format` (Unicode
/// data counts as a string).
exchange::VarStruct varString(DWORD format, const void *data, size_t size);

/// dwTotalSize of a caller's structure (0 for a null pointer).
DWORD totalSizeOf(const void *buffer);

} // namespace tapi32

#endif
