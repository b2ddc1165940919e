#include "win/ChildWindow.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

const UINT kThrow = WM_APP + 1;
const UINT kAnswer = WM_APP + 2;

// A window of our own class whose handler throws on kThrow. (The dialogs'
// modal loop and its keys run in the end-to-end scenarios: Escape, Enter, F5.)
class ThrowingChild : public win::ChildWindow {
public:
    bool Create(HWND parent) {
        const RECT rect{0, 0, 10, 10};
        return CreateChild("VemorThrowingChild", parent, WS_CHILD, rect, 1);
    }

protected:
    bool OnMessage(UINT msg, WPARAM, LPARAM, LRESULT& result) override {
        if (msg == kThrow)
            throw std::runtime_error("a handler failed");
        if (msg == kAnswer) {
            result = 7;
            return true;
        }
        return false;
    }
};

TEST(ChildWindowTest, AHandlerThatThrowsLeavesTheCallerAndTheWindowWorking) {
    HWND parent = ::CreateWindowExA(0, "STATIC", "parent", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                    nullptr, nullptr);
    ThrowingChild child;
    ASSERT_TRUE(child.Create(parent));
    EXPECT_EQ(::SendMessageA(child.GetSafeHwnd(), kThrow, 0, 0), 0);
    EXPECT_EQ(::SendMessageA(child.GetSafeHwnd(), kAnswer, 0, 0), 7);
    ::DestroyWindow(parent);
}

} // namespace
