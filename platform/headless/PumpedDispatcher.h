// A dispatcher for tests: posted calls wait in a queue until the test thread pumps them.
#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

#include "platform/Dispatcher.h"

namespace platform {

class TPumpedDispatcher : public Dispatcher {
public:
    void Post(std::function<void()> call) override;

    // Runs the calls queued now, on the calling thread, and returns how many ran.
    int ProcessPending();
    // Pumps until done() holds (checked after each call) or timeout passes; done()'s last answer.
    bool PumpUntil(const std::function<bool()>& done,
                   std::chrono::milliseconds timeout = std::chrono::seconds(20));
    int PendingCount() const;

private:
    mutable std::mutex FMutex;
    std::condition_variable FPosted;
    std::deque<std::function<void()>> FQueue;
};

} // namespace platform
