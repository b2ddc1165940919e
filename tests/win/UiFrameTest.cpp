#include "res/resource.h"
#include "ui/TranslucentDialog.h"

#include <gtest/gtest.h>

namespace {

const UINT kStep = WM_APP + 10;

// A popup on the real template that counts its close notifications.
class CountingPopup : public ui::CStandardDialog {
public:
    explicit CountingPopup(win::Window* frame)
        : ui::CStandardDialog(IDD_MAIN, RGB(0, 255, 0), frame) {}

    int closes = 0;

    void OnClose() override { ++closes; }
};

// The frame with the real template and skin; the close runs inside its modal
// loop as in the launcher. (Sizes and positions are checked with the real
// main dialog in UiMainDialogTest.)
class TestFrame : public ui::CTranslucentDialog {
public:
    TestFrame() : ui::CTranslucentDialog(IDD_FRAME, IDB_SKIN, "IMAGE", nullptr) {}

    int closesSeen = -1;
    bool skinAfterClose = true;
    bool skinBeforeClose = false;

    CountingPopup* Popup() const { return static_cast<CountingPopup*>(m_pChild); }

protected:
    ui::CStandardDialog* CreateChildDialog() override { return new CountingPopup(this); }
    void OnInitTranslucent() override { ::PostMessageA(m_hWnd, kStep, 0, 0); }

    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override {
        if (msg != kStep)
            return ui::CTranslucentDialog::OnMessage(msg, wParam, lParam, result);
        skinBeforeClose = m_pImage != nullptr;
        Popup()->CloseWithParent(2);
        closesSeen = Popup()->closes;
        skinAfterClose = m_pImage != nullptr;
        // A second close request reaches the popup's hook again but frees
        // nothing twice.
        ::SendMessageA(m_hWnd, WM_CLOSE, 0, 0);
        return true;
    }
};

TEST(TranslucentFrame, ThePopupsCloseGoesThroughTheFrameOnce) {
    TestFrame frame;
    EXPECT_EQ(IDCANCEL, frame.DoModal());
    EXPECT_TRUE(frame.skinBeforeClose);
    EXPECT_EQ(1, frame.closesSeen);
    EXPECT_FALSE(frame.skinAfterClose);
    EXPECT_EQ(2, frame.Popup()->closes);
}

TEST(WindowTemplates, DialogHeadersAreAsTheLauncherNeedsThem) {
    // Template styles are read before the dialog manager or our code changes
    // them: load the template itself.
    HRSRC info = ::FindResourceA(nullptr, MAKEINTRESOURCEA(IDD_MAIN), MAKEINTRESOURCEA(5));
    ASSERT_NE(nullptr, info);
    const auto* words = static_cast<const WORD*>(::LockResource(::LoadResource(nullptr, info)));
    ASSERT_EQ(1, words[0]);
    ASSERT_EQ(0xFFFF, words[1]); // the extended template form
    const DWORD exStyle = *reinterpret_cast<const DWORD*>(words + 4);
    const DWORD style = *reinterpret_cast<const DWORD*>(words + 6);
    EXPECT_EQ(0x80000048u, style);
    EXPECT_EQ(0u, exStyle);
    EXPECT_EQ(3, words[8]);
    EXPECT_EQ(375, words[11]);
    EXPECT_EQ(284, words[12]);

    info = ::FindResourceA(nullptr, MAKEINTRESOURCEA(IDD_FRAME), MAKEINTRESOURCEA(5));
    ASSERT_NE(nullptr, info);
    words = static_cast<const WORD*>(::LockResource(::LoadResource(nullptr, info)));
    EXPECT_EQ(0x10000048u, *reinterpret_cast<const DWORD*>(words + 6));
    EXPECT_EQ(static_cast<DWORD>(WS_EX_APPWINDOW), *reinterpret_cast<const DWORD*>(words + 4));
    EXPECT_EQ(0, words[8]);
    EXPECT_EQ(315, words[11]);
    EXPECT_EQ(200, words[12]);
}

} // namespace
