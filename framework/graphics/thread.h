#pragma once
// Worker threads of the framework. A TThread runs Execute on its own thread; whatever must touch
// the GUI (canvases, widgets, event handlers) goes through Synchronize, which queues the call to
// the GUI thread and waits for it. The GUI thread runs queued calls from its event loop and, while
// it waits for threads itself, through CheckSynchronize, so a wait never deadlocks.
//
// Suspension is cooperative: a suspended thread stops at its next CheckSuspended. Nothing ever
// kills a thread; ending one means Terminate, wake it, and wait.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace qm {

enum class TThreadPriority { tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical };

// True on the thread that started the program (the GUI thread).
bool IsMainThread();

// Runs `method` on the GUI thread and waits for it; on the GUI thread it is called at once. An
// exception of `method` is raised again in the waiting thread.
void Synchronize(const std::function<void()>& method);
// Runs the calls queued by other threads; waits up to `timeoutMs` for the first one when none is
// waiting. Only the GUI thread runs them (elsewhere this returns false). True when any call ran.
bool CheckSynchronize(int timeoutMs = 0);
// True on a TThread's own thread: whoever waits for such a thread runs its synchronised calls, so
// it may hand GUI work over with Synchronize.
bool IsFrameworkThread();
// Locks `mutex`. On the GUI thread, while another thread holds it, runs the queued synchronised
// calls: the holder may be waiting for one of them.
std::unique_lock<std::recursive_mutex> LockSynchronized(std::recursive_mutex& mutex);

// An auto-reset event: each SetEvent lets one wait pass, and the event is non-signalled again.
class TEvent {
public:
    void SetEvent();
    // Waits until the event is set or `timeoutMs` passed (a negative timeout waits without end).
    // True when the event ended the wait.
    bool WaitFor(std::int64_t timeoutMs);

private:
    std::mutex mutex_;
    std::condition_variable signalled_;
    bool set_ = false;
};

// A list guarded by a recursive lock: the owning thread may walk it while handlers it calls add
// or remove entries.
template <class T> class TThreadList {
public:
    std::unique_lock<std::recursive_mutex> LockList() { return std::unique_lock(mutex_); }
    // The entries; hold LockList while using them.
    std::vector<T>& Items() { return items_; }
    void Add(T item) {
        auto lock = LockList();
        items_.push_back(item);
    }
    void Remove(T item) {
        auto lock = LockList();
        std::erase(items_, item);
    }
    int Count() {
        auto lock = LockList();
        return static_cast<int>(items_.size());
    }

private:
    std::recursive_mutex mutex_;
    std::vector<T> items_;
};

class TThread {
public:
    explicit TThread(bool createSuspended);
    // Stops and waits (StopAndWait). A thread that frees itself must not be destroyed by others.
    virtual ~TThread();
    TThread(const TThread&) = delete;
    TThread& operator=(const TThread&) = delete;

    // Starts a thread created suspended, or lets a suspended one go on.
    void Resume();
    void Start() { Resume(); }
    // Stops the thread at its next CheckSuspended.
    void Suspend();
    bool Suspended() const { return suspended_; }
    void Terminate();
    bool Terminated() const { return terminated_; }
    // True once Execute has returned.
    bool Finished() const { return finished_; }
    // Waits for the end of a thread that does not free itself.
    void WaitFor();

    // Recorded for the scheduler's benefit; threads of one program run at one priority here.
    TThreadPriority Priority = TThreadPriority::tpNormal;
    // When set before the thread ends, the thread object deletes itself after OnTerminate.
    bool FreeOnTerminate = false;
    // Runs on the GUI thread after Execute returns.
    std::function<void()> OnTerminate;
    // An exception that left Execute.
    std::exception_ptr FatalException;

protected:
    virtual void Execute() = 0;
    // Requests termination, lets a suspended thread go on and waits for it (running queued calls
    // meanwhile when called on the GUI thread). A class whose Execute uses its own members calls
    // this in its destructor, before those members go.
    void StopAndWait();
    // Blocks while the thread is suspended and not terminated.
    void CheckSuspended();

private:
    void Run();

    std::thread thread_;
    std::mutex mutex_;
    std::condition_variable resumed_;
    std::atomic<bool> suspended_;
    std::atomic<bool> terminated_ = false;
    std::atomic<bool> finished_ = false;
    bool running_ = false; // guarded by mutex_: the OS thread exists
};

} // namespace qm
