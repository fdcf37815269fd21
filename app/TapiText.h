// Wide TAPI text (UTF-16) to and from the windows' text.
#pragma once

#include "TapiPlatform.h"

#include <QString>

inline QString ToQString(const tapi_string &text)
{
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

inline tapi_string ToTapiString(const QString &text)
{
    return tapi_string(reinterpret_cast<const WCHAR *>(text.utf16()), static_cast<std::size_t>(text.size()));
}
