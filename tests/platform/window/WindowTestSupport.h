// Shared pieces of the window platform tests: a fixture that resets the
// platform, and a wait that deliberately does not pump.
#pragma once

#include <window/Dialog.h>
#include <window/MessageQueue.h>
#include <window/testing/TestEnvironment.h>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace win::test {

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override { win::testing::ResetPlatform(); }
};

/// Waits for a condition that another thread brings about, without handling any
/// message on this thread (so the queue's contents stay as they are).
template <class Condition> bool WaitWithoutPumping(Condition condition)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::yield();
    }
    return true;
}

/// Waits until `count` messages sent from other threads are queued.
inline bool WaitForQueuedSends(std::size_t count)
{
    return WaitWithoutPumping([count] { return MessageQueue::Instance().QueuedSent() == count; });
}

} // namespace win::test
