#include "framework/graphics/clock.h"

#include <chrono>
#include <thread>

namespace qm {

namespace {

class TMonotonicClock final : public TClock {
public:
    std::int64_t Now() override {
        using namespace std::chrono;
        return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
    }
    void Sleep(std::int64_t ms) override {
        if (ms <= 0)
            std::this_thread::yield();
        else
            std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    }
    bool Wait(TEvent& event, std::int64_t ms) override { return event.WaitFor(ms); }
};

} // namespace

TClock& TClock::Monotonic() {
    static TMonotonicClock clock;
    return clock;
}

void TStepClock::Sleep(std::int64_t ms) {
    if (ms > 0)
        now_ += ms;
    std::this_thread::yield();
}

bool TStepClock::Wait(TEvent& event, std::int64_t ms) {
    if (ms < 0)
        return event.WaitFor(-1);
    if (event.WaitFor(0))
        return true;
    now_ += ms;
    return false;
}

} // namespace qm
