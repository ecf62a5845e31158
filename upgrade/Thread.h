// Worker threads whose notifications run on the main thread, through a platform dispatcher.
#pragma once

#include <exception>
#include <functional>
#include <memory>

#include "platform/Dispatcher.h"

enum class TThreadPriority {
    tpIdle,
    tpLowest,
    tpLower,
    tpNormal,
    tpHigher,
    tpHighest,
    tpTimeCritical
};

struct TWorkerState;

// One run of a worker. Its thread starts only at Resume ("created suspended").
class TauEventThread {
public:
    struct THandlers {
        std::function<void()> Execute;
        std::function<void(std::exception_ptr)> Exception;
        std::function<void()> Finish;
    };

    TauEventThread(platform::Dispatcher& dispatcher, THandlers handlers, TThreadPriority priority,
                   bool handleExceptions);
    // Ends the worker as Terminate does; the object may go while its thread finishes.
    ~TauEventThread();
    TauEventThread(const TauEventThread&) = delete;
    TauEventThread& operator=(const TauEventThread&) = delete;

    void Resume();
    bool Running() const;
    TThreadPriority Priority() const;
    void SetPriority(TThreadPriority priority);
    std::exception_ptr FatalException() const;

    // Main thread. No handler of this worker runs any more, and its thread is gone or is about
    // to go without touching anything outside itself: it is joined, unless it waits for a
    // call that is running on the main thread right now (the caller is inside it), in which
    // case it ends on its own when that call returns.
    void Terminate();

    // Objects whose thread may still run: every TauEventThread and every worker that outlived
    // its object. Guarded by one mutex.
    static int LiveCount();

private:
    std::shared_ptr<TWorkerState> FState;
};

// The component that owns the current worker of its owner (the HTTP component).
class TauCustomThread {
public:
    explicit TauCustomThread(platform::Dispatcher& dispatcher);
    // Stops a running worker; no handler runs.
    ~TauCustomThread();
    TauCustomThread(const TauCustomThread&) = delete;
    TauCustomThread& operator=(const TauCustomThread&) = delete;

    // Handlers, read when Start makes a new worker.
    std::function<void()> OnExecute;
    std::function<void(std::exception_ptr)> OnException;
    std::function<void()> OnFinish;

    bool HandleExceptions() const { return FHandleExceptions; }
    void SetHandleExceptions(bool value) { FHandleExceptions = value; }
    TThreadPriority Priority() const;
    void SetPriority(TThreadPriority priority);

    // Replaces the current worker by a new one and starts it; returns at once. May be called
    // from the finish handler: the worker waiting for that handler is discarded.
    void Start();
    bool Running() const;
    // Stops the current worker (see TauEventThread::Terminate) and puts a new, suspended one
    // in its place.
    void Stop();
    // With handle exceptions off: the exception that ended the last worker's execute handler.
    std::exception_ptr FatalException() const;

    // On a worker: runs method on the main thread and returns when it has finished. Its
    // exception is dropped, or raised here with handle exceptions off. When the worker is
    // stopped meanwhile, raises EThreadStopped, which ends the worker quietly; code between
    // here and the end of the execute handler must not touch its component then. Called on
    // any other thread, runs method directly.
    static void Synchronize(const std::function<void()>& method);

private:
    std::unique_ptr<TauEventThread> NewWorker(TThreadPriority priority) const;

    platform::Dispatcher& FDispatcher;
    bool FHandleExceptions = true;
    std::unique_ptr<TauEventThread> FThread;
};

// Raised on a worker by Synchronize after Stop; the worker's thread function takes it.
class EThreadStopped {};
