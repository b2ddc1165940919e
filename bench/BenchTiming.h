#pragma once

#include <algorithm>
#include <chrono>
#include <cstdio>

// Side-by-side timing for the benchmark programs: the fastest of several
// rounds of each subject, so that a busy moment of the machine does not count,
// and the ratio of the two in the same run.
template <typename Work> double FastestSeconds(int rounds, int repetitions, Work work) {
    double best = 1e300;
    for (int round = 0; round < rounds; ++round) {
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < repetitions; ++i)
            work();
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        best = std::min(best, took.count() / repetitions);
    }
    return best;
}

inline void PrintRatio(const char* name, const char* subject, double subjectSeconds,
                       const char* reference, double referenceSeconds) {
    std::printf("%s: %s %.3f ms, %s %.3f ms, ratio %.2f\n", name, subject, subjectSeconds * 1e3,
                reference, referenceSeconds * 1e3, subjectSeconds / referenceSeconds);
}
