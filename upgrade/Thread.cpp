#include "upgrade/Thread.h"

#include <array>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "platform/Thread.h"

namespace {

std::mutex gLiveMutex;
int gLiveCount = 0;

// Nice values for idle .. time-critical; raising above normal needs privileges.
constexpr std::array<int, 7> kNiceOfPriority = {19, 10, 5, 0, -5, -10, -20};

int NiceOf(TThreadPriority priority) {
    return kNiceOfPriority[static_cast<size_t>(priority)];
}

TThreadPriority PriorityOfNice(int nice) {
    for (size_t i = 0; i < kNiceOfPriority.size(); ++i)
        if (kNiceOfPriority[i] == nice) return static_cast<TThreadPriority>(i);
    return TThreadPriority::tpNormal;
}

// A call handed to the main thread and the worker waiting for it.
struct TSyncCall {
    std::function<void()> Method;
    bool InProgress = false; // running on the main thread now
    bool Done = false;
    std::exception_ptr Error;
};

} // namespace

// Shared by the TauEventThread object, its thread and the calls it posted, so that each may
// end before the others.
struct TWorkerState {
    TWorkerState(platform::Dispatcher& dispatcher, TauEventThread::THandlers handlers,
                 TThreadPriority priority, bool handleExceptions)
        : Dispatcher(dispatcher), Handlers(std::move(handlers)), Priority(priority),
          HandleExceptions(handleExceptions) {
        std::lock_guard lock(gLiveMutex);
        ++gLiveCount;
    }
    ~TWorkerState() {
        std::lock_guard lock(gLiveMutex);
        --gLiveCount;
    }

    platform::Dispatcher& Dispatcher;
    const TauEventThread::THandlers Handlers;

    mutable std::mutex Mutex;
    std::condition_variable Changed;
    std::thread Thread;
    int ThreadId = 0;
    TThreadPriority Priority;
    const bool HandleExceptions;
    bool Running = false;
    bool Stopped = false;
    std::shared_ptr<TSyncCall> Waiting; // the call the worker waits for
    std::exception_ptr Fatal;
};

namespace {

thread_local std::shared_ptr<TWorkerState> tCurrentWorker;

// Runs a handler that may raise: EThreadStopped ends the worker, anything else goes to the
// exception handler with handle exceptions on and is kept as the fatal exception otherwise.
// False when the worker must end now.
bool RunGuarded(TWorkerState& state, const std::function<void()>& handler) {
    try {
        if (handler) handler();
        return true;
    } catch (const EThreadStopped&) {
        return false;
    } catch (...) {
        auto error = std::current_exception();
        if (!state.HandleExceptions) {
            std::lock_guard lock(state.Mutex);
            state.Fatal = error;
            return true;
        }
        try {
            TauCustomThread::Synchronize([&state, error] {
                if (state.Handlers.Exception) state.Handlers.Exception(error);
            });
        } catch (const EThreadStopped&) {
            return false;
        }
        return true;
    }
}

void WorkerMain(std::shared_ptr<TWorkerState> state) {
    tCurrentWorker = state;
    {
        std::lock_guard lock(state->Mutex);
        state->ThreadId = platform::CurrentThreadId();
        if (state->Priority != TThreadPriority::tpNormal)
            platform::SetThreadNice(state->ThreadId, NiceOf(state->Priority));
        if (!state->Stopped) state->Running = true;
    }
    if (state->Running && RunGuarded(*state, state->Handlers.Execute)) {
        {
            std::lock_guard lock(state->Mutex);
            state->Running = false;
        }
        RunGuarded(*state, [&state] { TauCustomThread::Synchronize(state->Handlers.Finish); });
    }
    std::lock_guard lock(state->Mutex);
    state->Running = false;
    tCurrentWorker.reset();
}

} // namespace

TauEventThread::TauEventThread(platform::Dispatcher& dispatcher, THandlers handlers,
                               TThreadPriority priority, bool handleExceptions)
    : FState(std::make_shared<TWorkerState>(dispatcher, std::move(handlers), priority,
                                            handleExceptions)) {}

TauEventThread::~TauEventThread() {
    Terminate();
}

void TauEventThread::Resume() {
    std::lock_guard lock(FState->Mutex);
    if (!FState->Thread.joinable() && !FState->Stopped)
        FState->Thread = std::thread(WorkerMain, FState);
}

