// Waiting on another thread or process in a test: on the condition itself, with a deadline, never a fixed sleep.
//
//   ASSERT_TRUE(WaitUntil([&] { return worker.Started(); }));   // polls until it holds; false at the deadline
//
// The deadline is far beyond what a passing test needs, even with the sanitizers on a machine busy with other
// builds: a test that holds waits only as long as the condition takes, so a long deadline costs nothing.
#pragma once

#include <chrono>
#include <functional>
#include <thread>

constexpr std::chrono::milliseconds WAIT_DEADLINE{30000};

inline bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds deadline = WAIT_DEADLINE)
{
    auto until = std::chrono::steady_clock::now() + deadline;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= until)
            return done();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}
