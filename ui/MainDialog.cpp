#include "ui/MainDialog.h"

#include "BuildConfig.h"
#include "portal/PortalAddress.h"
#include "res/resource.h"
#include "ui/FrameLayout.h"
#include "ui/ILauncherSession.h"
#include "ui/TranslucentDialog.h"
#include "win/MessageBox.h"
#include "workers/WindowMessages.h"

#include <commctrl.h>

namespace ui {

namespace {

const COLORREF kColorKey = RGB(0, 255, 0);

} // namespace

MainDialog::MainDialog(ILauncherSession* session, win::Window* parent)
    : CStandardDialog(IDD_MAIN, kColorKey, parent), m_pSession(session),
      m_hIcon(::LoadIconA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_VEMOR))) {}

MainDialog::~MainDialog() = default;

BOOL MainDialog::OnInitDialog() {
    CStandardDialog::OnInitDialog();

    m_progress.SubclassDlgItem(IDC_PROGRESS, m_hWnd);
    HWND bar = m_progress.GetSafeHwnd();
    ::SendMessageA(bar, TPCM_SHOWPERCENT, 0, 0);
    ::SendMessageA(bar, PBM_SETBKCOLOR, 0, RGB(0, 0, 0));
    ::SendMessageA(bar, PBM_SETBARCOLOR, 0, RGB(94, 89, 158));
    ::SendMessageA(bar, TPCM_SETBARTEXTCOLOR, 0, RGB(0, 0, 0));
    ::SendMessageA(bar, TPCM_SETTEXTCOLOR, 0, RGB(157, 153, 197));
    ::SetWindowLongA(bar, GWL_EXSTYLE, ::GetWindowLongA(bar, GWL_EXSTYLE) & ~WS_EX_STATICEDGE);
    m_progress.SetLineBorder(RGB(22, 37, 51), RGB(0, 0, 0));

    m_btnLaunch.SubclassDlgItem(IDC_LAUNCH, m_hWnd);
    m_btnExit.SubclassDlgItem(IDC_EXIT, m_hWnd);
    m_btnLaunch.SetImageResource(IDB_LAUNCH, "IMAGE");
    m_btnExit.SetImageResource(IDB_EXIT, "IMAGE");
    ::EnableWindow(m_btnLaunch.GetSafeHwnd(), FALSE);
    m_btnLaunch.SetImageType(CGdipButton::kDisabledLook);

    ::SendMessageA(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    ::SendMessageA(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));
    if (win::Window* parent = GetParentWindow())
        ::SetWindowTextA(parent->GetSafeHwnd(), "Vemor Academy");

    CreatePortalView();
    AccountRecord& account = m_pSession->GetAccount();
    IHandshakeWindow& window = *this;
    m_handshake = std::make_unique<PortalHandshake>(account, m_pHtmlView, window,
                                                    [&account] { account.Save(); });
    if (m_pHtmlView)
        m_pHtmlView->Navigate(PortalAddress(build_config::kPortalHost, account.m_lang));
    LayoutBeforePageLoad();
    ::ShowWindow(m_hWnd, SW_SHOWNORMAL);

    m_pSession->StartWorkers(m_hWnd);
    return TRUE;
}

void MainDialog::CreatePortalView() {
    m_pHtmlFrame = PortalFrame::Create(m_hWnd, this);
    if (!m_pHtmlFrame)
        return;
    m_pHtmlView = &m_pHtmlFrame->View();
    HWND view = m_pHtmlView->GetSafeHwnd();
    ::SetWindowLongA(view, GWL_EXSTYLE, ::GetWindowLongA(view, GWL_EXSTYLE) & ~WS_EX_CLIENTEDGE);
}

void MainDialog::LayoutButtons(int y) {
    int x = kButtonsLeft;
    for (CGdipButton* button : {&m_btnLaunch, &m_btnExit}) {
        ::SetWindowPos(button->GetSafeHwnd(), nullptr, x, y, kButtonWidth, kButtonHeight, 0);
        x += kButtonStep;
    }
}

void MainDialog::ResizeFrame(int cx, int cy) {
    if (auto* frame = dynamic_cast<CTranslucentDialog*>(GetParentWindow()))
        frame->SetSizeAndCenter(cx, cy);
}

// The compact window while the page loads: the bar and the buttons only.
void MainDialog::LayoutBeforePageLoad() {
    if (m_pHtmlFrame)
        ::ShowWindow(m_pHtmlFrame->GetSafeHwnd(), SW_HIDE);
    ::MoveWindow(m_progress.GetSafeHwnd(), kBarLeft, kBarTop, kBarWidth, kBarHeight, TRUE);
    LayoutButtons(kCompactButtonsTop);
    ResizeFrame(kFrameWidth, kCompactFrameHeight);
}

