#include "res/resource.h"
#include "ui/TranslucentDialog.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const UINT kStep = WM_APP + 10;

class CountingPopup : public ui::CStandardDialog {
public:
    explicit CountingPopup(win::Window* frame)
        : ui::CStandardDialog(IDD_MAIN, RGB(0, 255, 0), frame) {}

    int requests = 0, closes = 0;
    bool agree = false;

    void OnClose() override { ++closes; }

protected:
    void OnCancel() override {
        ++requests;
        if (agree)
            ui::CStandardDialog::OnCancel();
    }
};

// The closes run inside the frame's modal loop as in the launcher.
class TestFrame : public ui::CTranslucentDialog {
public:
    TestFrame() : ui::CTranslucentDialog(IDD_FRAME, IDB_SKIN, "IMAGE", nullptr) {}

    std::vector<std::string> seen; // "requests/closes" of the popup after each step, " skin"

    CountingPopup* Popup() const { return static_cast<CountingPopup*>(m_pChild.get()); }

protected:
    std::unique_ptr<ui::CStandardDialog> CreateChildDialog() override {
        return std::make_unique<CountingPopup>(this);
    }
    void OnInitTranslucent() override { ::PostMessageA(m_hWnd, kStep, 0, 0); }

    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override {
        if (msg != kStep)
            return ui::CTranslucentDialog::OnMessage(msg, wParam, lParam, result);
        HWND popup = Popup()->GetSafeHwnd();
        auto note = [this] {
            seen.push_back(std::to_string(Popup()->requests) + "/" +
                           std::to_string(Popup()->closes) + (m_pImage ? " skin" : ""));
        };
        ::SendMessageA(m_hWnd, WM_COMMAND, IDOK, 0);
        note();
        ::SendMessageA(m_hWnd, WM_COMMAND, IDCANCEL, 0);
        ::SendMessageA(m_hWnd, WM_CLOSE, 0, 0);
        ::SendMessageA(m_hWnd, WM_SYSCOMMAND, SC_CLOSE, 0);
        ::SendMessageA(popup, WM_SYSCOMMAND, SC_CLOSE, 0);
        note();
        // Once it agrees, the pair closes through the frame once.
        Popup()->agree = true;
        ::SendMessageA(m_hWnd, WM_CLOSE, 0, 0);
        note();
        // A later close request reaches the popup's hook again but frees
        // nothing twice.
        ::SendMessageA(m_hWnd, WM_CLOSE, 0, 0);
        note();
        return true;
    }
};

TEST(TranslucentDialogTest, EveryCloseAsksThePopupAndThePairClosesThroughTheFrameOnce) {
    TestFrame frame;
    EXPECT_EQ(IDCANCEL, frame.DoModal());
    EXPECT_EQ(frame.seen, (std::vector<std::string>{"0/0 skin", "4/0 skin", "5/1", "5/2"}));
}

} // namespace
