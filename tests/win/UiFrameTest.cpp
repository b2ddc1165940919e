#include "UiTestWindow.h"

#include "res/resource.h"
#include "ui/GdipButton.h"
#include "ui/TextProgressCtrl.h"
#include "ui/TranslucentDialog.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const UINT kStep = WM_APP + 10;

RECT WindowRect(HWND hwnd) {
    RECT r = {};
    ::GetWindowRect(hwnd, &r);
    return r;
}

bool SameRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// The controls' popup as the launcher lays it out before the page loads, with
// the real template, bar and buttons.
class TestPopup : public ui::CStandardDialog {
public:
    explicit TestPopup(ui::CTranslucentDialog* frame)
        : ui::CStandardDialog(IDD_MAIN, RGB(0, 255, 0), frame), m_frame(frame) {}

    int closes = 0;

    void OnClose() override { ++closes; }

    void LayOut(int buttonsY) {
        ::SetWindowPos(m_btnLaunch.GetSafeHwnd(), nullptr, 151, buttonsY, 158, 33, 0);
        ::SetWindowPos(m_btnExit.GetSafeHwnd(), nullptr, 326, buttonsY, 158, 33, 0);
    }

protected:
    BOOL OnInitDialog() override {
        ui::CStandardDialog::OnInitDialog();
        m_progress.SubclassDlgItem(IDC_PROGRESS, m_hWnd);
        m_btnLaunch.SubclassDlgItem(IDC_LAUNCH, m_hWnd);
        m_btnExit.SubclassDlgItem(IDC_EXIT, m_hWnd);
        HWND bar = m_progress.GetSafeHwnd();
        ::SendMessageA(bar, ui::TPCM_SHOWPERCENT, 0, 0);
        ::SendMessageA(bar, PBM_SETBKCOLOR, 0, 0);
        ::SendMessageA(bar, PBM_SETBARCOLOR, 0, 0x009E595E);
        ::SendMessageA(bar, ui::TPCM_SETBARTEXTCOLOR, 0, 0);
        ::SendMessageA(bar, ui::TPCM_SETTEXTCOLOR, 0, 0x00C5999D);
        m_progress.SetLineBorder(0x00332516, 0);
        m_btnLaunch.SetImageResource(IDB_LAUNCH, "IMAGE");
        m_btnExit.SetImageResource(IDB_EXIT, "IMAGE");
        ::EnableWindow(m_btnLaunch.GetSafeHwnd(), FALSE);
        m_btnLaunch.SetImageType(2);
        ::SetWindowPos(bar, nullptr, 9, 193, 617, 25, 0);
        ::SendMessageA(bar, PBM_SETPOS, 45, 0);
        ::SetWindowTextA(bar, "Downloading japlus/cfg/duel_binds.cfg");
        LayOut(231);
        m_frame->SetSizeAndCenter(635, 277);
        return TRUE;
    }

private:
    ui::CTranslucentDialog* m_frame;
    ui::CTextProgressCtrl m_progress;
    ui::CGdipButton m_btnLaunch;
    ui::CGdipButton m_btnExit;
};

// The frame with the real template and skin. Each step of the test is posted
// to it, so that everything runs inside its modal loop as in the launcher.
class TestFrame : public ui::CTranslucentDialog {
public:
    TestFrame() : ui::CTranslucentDialog(IDD_FRAME, IDB_SKIN, "IMAGE", nullptr) {}

    struct Snapshot {
        RECT frame;
        RECT popup;
        RECT client;
        COLORREF exitButton; // a pixel inside the "Exit" button
    };
    std::vector<Snapshot> snapshots;
    int closesSeen = -1;
    bool skinAfterClose = true;
    bool skinBeforeClose = false;
    std::string artifacts;