// The full window: the portal between the bar and the buttons.
void MainDialog::LayoutAfterPageLoad() {
    if (!m_pHtmlView)
        return;
    RECT bar;
    ::GetWindowRect(m_progress.GetSafeHwnd(), &bar);
    ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&bar), 2);
    ::MoveWindow(m_pHtmlFrame->GetSafeHwnd(), kPortalLeft, bar.bottom + kPortalGapBelowBar,
                 kPortalWidth, bar.top - bar.bottom + kPortalAndBarHeight, TRUE);
    LayoutButtons(kFullButtonsTop);
    ResizeFrame(kFrameWidth, kFullFrameHeight);
    ::ShowWindow(m_pHtmlFrame->GetSafeHwnd(), SW_SHOWNORMAL);
}

bool MainDialog::PreTranslateMessage(MSG& msg) {
    // F5 would reload the portal page; the launcher has nothing to refresh.
    return msg.message == WM_KEYDOWN && msg.wParam == VK_F5;
}

bool MainDialog::OnCommand(WORD id, WORD code, HWND) {
    if (code != BN_CLICKED)
        return false;
    if (id == IDC_LAUNCH) {
        OnLaunch();
        return true;
    }
    if (id == IDC_EXIT) {
        OnCancel();
        return true;
    }
    return false;
}

bool MainDialog::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (msg) {
    case window_messages::kProgressMessage:
        ::SendMessageA(m_progress.GetSafeHwnd(), PBM_SETPOS, wParam, 0);
        result = 0;
        return true;
    case window_messages::kStatusMessage:
        ::SetWindowTextA(m_progress.GetSafeHwnd(), m_pSession->UpdateStatus().c_str());
        ::InvalidateRect(m_progress.GetSafeHwnd(), nullptr, TRUE);
        result = 0;
        return true;
    case window_messages::kCloseMessage:
        CloseWithParent(IDCANCEL);
        result = 0;
        return true;
    case window_messages::kEndedMessage:
        OnUpdateFinished(static_cast<UpdateEnd>(wParam));
        result = 0;
        return true;
    case WM_TIMER:
        if (m_handshake->OnTimer(static_cast<unsigned>(wParam))) {
            result = 0;
            return true;
        }
        return false;
    default:
        return CStandardDialog::OnMessage(msg, wParam, lParam, result);
    }
}

// Runs on the dialog's thread when the update thread has reported its end.
void MainDialog::OnUpdateFinished(UpdateEnd end) {
    if (end == UpdateEnd::kSelfUpdate) {
        m_handshake->OnSelfUpdateStarted();
        return;
    }
    ::EnableWindow(m_btnLaunch.GetSafeHwnd(), TRUE);
    m_btnLaunch.SetImageType(CGdipButton::kStandardLooks);
    ::SendMessageA(m_progress.GetSafeHwnd(), PBM_SETPOS, 0, 0);
    m_bUpdateDone = true;
}

void MainDialog::OnLaunch() {
    if (!m_handshake->IsPageError())
        m_handshake->CapturePortalValues();
    m_pSession->SetCancelled(ILauncherSession::kLaunchGame);
    CStandardDialog::OnOK();
}

void MainDialog::OnCancel() {
    // The question's own loop still delivers closes to the other window of
    // the pair (the message box disables only its owner).
    if (m_bAsking || IsClosingWithParent())
        return;
    if (!m_bUpdateDone) {
        m_bAsking = true;
        const int answer = win::ShowMessage(IDS_STOP_UPDATING, MB_YESNO);
        m_bAsking = false;
        // A self-update may have closed the pair meanwhile.
        if (answer != IDYES || IsClosingWithParent())
            return;
    }
    m_pSession->RequestStop();
    m_pSession->SetCancelled(ILauncherSession::kNoLaunch);
    CloseWithParent(IDCANCEL);
}

void MainDialog::OnClose() {
    if (m_handshake)
        m_handshake->CapturePortalValues();
    m_btnLaunch.ReleaseImages();
    m_btnExit.ReleaseImages();
}

void MainDialog::OnPageReady() {
    m_handshake->OnPageReady();
}

void MainDialog::OnPageError(unsigned long) {
    m_handshake->OnPageError();
}

void MainDialog::StartTimer(unsigned id, unsigned milliseconds) {
    ::SetTimer(m_hWnd, id, milliseconds, nullptr);
}

void MainDialog::StopTimer(unsigned id) {
    ::KillTimer(m_hWnd, id);
}

void MainDialog::CloseForSelfUpdate() {
    CloseWithParent(1);
}

} // namespace ui
