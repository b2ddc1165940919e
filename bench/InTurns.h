#pragma once

#include "BenchTiming.h"

#include <algorithm>

// The fastest of several rounds of a subject and its reference, taken in
// turns, so that a busy moment of a shared machine hits both alike. prepare
// runs before each timed round, untimed.
struct TimedPair {
    double subject = 1e300;
    double reference = 1e300;
};

template <typename Subject, typename Reference, typename Prepare>
TimedPair InTurns(int rounds, Subject subject, Reference reference, Prepare prepare) {
    TimedPair best;
    for (int round = 0; round < rounds; ++round) {
        prepare();
        best.subject = std::min(best.subject, FastestSeconds(1, 1, subject));
        prepare();
        best.reference = std::min(best.reference, FastestSeconds(1, 1, reference));
    }
    return best;
}

template <typename Subject, typename Reference>
TimedPair InTurns(int rounds, Subject subject, Reference reference) {
    return InTurns(rounds, subject, reference, [] {});
}
