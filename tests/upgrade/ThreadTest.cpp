// Worker threads over the pumped dispatcher: who runs where, in what order, and what stops.
#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "platform/Thread.h"
#include "platform/headless/PumpedDispatcher.h"
#include "upgrade/Thread.h"

namespace {

// A log that the worker and the main thread both write.
class TLog {
public:
    void Add(const std::string& line) {
        std::lock_guard lock(FMutex);
        FLines.push_back(line);
    }
    std::string Text() const {
        std::lock_guard lock(FMutex);
        std::string text;
        for (const auto& line : FLines)
            text += line + ";";
        return text;
    }
    bool Has(const std::string& line) const {
        std::lock_guard lock(FMutex);
        return std::find(FLines.begin(), FLines.end(), line) != FLines.end();
    }

private:
    mutable std::mutex FMutex;
    std::vector<std::string> FLines;
};

class ThreadTest : public ::testing::Test {
protected:
    void SetUp() override { FLiveBefore = TauEventThread::LiveCount(); }
    // Every worker, discarded or stopped ones too, is gone in the end.
    void ExpectAllWorkersGone() {
        EXPECT_TRUE(Dispatcher.PumpUntil([&] {
            return TauEventThread::LiveCount() == FLiveBefore;
        })) << TauEventThread::LiveCount()
            << " live, " << FLiveBefore << " before";
    }

