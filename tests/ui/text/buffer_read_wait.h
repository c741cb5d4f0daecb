// Waiting in a test for a buffer's read to end, delivering what the reading
// thread posts to the main thread meanwhile.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "ui/main_thread_queue.h"
#include "ui/text/text_buffer.h"

namespace buffer_test {

// Runs the main thread's queue until `buffer` has read, failing the test when
// it still reads after 20 seconds.
inline void waitForRead(TextBuffer& buffer)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (buffer.isReading() && std::chrono::steady_clock::now() < deadline) {
        runMainThreadQueue();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ASSERT_FALSE(buffer.isReading());
}

} // namespace buffer_test
