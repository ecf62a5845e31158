// Running calls on the main thread: how the updater's worker threads reach the window.
#pragma once

#include <functional>

namespace platform {

class Dispatcher {
public:
    virtual ~Dispatcher() = default;
    // Queues call to run on the main thread after the calls queued before it, and returns at
    // once. Any thread may post. The worker that needs the outcome waits for it itself.
    virtual void Post(std::function<void()> call) = 0;
};

} // namespace platform
