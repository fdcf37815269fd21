// Bounds-checked reading of the variable part of TAPI structures. A structure
// comes from a provider and is not trusted: every offset and size is checked
// against the structure's dwTotalSize (which the layer sets to the size of the
// block it allocated) before anything is read.
#ifndef DIALWERK_TAPI_TAPIFIELDS_H
#define DIALWERK_TAPI_TAPIFIELDS_H

#include "TapiPlatform.h"

#include <cstring>
#include <optional>
#include <vector>

/// Whether `size` bytes at `offset` lie within the structure (both non-zero).
bool TapiFieldPresent(const void *structure, DWORD offset, DWORD size);

/// The zero-terminated wide string of a field, stopping at the end of the field;
/// empty when the field is absent or does not lie within the structure.
tapi_string ReadTapiString(const void *structure, DWORD offset, DWORD size);

/// The 32-bit value at `offset` (which must lie within the structure), or nothing.
std::optional<DWORD> ReadTapiDword(const void *structure, DWORD offset);

/// Up to `count` records of `stride` bytes from a field of `size` bytes at `offset`;
/// only the records that lie wholly within the field and the structure are returned,
/// each as the raw bytes of one record.
std::vector<const unsigned char *> TapiRecords(const void *structure, DWORD offset, DWORD size, DWORD count,
                                               DWORD stride);

/// Copies the records of TapiRecords into values of a packed TAPI record type.
template <class Record>
std::vector<Record> ReadTapiRecords(const void *structure, DWORD offset, DWORD size, DWORD count,
                                    DWORD stride = sizeof(Record))
{
    std::vector<Record> records;
    if (stride < sizeof(Record))
        return records;
    for (const unsigned char *at : TapiRecords(structure, offset, size, count, stride)) {
        Record record;
        std::memcpy(&record, at, sizeof record);
        records.push_back(record);
    }
    return records;
}

#endif
