#ifndef DIALWERK_TAPI_CTAPICACHE_H
#define DIALWERK_TAPI_CTAPICACHE_H

#include "CTapiBuffer.h"

#include <cstdint>
#include <mutex>

/// A cached TAPI structure of an object (capabilities, status, call information).
/// Every fetch fills a fresh block and then publishes it, so a reader holding the
/// previous block keeps a complete, unchanging copy.
class CTapiCache {
public:
    struct Options {
        DWORD initialSize;
        TapiFetchCodes codes = kLineFetchCodes;
        /// Zero the bytes after dwUsedSize (line capabilities).
        bool zeroTail = false;
        /// After a failed first fetch keep the zero-filled block, so that later
        /// reads without force return it instead of asking TAPI again.
        bool keepFailedBlock = true;
    };

    /// Returns the cached block unless `force` is set or there is none; otherwise
    /// fetches it anew at the cached size (or the initial size). A failed fetch
    /// returns null and leaves the previous block in place.
    std::shared_ptr<CTapiBuffer> Fetch(bool force, const Options &options, const TapiFetchCall &call);
    /// The cached block without calling TAPI (null before the first fetch).
    std::shared_ptr<CTapiBuffer> Get() const;
    /// Whether a block is cached.
    bool Exists() const { return Get() != nullptr; }
    /// Drops the cached block.
    void Clear();

private:
    // Guards block_, started_ and published_; a leaf lock, never held while TAPI is called.
    mutable std::mutex mutex_;
    std::shared_ptr<CTapiBuffer> block_;
    std::uint64_t started_ = 0;   // fetches begun, numbering them in the order they asked
    std::uint64_t published_ = 0; // the number of the fetch whose answer block_ holds
};

#endif