    TestPopup* Popup() const { return static_cast<TestPopup*>(m_pChild); }

protected:
    ui::CStandardDialog* CreateChildDialog() override { return new TestPopup(this); }
    void OnInitTranslucent() override { ::PostMessageA(m_hWnd, kStep, 0, 0); }

    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override {
        if (msg != kStep)
            return ui::CTranslucentDialog::OnMessage(msg, wParam, lParam, result);
        uitest::Pump();
        Snap();
        switch (wParam) {
        case 0: // compact, as created
            SaveScreenshot("frame-compact.bmp");
            SetSizeAndCenter(635, 522);
            Popup()->LayOut(476);
            break;
        case 1: // full; the player drags the frame
            SaveScreenshot("frame-full.bmp");
            ::MoveWindow(m_hWnd, 100, 120, 635, 522, TRUE);
            break;
        default: // moved; the popup closes the pair
            skinBeforeClose = m_pImage != nullptr;
            Popup()->CloseWithParent(2);
            closesSeen = Popup()->closes;
            skinAfterClose = m_pImage != nullptr;
            // A second close request reaches the popup's hook again but
            // frees nothing twice.
            ::SendMessageA(m_hWnd, WM_CLOSE, 0, 0);
            return true;
        }
        ::PostMessageA(m_hWnd, kStep, wParam + 1, 0);
        return true;
    }

private:
    void Snap() {
        Snapshot s;
        s.frame = WindowRect(m_hWnd);
        s.popup = WindowRect(m_pChild->GetSafeHwnd());
        ::GetClientRect(m_hWnd, &s.client);
        s.exitButton = uitest::PixelAt(::GetDlgItem(m_pChild->GetSafeHwnd(), IDC_EXIT), 20, 16);
        snapshots.push_back(s);
    }

    void SaveScreenshot(const char* name) {
        if (!artifacts.empty())
            uitest::SaveScreenRect(WindowRect(m_hWnd), artifacts + "/" + name);
    }
};

TEST(TranslucentFrame, SizesPositionsAndCloseOrder) {
    TestFrame frame;
    frame.artifacts = VEMOR_UI_ARTIFACTS;
    ::CreateDirectoryA((std::string(VEMOR_UI_ARTIFACTS) + "/..").c_str(), nullptr);
    ::CreateDirectoryA(VEMOR_UI_ARTIFACTS, nullptr);
    EXPECT_EQ(IDCANCEL, frame.DoModal());
    ASSERT_EQ(3u, frame.snapshots.size());

    RECT area = {};
    ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    const int screenWidth = ::GetSystemMetrics(SM_CXSCREEN);
    const int screenHeight = ::GetSystemMetrics(SM_CYSCREEN);

    // Created: compact, centred in the work area as if it were the whole skin.
    const auto& compact = frame.snapshots[0];
    EXPECT_EQ(635, compact.frame.right - compact.frame.left);
    EXPECT_EQ(277, compact.frame.bottom - compact.frame.top);
    EXPECT_EQ(area.left + (area.right - area.left - 635) / 2, compact.frame.left);
    EXPECT_EQ(area.top + (area.bottom - area.top - 522) / 2, compact.frame.top);
    EXPECT_EQ(635, compact.client.right); // no caption or border is left
    EXPECT_EQ(277, compact.client.bottom);
    EXPECT_TRUE(SameRect(compact.frame, compact.popup));
    EXPECT_NE(RGB(0, 255, 0), compact.exitButton); // the button's image, not the key colour

    // Full: the whole skin, re-centred on the screen above the taskbar allowance.
    const auto& full = frame.snapshots[1];
    EXPECT_EQ((screenWidth - 635) / 2, full.frame.left);
    EXPECT_EQ((screenHeight - 40 - 522) / 2, full.frame.top);
    EXPECT_EQ(635, full.frame.right - full.frame.left);
    EXPECT_EQ(522, full.frame.bottom - full.frame.top);
    EXPECT_TRUE(SameRect(full.frame, full.popup));
    // Moved into the part the resize uncovered, the buttons still show.
    EXPECT_NE(RGB(0, 255, 0), full.exitButton);

    // Moved: the popup follows the frame.
    const auto& moved = frame.snapshots[2];
    EXPECT_EQ(100, moved.frame.left);
    EXPECT_EQ(120, moved.frame.top);
    EXPECT_TRUE(SameRect(moved.frame, moved.popup));

    // The popup's close went through the frame once; the skin is gone after it.
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
