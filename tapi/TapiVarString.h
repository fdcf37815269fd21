// Values a provider returns in a VARSTRING: a device identifier, a number written
// as text, the bytes of a string. The string is checked against the structure's
// dwTotalSize before it is read.
#ifndef DIALWERK_TAPI_TAPIVARSTRING_H
#define DIALWERK_TAPI_TAPIVARSTRING_H

#include "KTSPVarStruct.h"
#include "TapiPlatform.h"

/// The device identifier a VARSTRING carries as its first DWORD; 0xFFFFFFFF when the
/// string is shorter than a DWORD, absent, or lies outside the structure.
DWORD TapiDeviceIdOf(const VARSTRING *id);

/// The number a setting holds as text (optional blanks and sign, then decimal digits,
/// read from at most its first 199 characters); 0 without a string, without digits, or
/// for a value beyond a 32-bit int.
int TapiDecimalSettingOf(const KTSPVarStruct<varstring_tag> &setting);

/// A number written as text: optional blanks and sign, then decimal digits up to the
/// terminator or the first other character; 0 for a value beyond a 32-bit int.
int ParseTapiDecimal(const WCHAR *text);

/// Copies the bytes of the string (at most `bufferSize`) into `buffer`; copies nothing
/// when the string is absent or lies outside the structure.
void CopyTapiStringBytes(const VARSTRING *text, void *buffer, DWORD bufferSize);

#endif
