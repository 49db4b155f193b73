#pragma once
// For tests of threads that hand work to the GUI thread: run the queued synchronised calls until
// a condition holds (or five seconds pass), or for a while. Header-only; the test links the
// framework's graphics layer.

#include "framework/graphics/thread.h"

#include <QElapsedTimer>

namespace qm::test {

template <class F> bool PumpUntil(F&& done) {
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < 5000)
        CheckSynchronize(5);
    return done();
}

inline void PumpFor(int ms) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms)
        CheckSynchronize(5);
}

} // namespace qm::test
