#pragma once

// The program's one application object. All of its work happens in
// InitInstance; there is no message loop outside the launcher window.
class StarterApp {
public:
    StarterApp() = default;
    StarterApp(const StarterApp&) = delete;
    StarterApp& operator=(const StarterApp&) = delete;

    // Always false: the process ends when it returns.
    bool InitInstance();
};
