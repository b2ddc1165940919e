#pragma once

#include "update/IUpdateListener.h"

// The download benchmarks run the launcher's own download with nobody
// watching: progress and status go nowhere.
class QuietListener : public IUpdateListener {
public:
    void OnProgress(float) override {}
    void OnStatusText(const char*) override {}
    void OnUpdateFinished(UpdateEnd) override {}
};
