#pragma once

#include "BenchTiming.h"

#include <algorithm>

// The fastest of several rounds of a subject and its reference, taken in
// turns, so that a busy moment of a shared machine hits both alike.
struct TimedPair {
    double subject = 1e300;
    double reference = 1e300;
};

template <typename Subject, typename Reference>
TimedPair InTurns(int rounds, Subject subject, Reference reference) {
    TimedPair best;
    for (int round = 0; round < rounds; ++round) {
        best.subject = std::min(best.subject, FastestSeconds(1, 1, subject));
        best.reference = std::min(best.reference, FastestSeconds(1, 1, reference));
    }
    return best;
}
