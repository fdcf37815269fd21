// The receiving side of window messages: what the message queue calls on the
// user-interface thread to hand a sent or posted message to its window.
#pragma once

#include <window/Types.h>

namespace win {

class MessageTarget {
public:
    /// Handles one message on the user-interface thread and returns its result.
    virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) = 0;

protected:
    ~MessageTarget() = default;
};

} // namespace win
