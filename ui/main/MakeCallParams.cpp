#include <ui/main/MakeCallParams.h>

#include <algorithm>
#include <cstdint>
#include <cstring>

static_assert(CMakeCallParams::kFixedSize == 180, "the TAPI 3.0 layout of LINECALLPARAMS");

LINECALLPARAMS *CMakeCallParams::Block()
{
    if (!used_) {
        used_ = true;
        block_ = CTapiBuffer::Create(kBlockSize);
    }
    return block_ ? block_->As<LINECALLPARAMS>() : nullptr;
}

void CMakeCallParams::PlaceText(const tapi_string &text, DWORD LINECALLPARAMS::*size, DWORD LINECALLPARAMS::*offset)
{
    LINECALLPARAMS *params = Block();
    // Counted in 64 bits: a text of any length is measured, never wrapped.
    const std::uint64_t bytes = (static_cast<std::uint64_t>(text.size()) + 1) * sizeof(WCHAR);
    const std::uint64_t at = kFixedSize + std::uint64_t{textBytes_};
    textBytes_ = static_cast<DWORD>(std::min<std::uint64_t>(textBytes_ + bytes, 0xFFFFFFFFu));
    if (!params || at + bytes > kBlockSize)
        return;
    std::memcpy(block_->data() + at, text.c_str(), bytes);
    params->*size = static_cast<DWORD>(bytes);
    params->*offset = static_cast<DWORD>(at);
}

void CMakeCallParams::SetPredictiveDialing(DWORD autoTransferStates, const tapi_string &transferTo,
                                           DWORD noAnswerTimeout)
{
    if (LINECALLPARAMS *params = Block()) {
        params->dwBearerMode = LINEBEARERMODE_VOICE;
        params->dwMediaMode = LINEMEDIAMODE_INTERACTIVEVOICE;
        params->dwCallParamFlags = 0;
        params->dwAddressID = 0;
        params->dwAddressMode = LINEADDRESSMODE_ADDRESSID;
        params->dwPredictiveAutoTransferStates = autoTransferStates;
        params->dwNoAnswerTimeout = noAnswerTimeout;
    }
    PlaceText(transferTo, &LINECALLPARAMS::dwTargetAddressSize, &LINECALLPARAMS::dwTargetAddressOffset);
}

void CMakeCallParams::SetAddress(DWORD addressId)
{
    if (LINECALLPARAMS *params = Block()) {
        params->dwBearerMode = LINEBEARERMODE_VOICE;
        params->dwMediaMode = LINEMEDIAMODE_INTERACTIVEVOICE;
        params->dwAddressID = addressId;
        params->dwAddressMode = LINEADDRESSMODE_ADDRESSID;
        params->dwPredictiveAutoTransferStates = 0;
    }
}

void CMakeCallParams::SetCallingParty(const tapi_string &callingPartyId, bool blockId, bool destOffHook)
{
    if (LINECALLPARAMS *params = Block()) {
        if (blockId)
            params->dwCallParamFlags |= LINECALLPARAMFLAGS_BLOCKID;
        if (destOffHook)
            params->dwCallParamFlags |= LINECALLPARAMFLAGS_DESTOFFHOOK;
    }
    PlaceText(callingPartyId, &LINECALLPARAMS::dwCallingPartyIDSize, &LINECALLPARAMS::dwCallingPartyIDOffset);
}

LPLINECALLPARAMS CMakeCallParams::Get()
{
    if (!block_ || !Fits())
        return nullptr;
    return block_->As<LINECALLPARAMS>();
}
