// The main window's list of the selected line's calls: which calls are listed,
// which one is shown, and the release of calls that leave the list, which can be
// put off while a transfer or conference is being set up. It holds a reference
// to every call it lists or keeps for release, so a call it knows never goes
// away under it, whichever thread its line lets go of it on.
// User-interface thread only.
#pragma once

#include "CTapiCall.h"

#include <functional>
#include <vector>

class CTapiLine;

class CCallList {
public:
    /// Deallocates a call that has left the list (and reports a failure).
    using Releaser = std::function<void(CTapiCall &)>;

    explicit CCallList(Releaser release) : release_(std::move(release)) {}

    /// The call at the current index, or null (the index then becomes -1).
    CTapiCall *Current();
    int CurrentIndex() const { return current_; }
    void SetCurrentIndex(int index) { current_ = index; }
    /// The listed calls in the order they were added.
    const std::vector<CTapiCall *> &Calls() const { return calls_; }
    int Size() const { return static_cast<int>(calls_.size()); }
    CTapiCall *At(int index) const;
    /// The position of a call in the list, or -1.
    int IndexOf(const CTapiCall *call) const;

    /// Appends a call; false (and nothing changes) when it is listed already.
    bool Add(CTapiCallPtr call);
    /// Takes a call out of the list; the current index steps back when its entry
    /// goes. Returns the list's reference, or null when the call was not listed.
    CTapiCallPtr Remove(const CTapiCall *call);
    /// Empties the list (calls kept for release stay kept) and resets the index to 0.
    void Clear();
    /// Forgets every call of a line, listed or kept for release: the line lets them go itself.
    void ForgetLine(const CTapiLine *line);

    /// Releases a call that left the list: at once, or, while release is deferred,
    /// when release is no longer deferred.
    void Release(CTapiCallPtr call);
    void BeginDeferredRelease() { deferred_ = true; }
    /// Ends the deferral and releases every call kept meanwhile.
    void EndDeferredRelease();
    bool IsReleaseDeferred() const { return deferred_; }
    /// The calls kept for release.
    std::vector<CTapiCall *> WaitingForRelease() const;

private:
    Releaser release_;
    std::vector<CTapiCallPtr> refs_;
    std::vector<CTapiCall *> calls_; // refs_ as plain pointers, for the window's readers
    int current_ = 0;
    bool deferred_ = false;
    std::vector<CTapiCallPtr> waiting_;
};
