#include "CTapiCache.h"

std::shared_ptr<CTapiBuffer> CTapiCache::Get() const
{
    std::lock_guard lock(mutex_);
    return block_;
}

void CTapiCache::Clear()
{
    std::shared_ptr<CTapiBuffer> dropped;
    std::lock_guard lock(mutex_);
    dropped.swap(block_);
}

std::shared_ptr<CTapiBuffer> CTapiCache::Fetch(bool force, const Options &options, const TapiFetchCall &call)
{
    std::shared_ptr<CTapiBuffer> current;
    std::uint64_t ticket;
    {
        std::lock_guard lock(mutex_);
        current = block_;
        if (current && !force)
            return current;
        ticket = ++started_;
    }
    std::shared_ptr<CTapiBuffer> answer;
    const DWORD result = TapiFetchGrowing(current ? current->size() : options.initialSize, call, options.codes, answer);
    if (result != 0) {
        if (answer && options.keepFailedBlock) {
            std::lock_guard lock(mutex_);
            if (!block_)
                block_ = answer;
        }
        return nullptr;
    }
    if (options.zeroTail)
        answer->ZeroTail();
    std::lock_guard lock(mutex_);
    // Of two fetches that overlap, the one asked later holds the newer answer: an older
    // answer that comes back last does not replace it.
    if (ticket > published_) {
        block_ = answer;
        published_ = ticket;
    }
    return answer;
}
