#include "platform/headless/PumpedDispatcher.h"

namespace platform {

void TPumpedDispatcher::Post(std::function<void()> call) {
    {
        std::lock_guard lock(FMutex);
        FQueue.push_back(std::move(call));
    }
    FPosted.notify_all();
}

int TPumpedDispatcher::ProcessPending() {
    std::deque<std::function<void()>> calls;
    {
        std::lock_guard lock(FMutex);
        calls.swap(FQueue);
    }
    for (auto& call : calls)
        call();
    return static_cast<int>(calls.size());
}

bool TPumpedDispatcher::PumpUntil(const std::function<bool()>& done,
                                  std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::function<void()> call;
        {
            std::unique_lock lock(FMutex);
            // Short waits: done() may turn true without a post (a worker that just ended).
            if (!FPosted.wait_for(lock, std::chrono::milliseconds(5),
                                  [this] { return !FQueue.empty(); }))
                continue;
            call = std::move(FQueue.front());
            FQueue.pop_front();
        }
        call();
    }
    return true;
}

int TPumpedDispatcher::PendingCount() const {
    std::lock_guard lock(FMutex);
    return static_cast<int>(FQueue.size());
}

} // namespace platform
