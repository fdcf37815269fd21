// A LINECALLPARAMS for voice calls with room for one text field after the
// fixed part, as an application builds it for lineMakeCallW.
#ifndef DIALWERK_TESTS_CALLPARAMSBLOCK_H
#define DIALWERK_TESTS_CALLPARAMSBLOCK_H

#include <tapi.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace tapitest {

class CallParamsBlock {
public:
    CallParamsBlock() : buffer_(sizeof(LINECALLPARAMS) + 64)
    {
        get()->dwTotalSize = DWORD(buffer_.size());
        get()->dwBearerMode = LINEBEARERMODE_VOICE;
        get()->dwMediaMode = LINEMEDIAMODE_INTERACTIVEVOICE;
    }
    LINECALLPARAMS *get() { return reinterpret_cast<LINECALLPARAMS *>(buffer_.data()); }

protected:
    /// Puts `text` (terminated) right after the fixed part and points the
    /// given size and offset fields at it.
    void setText(DWORD LINECALLPARAMS::*size, DWORD LINECALLPARAMS::*offset, const std::u16string &text)
    {
        get()->*offset = sizeof(LINECALLPARAMS);
        get()->*size = DWORD((text.size() + 1) * sizeof(char16_t));
        std::memcpy(buffer_.data() + sizeof(LINECALLPARAMS), text.c_str(), get()->*size);
    }

private:
    std::vector<uint8_t> buffer_;
};

} // namespace tapitest

#endif
