#pragma once

// How the update thread reports to the window. All calls arrive on the update
// thread; the text of OnStatusText is valid only during the call.
class IUpdateListener {
public:
    virtual void OnProgress(float percent) = 0;
    virtual void OnStatusText(const char* text) = 0;
    // The update work has ended (also when the check failed or found nothing).
    virtual void OnUpdateFinished() = 0;
    // A new launcher was stored as "vemor.new" and "eu.exe" started: close.
    virtual void OnSelfUpdateStarted() = 0;

protected:
    ~IUpdateListener() = default;
};
