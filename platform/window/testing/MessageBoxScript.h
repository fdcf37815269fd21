// Answering and reading message boxes in a test.
#pragma once

#include <window/Shell.h>

#include <deque>
#include <vector>

namespace win::testing {

/// While it exists, every message box is recorded and answered from the queue
/// of answers (IDOK, IDYES, IDNO); with none queued, an OK box is answered IDOK
/// and a Yes/No box IDNO. The hook it replaced comes back at its end.
class MessageBoxScript {
public:
    MessageBoxScript();
    ~MessageBoxScript();
    MessageBoxScript(const MessageBoxScript &) = delete;
    MessageBoxScript &operator=(const MessageBoxScript &) = delete;

    /// Queues the answer to the next message box.
    void Answer(int answer) { answers_.push_back(answer); }
    /// Every message box shown so far, in order.
    const std::vector<MessageBoxRequest> &Shown() const { return shown_; }

private:
    std::deque<int> answers_;
    std::vector<MessageBoxRequest> shown_;
    MessageBoxHook previous_;
};

} // namespace win::testing
