#include "framework/graphics/thread.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <deque>
#include <memory>

namespace qm {

namespace {

// Static initialisation runs on the thread that starts the program.
const std::thread::id mainThread = std::this_thread::get_id();

thread_local bool frameworkThread = false;

struct TSyncCall {
    std::function<void()> method;
    std::exception_ptr error;
    bool done = false;
};

struct TSyncQueue {
    std::mutex mutex;
    std::condition_variable changed; // a call was queued or finished
    std::deque<std::shared_ptr<TSyncCall>> calls;
};

// Never destroyed: a thread that frees itself on termination may still be leaving its last
// synchronised call while the program's static objects are torn down.
TSyncQueue& Queue() {
    static TSyncQueue* const queue = new TSyncQueue;
    return *queue;
}

// Lets the GUI thread's event loop run the queued calls when it is idle.
void WakeMainThread() {
    if (QCoreApplication* app = QCoreApplication::instance())
        QMetaObject::invokeMethod(
            app, [] { CheckSynchronize(); }, Qt::QueuedConnection);
}

} // namespace

bool IsMainThread() {
    return std::this_thread::get_id() == mainThread;
}

void Synchronize(const std::function<void()>& method) {
    if (IsMainThread()) {
        method();
        return;
    }
    auto call = std::make_shared<TSyncCall>();
    call->method = method;
    TSyncQueue& queue = Queue();
    {
        std::lock_guard lock(queue.mutex);
        queue.calls.push_back(call);
        // Posted under the queue's lock, which the GUI thread takes to run the call: so the
        // wake-up event is made before anything the GUI thread does after running the call,
        // deleting an event left unprocessed at exit included, in a way the thread sanitizer
        // sees too (it cannot see the event queue's own locking inside Qt).
        WakeMainThread();
    }
    queue.changed.notify_all();
    std::unique_lock lock(queue.mutex);
    queue.changed.wait(lock, [&] { return call->done; });
    if (call->error)
        std::rethrow_exception(call->error);
}

bool CheckSynchronize(int timeoutMs) {
    if (!IsMainThread())
        return false;
    TSyncQueue& queue = Queue();
    std::deque<std::shared_ptr<TSyncCall>> pending;
    {
        std::unique_lock lock(queue.mutex);
        if (timeoutMs > 0)
            queue.changed.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                   [&] { return !queue.calls.empty(); });
        pending.swap(queue.calls);
    }
    for (const auto& call : pending) {
        try {
            call->method();
        } catch (...) {
            call->error = std::current_exception();
        }
        {
            std::lock_guard lock(queue.mutex);
            call->done = true;
        }
        queue.changed.notify_all();
    }
    return !pending.empty();
}

bool IsFrameworkThread() {
    return frameworkThread;
}

std::unique_lock<std::recursive_mutex> LockSynchronized(std::recursive_mutex& mutex) {
    if (!IsMainThread())
        return std::unique_lock(mutex);
    std::unique_lock lock(mutex, std::try_to_lock);
    while (!lock.owns_lock()) {
        CheckSynchronize(1);
        lock.try_lock();
    }
    return lock;
}

void TEvent::SetEvent() {
    {
        std::lock_guard lock(mutex_);
        set_ = true;
    }
    signalled_.notify_one();
}

bool TEvent::WaitFor(std::int64_t timeoutMs) {
    std::unique_lock lock(mutex_);
    const auto isSet = [this] { return set_; };
    const bool passed = timeoutMs < 0
                            ? (signalled_.wait(lock, isSet), true)
                            : signalled_.wait_for(lock, std::chrono::milliseconds(timeoutMs), isSet);
    set_ = false;
    return passed;
}

TThread::TThread(bool createSuspended) : suspended_(createSuspended) {
    if (!createSuspended)
        Resume();
}

TThread::~TThread() {
    StopAndWait();
}

void TThread::StopAndWait() {
    Terminate();
    {
        std::lock_guard lock(mutex_);
        // A thread never started stays so: there is nothing to end.
        if (!running_)
            return;
        suspended_ = false;
    }
    resumed_.notify_all();
    WaitFor();
}

void TThread::Resume() {
    std::lock_guard lock(mutex_);
    suspended_ = false;
    if (!running_) {
        running_ = true;
        thread_ = std::thread(&TThread::Run, this);
    }
    resumed_.notify_all();
}

void TThread::Suspend() {
    suspended_ = true;
}

void TThread::Terminate() {
    terminated_ = true;
}

void TThread::CheckSuspended() {
    std::unique_lock lock(mutex_);
    resumed_.wait(lock, [this] { return !suspended_ || terminated_; });
}

void TThread::WaitFor() {
    {
        std::lock_guard lock(mutex_);
        if (!thread_.joinable() || thread_.get_id() == std::this_thread::get_id())
            return;
    }
    // The thread may be waiting for a synchronised call that only this (GUI) thread can run.
    while (!finished_ && IsMainThread())
        CheckSynchronize(1);
    thread_.join();
}

void TThread::Run() {
    {
        // Resume assigns thread_ under this lock; wait for it before anyone may detach it.
        std::lock_guard lock(mutex_);
    }
    frameworkThread = true;
    try {
        Execute();
    } catch (...) {
        // Nothing above this frame could handle it; keep it for whoever inspects the thread.
        FatalException = std::current_exception();
    }
    if (OnTerminate)
        Synchronize(OnTerminate);
    finished_ = true;
    if (!FreeOnTerminate)
        return;
    {
        std::lock_guard lock(mutex_);
        thread_.detach();
    }
    delete this;
}

} // namespace qm
