#include "test_resource.h"

#include "win/ChildWindow.h"
#include "win/Dialog.h"
#include "win/MessageBox.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const UINT kEnd = WM_APP + 1;
const UINT kThrow = WM_APP + 2;

// Records, as "who:key", every key message offered to the chain.
std::vector<std::string> g_seen;

// An object on a control, swallowing 'B' before its dialog sees it.
class ChildProbe : public win::Window {
public:
    void AttachTo(HWND hwnd) { Attach(hwnd); }
    bool PreTranslateMessage(MSG& msg) override {
        if (msg.message != WM_KEYDOWN)
            return false;
        g_seen.push_back("child:" + std::to_string(msg.wParam));
        return msg.wParam == 'B';
    }
};

class ProbeDialog : public win::Dialog {
public:
    ProbeDialog() : win::Dialog(IDD_TEST_DIALOG) {}

    std::vector<UINT> keysToPost;
    HWND owner = nullptr;
    bool ownerEnabledWhileOpen = true;
    int cancels = 0;

    bool PreTranslateMessage(MSG& msg) override {
        if (msg.message != WM_KEYDOWN)
            return false;
        g_seen.push_back("dialog:" + std::to_string(msg.wParam));
        return msg.wParam == VK_F5;
    }

protected:
    BOOL OnInitDialog() override {
        HWND edit = ::GetDlgItem(m_hWnd, IDC_TEST_EDIT);
        m_child.AttachTo(edit);
        ownerEnabledWhileOpen = owner && ::IsWindowEnabled(owner);
        for (UINT key : keysToPost)
            ::PostMessageA(edit, WM_KEYDOWN, key, 0);
        ::PostMessageA(m_hWnd, kThrow, 0, 0);
        ::PostMessageA(m_hWnd, kEnd, 0, 0);
        return TRUE;
    }
    void OnCancel() override {
        ++cancels;
        EndDialog(IDCANCEL);
    }
    bool OnMessage(UINT msg, WPARAM, LPARAM, LRESULT&) override {
        if (msg == kThrow)
            throw std::runtime_error("a handler failed");
        if (msg == kEnd) {
            EndDialog(42);
            return true;
        }
        return false;
    }

private:
    ChildProbe m_child;
};

TEST(ModalLoop, OffersKeysFromTheControlUpToItsDialogAndReturnsTheResult) {
    g_seen.clear();
    HWND owner = ::CreateWindowExA(0, "STATIC", "owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                   nullptr, nullptr);
    ProbeDialog dialog;
    dialog.owner = owner;
    dialog.keysToPost = {VK_F5, 'B', 'C'};
    // The handler that throws on the way must not take the loop down.
    EXPECT_EQ(dialog.DoModal(owner), 42);
    EXPECT_EQ(g_seen, (std::vector<std::string>{"child:116", "dialog:116", "child:66", "child:67",
                                                "dialog:67"}));
    EXPECT_FALSE(dialog.ownerEnabledWhileOpen);
    EXPECT_TRUE(::IsWindowEnabled(owner));
    EXPECT_EQ(dialog.GetSafeHwnd(), nullptr);
    ::DestroyWindow(owner);
}

TEST(ModalLoop, EscapeInAControlReachesOnCancelThroughDialogNavigation) {
    g_seen.clear();
    ProbeDialog dialog;
    dialog.keysToPost = {VK_ESCAPE};
    EXPECT_EQ(dialog.DoModal(nullptr), IDCANCEL);
    EXPECT_EQ(dialog.cancels, 1);
}

// A window of our own class whose handler throws on kThrow.
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
        if (msg == kEnd) {
            result = 7;
            return true;
        }
        return false;
    }
};

TEST(ChildWindow, AHandlerThatThrowsLeavesTheCallerAndTheWindowWorking) {
    HWND parent = ::CreateWindowExA(0, "STATIC", "parent", WS_POPUP, 0, 0, 10, 10, nullptr,
                                    nullptr, nullptr, nullptr);
    ThrowingChild child;
    ASSERT_TRUE(child.Create(parent));
    EXPECT_EQ(::SendMessageA(child.GetSafeHwnd(), kThrow, 0, 0), 0);
    EXPECT_EQ(::SendMessageA(child.GetSafeHwnd(), kEnd, 0, 0), 7);
    ::DestroyWindow(parent);
}

TEST(AppTitle, StartsAsTheExecutableNameAndCanBeSwappedForTheRun) {
    EXPECT_STREQ(win::AppTitle(), "win_tests");
    const char* saved = win::SetAppTitle("VemorStarter");
    EXPECT_STREQ(win::AppTitle(), "VemorStarter");
    win::SetAppTitle(saved);
    EXPECT_STREQ(win::AppTitle(), "win_tests");
}

} // namespace
