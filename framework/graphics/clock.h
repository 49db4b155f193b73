#pragma once
// The time source of timed work (animation): a millisecond clock, sleeping, and waiting on an
// event with a timeout. The monotonic clock waits in real time; a stepping clock only moves its
// time forward by the sleeps and waits asked of it, so that an animation can be played as fast as
// the machine goes with exactly the arithmetic of real time.

#include "framework/graphics/thread.h"

#include <atomic>
#include <cstdint>

namespace qm {

class TClock {
public:
    virtual ~TClock() = default;
    // Milliseconds since an arbitrary start; never goes backwards.
    virtual std::int64_t Now() = 0;
    // Sleeps `ms` milliseconds; 0 yields the processor.
    virtual void Sleep(std::int64_t ms) = 0;
    // Waits for `event` or `ms` milliseconds (negative: until the event). True when the event ended
    // the wait.
    virtual bool Wait(TEvent& event, std::int64_t ms) = 0;

    // The process's real monotonic clock.
    static TClock& Monotonic();
};

// Time stands still except for the sleeps and waits asked of it, which return at once. A wait
// without end still waits in real time for its event: nothing else could end it.
class TStepClock final : public TClock {
public:
    std::int64_t Now() override { return now_; }
    void Sleep(std::int64_t ms) override;
    bool Wait(TEvent& event, std::int64_t ms) override;

private:
    std::atomic<std::int64_t> now_ = 0;
};

} // namespace qm
