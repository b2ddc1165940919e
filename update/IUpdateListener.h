#pragma once

// How an update run ended; the window acts on the value, never on a text.
enum class UpdateEnd {
    kUpToDate,  // every listed file is current
    kFailed,    // no usable manifest, a cut manifest, a broken download or no hand-off
    kStopped,   // the player closed the launcher during the download
    kSelfUpdate // a new launcher was stored as "vemor.new" and "eu.exe" started
};

// How the update thread reports to the window. All calls arrive on the update
// thread; the text of OnStatusText is valid only during the call.
class IUpdateListener {
public:
    virtual void OnProgress(float percent) = 0;
    virtual void OnStatusText(const char* text) = 0;
    // The run's last call, exactly once, also when the check failed or found
    // nothing.
    virtual void OnUpdateFinished(UpdateEnd end) = 0;

protected:
    ~IUpdateListener() = default;
};
