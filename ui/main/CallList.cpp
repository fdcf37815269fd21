#include <ui/main/CallList.h>

#include "CTapiLine.h"

#include <algorithm>
#include <utility>

CTapiCall *CCallList::Current()
{
    if (current_ < 0 || current_ >= Size()) {
        current_ = -1;
        return nullptr;
    }
    return calls_[static_cast<std::size_t>(current_)];
}

CTapiCall *CCallList::At(int index) const
{
    return index >= 0 && index < Size() ? calls_[static_cast<std::size_t>(index)] : nullptr;
}

int CCallList::IndexOf(const CTapiCall *call) const
{
    const auto found = std::find(calls_.begin(), calls_.end(), call);
    return found == calls_.end() ? -1 : static_cast<int>(found - calls_.begin());
}

bool CCallList::Add(CTapiCallPtr call)
{
    if (!call || IndexOf(call.get()) >= 0)
        return false;
    calls_.push_back(call.get());
    refs_.push_back(std::move(call));
    return true;
}

CTapiCallPtr CCallList::Remove(const CTapiCall *call)
{
    const int index = IndexOf(call);
    if (index < 0)
        return nullptr;
    CTapiCallPtr removed = std::move(refs_[static_cast<std::size_t>(index)]);
    refs_.erase(refs_.begin() + index);
    calls_.erase(calls_.begin() + index);
    if (index == current_)
        current_ = std::max(0, current_ - 1);
    return removed;
}

void CCallList::Clear()
{
    refs_.clear();
    calls_.clear();
    current_ = 0;
}

void CCallList::ForgetLine(const CTapiLine *line)
{
    const auto ofLine = [line](const CTapiCallPtr &call) { return call->GetLine() == line; };
    std::erase_if(refs_, ofLine);
    std::erase_if(calls_, [line](const CTapiCall *call) { return call->GetLine() == line; });
    std::erase_if(waiting_, ofLine);
}

void CCallList::Release(CTapiCallPtr call)
{
    if (!call)
        return;
    if (!deferred_) {
        release_(*call);
        return;
    }
    if (std::find(waiting_.begin(), waiting_.end(), call) == waiting_.end())
        waiting_.push_back(std::move(call));
}

void CCallList::EndDeferredRelease()
{
    deferred_ = false;
    for (const CTapiCallPtr &call : std::exchange(waiting_, {}))
        release_(*call);
}

std::vector<CTapiCall *> CCallList::WaitingForRelease() const
{
    std::vector<CTapiCall *> waiting;
    for (const CTapiCallPtr &call : waiting_)
        waiting.push_back(call.get());
    return waiting;
}
