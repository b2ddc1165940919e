#pragma once

#include "win/Window.h"

namespace win {

// A child window of a class of our own, registered on first use, whose
// messages go to one virtual message map. The window is destroyed with the
// object at the latest.
class ChildWindow : public Window {
public:
    ~ChildWindow() override;

protected:
    ChildWindow() = default;
    bool CreateChild(const char* className, HWND parent, DWORD style, const RECT& rect, int id);
    void DestroyChild();
    // True when handled, with the message's result in result; the rest goes
    // to the default window procedure.
    virtual bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
};

} // namespace win