bool TauEventThread::Running() const {
    std::lock_guard lock(FState->Mutex);
    return FState->Running;
}

TThreadPriority TauEventThread::Priority() const {
    std::lock_guard lock(FState->Mutex);
    if (FState->ThreadId == 0 || !FState->Thread.joinable()) return FState->Priority;
    const auto nice = platform::ThreadNice(FState->ThreadId);
    return nice ? PriorityOfNice(*nice) : FState->Priority;
}

void TauEventThread::SetPriority(TThreadPriority priority) {
    std::lock_guard lock(FState->Mutex);
    FState->Priority = priority;
    if (FState->ThreadId != 0 && FState->Thread.joinable())
        platform::SetThreadNice(FState->ThreadId, NiceOf(priority));
}

std::exception_ptr TauEventThread::FatalException() const {
    std::lock_guard lock(FState->Mutex);
    return FState->Fatal;
}

void TauEventThread::Terminate() {
    std::thread thread;
    bool callerIsInsideItsCall = false;
    {
        std::lock_guard lock(FState->Mutex);
        FState->Stopped = true;
        callerIsInsideItsCall = FState->Waiting && FState->Waiting->InProgress;
        thread = std::move(FState->Thread);
    }
    FState->Changed.notify_all();
    if (!thread.joinable()) return;
    if (callerIsInsideItsCall)
        thread.detach(); // it holds its own share of the state and ends once our call returns
    else
        thread.join();
}

int TauEventThread::LiveCount() {
    std::lock_guard lock(gLiveMutex);
    return gLiveCount;
}

TauCustomThread::TauCustomThread(platform::Dispatcher& dispatcher)
    : FDispatcher(dispatcher), FThread(NewWorker(TThreadPriority::tpNormal)) {}

TauCustomThread::~TauCustomThread() {
    FThread->Terminate();
}

std::unique_ptr<TauEventThread> TauCustomThread::NewWorker(TThreadPriority priority) const {
    return std::make_unique<TauEventThread>(
        FDispatcher, TauEventThread::THandlers{OnExecute, OnException, OnFinish}, priority,
        FHandleExceptions);
}

TThreadPriority TauCustomThread::Priority() const {
    return FThread->Priority();
}

void TauCustomThread::SetPriority(TThreadPriority priority) {
    FThread->SetPriority(priority);
}

void TauCustomThread::Start() {
    auto next = NewWorker(FThread->Priority());
    FThread.swap(next);
    next.reset(); // the old worker: never started, or waiting for the finish handler we are in
    FThread->Resume();
}

bool TauCustomThread::Running() const {
    return FThread->Running();
}

void TauCustomThread::Stop() {
    FThread->Terminate();
    FThread = NewWorker(FThread->Priority());
}

std::exception_ptr TauCustomThread::FatalException() const {
    return FThread->FatalException();
}

void TauCustomThread::Synchronize(const std::function<void()>& method) {
    const std::shared_ptr<TWorkerState> state = tCurrentWorker;
    if (!state) {
        if (method) method();
        return;
    }
    auto call = std::make_shared<TSyncCall>();
    call->Method = method;
    {
        std::lock_guard lock(state->Mutex);
        if (state->Stopped) throw EThreadStopped();
        state->Waiting = call;
    }
    state->Dispatcher.Post([state, call] {
        {
            std::lock_guard lock(state->Mutex);
            if (state->Stopped) {
                call->Done = true;
                state->Changed.notify_all();
                return;
            }
            call->InProgress = true;
        }
        std::exception_ptr error;
        try {
            if (call->Method) call->Method();
        } catch (...) {
            error = std::current_exception();
        }
        {
            std::lock_guard lock(state->Mutex);
            call->InProgress = false;
            call->Done = true;
            call->Error = error;
        }
        state->Changed.notify_all();
    });
    std::unique_lock lock(state->Mutex);
    state->Changed.wait(lock, [&] { return call->Done || (state->Stopped && !call->InProgress); });
    state->Waiting.reset();
    if (state->Stopped) throw EThreadStopped();
    if (call->Error && !state->HandleExceptions) {
        auto error = call->Error;
        lock.unlock();
        std::rethrow_exception(error);
    }
}
