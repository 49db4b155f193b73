// Threads of the framework: synchronised calls run on the GUI thread while the worker waits, the
// auto-reset event, suspended start and self-freeing threads, the stepping clock, and the canvas
// handle that expires with its canvas.
#include "framework/graphics/canvas.h"
#include "framework/graphics/clock.h"
#include "framework/graphics/thread.h"
#include "tests/support/sync_pump.h"

#include <atomic>
#include <gtest/gtest.h>
#include <stdexcept>
#include <thread>

namespace qm {
namespace {

using test::PumpUntil;

class TestThread final : public TThread {
public:
    explicit TestThread(std::function<void(TestThread&)> body) : TThread(true), body_(std::move(body)) {}
    ~TestThread() override { StopAndWait(); }
    using TThread::CheckSuspended;

protected:
    void Execute() override { body_(*this); }

private:
    std::function<void(TestThread&)> body_;
};

TEST(Synchronize, RunsOnTheGuiThreadAndRaisesItsErrorInTheWorker) {
    std::atomic<bool> ranOnMain = false;
    std::atomic<bool> errorReturned = false;
    std::atomic<bool> done = false;
    std::thread worker([&] {
        Synchronize([&] { ranOnMain = IsMainThread(); });
        try {
            Synchronize([] { throw std::runtime_error("no"); });
        } catch (const std::runtime_error&) {
            errorReturned = true;
        }
        done = true;
    });
    EXPECT_TRUE(PumpUntil([&] { return done.load(); }));
    worker.join();
    EXPECT_TRUE(ranOnMain);
    EXPECT_TRUE(errorReturned);
    EXPECT_FALSE(CheckSynchronize()) << "nothing left queued";
}

TEST(Event, LetsOneWaitPassPerSignal) {
    TEvent event;
    EXPECT_FALSE(event.WaitFor(0));
    event.SetEvent();
    EXPECT_TRUE(event.WaitFor(0));
    EXPECT_FALSE(event.WaitFor(1)) << "auto-reset";
}

TEST(Thread, StartsSuspendedAndFreesItselfAfterItsTerminationHandler) {
    std::atomic<int> runs = 0;
    bool terminatedOnMain = false;
    auto* thread = new TestThread([&](TestThread& self) {
        ++runs;
        self.CheckSuspended();
    });
    thread->FreeOnTerminate = true;
    thread->OnTerminate = [&] { terminatedOnMain = IsMainThread(); };
    EXPECT_TRUE(thread->Suspended());
    EXPECT_EQ(runs, 0);
    thread->Start();
    EXPECT_TRUE(PumpUntil([&] { return terminatedOnMain; }));
    EXPECT_EQ(runs, 1);
}

TEST(Thread, DestroyingWaitsForASuspendedThread) {
    std::atomic<bool> reachedEnd = false;
    {
        TestThread thread([&](TestThread& self) {
            self.Suspend();
            self.CheckSuspended();
            reachedEnd = self.Terminated();
        });
        thread.Start();
    }
    EXPECT_TRUE(reachedEnd);
}

TEST(StepClock, MovesOnlyBySleepsAndUnansweredWaits) {
    TStepClock clock;
    TEvent event;
    clock.Sleep(30);
    EXPECT_FALSE(clock.Wait(event, 100));
    EXPECT_EQ(clock.Now(), 130);
    event.SetEvent();
    EXPECT_TRUE(clock.Wait(event, 100));
    EXPECT_EQ(clock.Now(), 130);
}

TEST(Canvas, HandleExpiresWithTheCanvasAndGrabKeepsThePixels) {
    QImage image(2, 2, CanvasImageFormat);
    image.fill(qRgb(1, 2, 3));
    std::weak_ptr<const void> handle;
    {
        TCanvas canvas(image);
        handle = canvas.Handle();
        EXPECT_FALSE(handle.expired());
        EXPECT_EQ(canvas.Grab(QRect(1, 1, 1, 1)).pixel(0, 0), qRgb(1, 2, 3));
    }
    EXPECT_TRUE(handle.expired());
}

} // namespace
} // namespace qm
