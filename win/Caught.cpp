#include "win/Caught.h"

#include <atomic>

namespace win {

namespace {

std::atomic<CaughtReporter> g_reporter{nullptr};

} // namespace

void SetCaughtReporter(CaughtReporter reporter) {
    g_reporter = reporter;
}

void ReportCaught(const char* where) {
    if (const CaughtReporter reporter = g_reporter)
        reporter(where);
}

} // namespace win