    platform::TPumpedDispatcher Dispatcher;
    const std::thread::id MainThread = std::this_thread::get_id();
    TLog Log;

private:
    int FLiveBefore = 0;
};

TEST_F(ThreadTest, ExecuteOnTheWorkerCallsAndFinishOnTheMainThreadInOrder) {
    auto thread = std::make_unique<TauCustomThread>(Dispatcher);
    TauCustomThread& t = *thread;
    t.OnExecute = [&] {
        Log.Add(std::string("execute ") +
                (std::this_thread::get_id() == MainThread ? "main" : "worker") +
                (t.Running() ? " running" : " idle"));
        int value = 0;
        TauCustomThread::Synchronize([&] {
            value = 42;
            Log.Add(std::string("call ") +
                    (std::this_thread::get_id() == MainThread ? "main" : "worker"));
        });
        Log.Add("after call " + std::to_string(value)); // the call has finished when it returns
    };
    t.OnFinish = [&] {
        Log.Add(std::string("finish ") +
                (std::this_thread::get_id() == MainThread ? "main" : "worker") +
                (t.Running() ? " running" : " idle"));
    };
    EXPECT_FALSE(t.Running());
    t.Start();
    ASSERT_TRUE(Dispatcher.PumpUntil([&] { return Log.Has("finish main idle"); }));
    EXPECT_EQ(Log.Text(), "execute worker running;call main;after call 42;finish main idle;");
    thread.reset();
    ExpectAllWorkersGone();
}

TEST_F(ThreadTest, ExceptionsGoToTheHandlerOrEndTheRunWhenHandlingIsOff) {
    for (bool handle : {true, false}) {
        SCOPED_TRACE(handle ? "handled" : "not handled");
        TLog log;
        TauCustomThread t(Dispatcher);
        t.SetHandleExceptions(handle);
        t.OnExecute = [&] {
            TauCustomThread::Synchronize([] { throw std::runtime_error("in call"); });
            log.Add("after failed call");
            throw std::runtime_error("in execute");
        };
        t.OnException = [&](std::exception_ptr error) {
            try {
                std::rethrow_exception(error);
            } catch (const std::exception& e) {
                log.Add(std::string("handler ") + e.what() +
                        (std::this_thread::get_id() == MainThread ? " main" : " worker"));
            }
        };
        t.OnFinish = [&] { log.Add("finish"); };
        t.Start();
        ASSERT_TRUE(Dispatcher.PumpUntil([&] { return log.Has("finish"); }));
        if (handle) {
            // A failed call is dropped; the execute handler's own goes to the handler.
            EXPECT_EQ(log.Text(), "after failed call;handler in execute main;finish;");
            EXPECT_FALSE(t.FatalException());
        } else {
            // The failed call is raised in the worker and ends its run.
            EXPECT_EQ(log.Text(), "finish;");
            ASSERT_TRUE(t.FatalException());
            EXPECT_THROW(std::rethrow_exception(t.FatalException()), std::runtime_error);
        }
    }
    ExpectAllWorkersGone();
}

TEST_F(ThreadTest, StartFromTheFinishHandlerDiscardsTheWaitingWorker) {
    int runs = 0, finishes = 0;
    std::vector<std::thread::id> workers;
    std::mutex workersMutex;
    auto thread = std::make_unique<TauCustomThread>(Dispatcher);
    TauCustomThread& t = *thread;
    t.OnExecute = [&] {
        std::lock_guard lock(workersMutex);
        workers.push_back(std::this_thread::get_id());
    };
    t.OnFinish = [&] {
        ++finishes;
        if (++runs < 4) t.Start(); // the worker that waits for this very call is replaced
    };
    t.Start();
    ASSERT_TRUE(Dispatcher.PumpUntil([&] { return finishes == 4; }));
    Dispatcher.PumpUntil([] { return false; }, std::chrono::milliseconds(50));
    EXPECT_EQ(finishes, 4);
    std::lock_guard lock(workersMutex);
    ASSERT_EQ(workers.size(), 4u);
    EXPECT_NE(workers[0], workers[1]); // each run has a thread of its own
    thread.reset();
    ExpectAllWorkersGone();
}

TEST_F(ThreadTest, StopEndsTheWorkerAndNoHandlerRunsAfterwards) {
    // Stopped while its call waits in the queue, and stopped from inside its running call.
    for (bool fromInsideCall : {false, true}) {
        SCOPED_TRACE(fromInsideCall ? "inside the call" : "call queued");
        TLog log;
        std::atomic<bool> waiting{false};
        TauCustomThread t(Dispatcher);
        t.OnExecute = [&] {
            waiting = true;
            TauCustomThread::Synchronize([&] {
                log.Add("call");
                if (fromInsideCall && !log.Has("stopped")) {
                    log.Add("stopped");
                    t.Stop();
                }
            });
            log.Add("after call");
        };
        t.OnException = [&](std::exception_ptr) { log.Add("exception"); };
        t.OnFinish = [&] { log.Add("finish"); };
        t.Start();
        while (!waiting || Dispatcher.PendingCount() == 0)
            std::this_thread::yield();
        if (!fromInsideCall)
            t.Stop(); // joins: the worker must not wait for the main thread it blocks
        Dispatcher.PumpUntil([] { return false; }, std::chrono::milliseconds(100));
        EXPECT_EQ(log.Text(), fromInsideCall ? "call;stopped;" : "");
        EXPECT_FALSE(t.Running());
        // The new worker in its place starts as usual.
        t.Start();
        ASSERT_TRUE(Dispatcher.PumpUntil([&] { return log.Has("finish"); }));
    }
    ExpectAllWorkersGone();
}

TEST_F(ThreadTest, ComponentFreedWhileItsWorkerWaitsOrRuns) {
    // Freed while the worker waits for a queued call, from inside that call, and while the
    // worker is busy on its own.
    for (int when = 0; when < 3; ++when) {
        SCOPED_TRACE(when);
        TLog log;
        std::atomic<bool> started{false}, release{false};
        auto thread = std::make_unique<TauCustomThread>(Dispatcher);
        thread->OnExecute = [&] {
            started = true;
            if (when == 2)
                while (!release)
                    std::this_thread::yield();
            TauCustomThread::Synchronize([&] {
                log.Add("call");
                if (when == 1) thread.reset();
            });
            log.Add("after call");
        };
        thread->OnFinish = [&] { log.Add("finish"); };
        thread->Start();
        while (!started || (when != 2 && Dispatcher.PendingCount() == 0))
            std::this_thread::yield();
        if (when == 0) thread.reset();
        if (when == 2) {
            std::thread releaser([&] {
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
                release = true;
            });
            thread.reset(); // waits for the worker, which then finds itself stopped
            releaser.join();
        }
        Dispatcher.PumpUntil([] { return false; }, std::chrono::milliseconds(100));
        EXPECT_EQ(log.Text(), when == 1 ? "call;" : "");
        ExpectAllWorkersGone();
    }
}

TEST_F(ThreadTest, PrioritiesBecomeNiceValuesAndReadBack) {
    TauCustomThread t(Dispatcher);
    std::atomic<int> nice{-100};
    std::atomic<bool> release{false};
    t.OnExecute = [&] {
        nice = platform::ThreadNice(platform::CurrentThreadId()).value_or(-99);
        while (!release)
            std::this_thread::yield();
    };
    t.SetPriority(TThreadPriority::tpLowest);
    EXPECT_EQ(t.Priority(), TThreadPriority::tpLowest);
    t.Start();
    while (nice == -100)
        std::this_thread::yield();
    EXPECT_EQ(nice, 10);
    EXPECT_EQ(t.Priority(), TThreadPriority::tpLowest); // read from the running thread
    t.SetPriority(TThreadPriority::tpIdle);
    EXPECT_EQ(t.Priority(), TThreadPriority::tpIdle);
    release = true;
    t.Stop();
    // The next worker keeps the priority.
    nice = -100;
    release = false;
    t.Start();
    while (nice == -100)
        std::this_thread::yield();
    EXPECT_EQ(nice, 19);
    release = true;
    t.Stop();
}

} // namespace
