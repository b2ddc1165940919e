#pragma once

#include "update/UpdateListener.h"

#include <mutex>

// The listener the update thread really calls. It forwards to the window's
// listener only while one is attached, under its own lock, so that once the
// window has detached (it is closing or gone) no call can reach it, and a
// call in progress finishes before Detach returns.
class ListenerGate : public IUpdateListener {
public:
    ListenerGate() = default;
    ListenerGate(const ListenerGate&) = delete;
    ListenerGate& operator=(const ListenerGate&) = delete;

    void Attach(IUpdateListener* target);
    void Detach() { Attach(nullptr); }

    void OnProgress(float percent) override;
    void OnStatusText(const char* text) override;
    void OnUpdateFinished() override;
    void OnSelfUpdateStarted() override;

private:
    std::mutex m_gateLock;
    IUpdateListener* m_target = nullptr;
};
