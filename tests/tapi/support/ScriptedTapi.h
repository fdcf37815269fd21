// A scripted stand-in for the TAPI functions, for tests of the object layer that
// need answers no real provider gives on demand: malformed structures, replies in
// any order, failures of any function. Every call is recorded; each function runs
// its handler (set with Script), or fails with OPERATIONUNAVAIL when it has none.
// Messages for the event threads are queued with PostLine / PostPhone.
#ifndef DIALWERK_TESTS_TAPI_SCRIPTEDTAPI_H
#define DIALWERK_TESTS_TAPI_SCRIPTEDTAPI_H

#include "TapiPlatform.h"

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <type_traits>
#include <vector>

struct ScriptedTapiHandlers {
#include "ScriptedTapiHandlers.inc"
};

struct ScriptedTapi : ScriptedTapiHandlers {

    /// Defaults: `lineDevices` lines of `addressesPerLine` addresses named "Line <n>",
    /// `phoneDevices` phones named "Phone <n>", event handles, version negotiation,
    /// message queues, open and close. Call only while no session runs.
    void Reset(DWORD lineDevices = 2, DWORD phoneDevices = 1, DWORD addressesPerLine = 1);

    /// Replaces a handler (safe while the event threads run).
    template <class F> void Script(F ScriptedTapiHandlers::*member, std::type_identity_t<F> handler)
    {
        std::lock_guard lock(mutex_);
        this->*member = std::move(handler);
    }

    template <class F, class... Args> LONG Invoke(const char *name, const F &handler, Args... args)
    {
        F copy;
        {
            std::lock_guard lock(mutex_);
            calls_.emplace_back(name);
            copy = handler;
        }
        if (!copy)
            return std::string(name).rfind("phone", 0) == 0 ? LONG(PHONEERR_OPERATIONUNAVAIL)
                                                            : LONG(LINEERR_OPERATIONUNAVAIL);
        return copy(args...);
    }

    /// Names of the functions called so far, in order.
    std::vector<std::string> Calls() const;
    /// How often `name` was called.
    int CountOf(const std::string &name) const;
    void ClearCalls();

    /// Queues a message for the line (phone) event thread.
    void PostLine(DWORD device, DWORD messageId, DWORD_PTR instance, DWORD_PTR p1 = 0, DWORD_PTR p2 = 0,
                  DWORD_PTR p3 = 0);
    void PostPhone(DWORD device, DWORD messageId, DWORD_PTR instance, DWORD_PTR p1 = 0, DWORD_PTR p2 = 0,
                   DWORD_PTR p3 = 0);
    /// Waits (up to 10 s) until the line (phone) thread has handled every queued message and waits for more.
    bool WaitLineIdle();
    bool WaitPhoneIdle();

    /// A fresh request identifier.
    DWORD NextRequestId();
    /// The line handle the default lineOpenW gives a device.
    static HLINE LineHandleOf(DWORD deviceId) { return 0x100 + deviceId; }
    static HPHONE PhoneHandleOf(DWORD deviceId) { return 0x200 + deviceId; }

    struct Queue {
        std::mutex mutex;
        std::condition_variable changed;
        std::deque<LINEMESSAGE> messages;
        DWORD app = 0;
        bool waiting = false;
    };
    Queue lineQueue;
    Queue phoneQueue;

private:
    mutable std::mutex mutex_;
    std::vector<std::string> calls_;
    DWORD nextApp_ = 0;
    DWORD nextRequest_ = 0;
};

/// The process's scripted TAPI.
ScriptedTapi &Scripted();

/// Fills a zero-filled variable-size structure's variable part with a wide string and
/// returns its offset; sets dwUsedSize (and dwNeededSize when it does not fit).
DWORD PlaceString(void *structure, DWORD &usedSize, const tapi_string &text, DWORD &sizeField, DWORD &offsetField);

#endif
