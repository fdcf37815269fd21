// The LINECALLPARAMS block a call is made with when the address, the
// predictive dialer or the extended make call ask for parameters: 680 bytes,
// the fixed part of TAPI 3.0 (180 bytes) followed by the texts, each a
// zero-terminated wide string placed after the one before.
#pragma once

#include "CTapiBuffer.h"
#include "TapiPlatform.h"

#include <memory>

/// Made empty; the first setter creates the zero-filled block. A text that does
/// not fit is not written: the block is then refused as a whole (`Fits`), so
/// TAPI never sees a truncated number or an offset past the block.
class CMakeCallParams {
public:
    static constexpr DWORD kBlockSize = 680;
    static constexpr DWORD kFixedSize = sizeof(LINECALLPARAMS);
    /// Bytes for texts, terminators included.
    static constexpr DWORD kTextSpace = kBlockSize - kFixedSize;

    /// Predictive dialing: interactive voice on address 0 by identifier, the
    /// auto-transfer states, the transfer-to number (dwTargetAddress) and the
    /// no-answer time-out in seconds.
    void SetPredictiveDialing(DWORD autoTransferStates, const tapi_string &transferTo, DWORD noAnswerTimeout);
    /// Interactive voice on the address with this identifier; clears the
    /// auto-transfer states.
    void SetAddress(DWORD addressId);
    /// The calling party id to present, LINECALLPARAMFLAGS_BLOCKID when `blockId`,
    /// LINECALLPARAMFLAGS_DESTOFFHOOK when `destOffHook`.
    void SetCallingParty(const tapi_string &callingPartyId, bool blockId, bool destOffHook);

    /// False until a setter asked for the block.
    bool HasParameters() const { return used_; }
    /// Bytes the texts take (or would take), terminators included.
    DWORD TextBytes() const { return textBytes_; }
    /// Whether every text fits into the block.
    bool Fits() const { return textBytes_ <= kTextSpace; }
    /// The block to hand to lineMakeCallW: null when none was made or it cannot
    /// be had whole (a text did not fit, or memory ran out).
    LPLINECALLPARAMS Get();

private:
    LINECALLPARAMS *Block();
    /// Writes `text` at the next free offset and points the two fields at it; a
    /// text that does not fit only counts its bytes.
    void PlaceText(const tapi_string &text, DWORD LINECALLPARAMS::*size, DWORD LINECALLPARAMS::*offset);

    std::shared_ptr<CTapiBuffer> block_;
    bool used_ = false;
    DWORD textBytes_ = 0;
};
