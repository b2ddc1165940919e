#include "app/StandInDialog.h"

#include "app/LaunchSession.h"
#include "res/resource.h"
#include "win/MessageBox.h"

#include <commctrl.h>

StandInDialog::StandInDialog(LaunchSession* session)
    : win::Dialog(IDD_STANDIN), m_pSession(session),
      m_hIcon(::LoadIconA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_VEMOR))) {}

BOOL StandInDialog::OnInitDialog() {
    ::SendMessageA(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    ::SendMessageA(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));
    HWND progress = ::GetDlgItem(m_hWnd, IDC_PROGRESS);
    ::SendMessageA(progress, PBM_SETRANGE32, 0, 100);
    ::SendMessageA(progress, PBM_SETPOS, 0, 0);
    ::SetDlgItemTextA(m_hWnd, IDC_STATUS, "");
    // "Launch!" waits for the update to end.
    ::EnableWindow(::GetDlgItem(m_hWnd, IDC_LAUNCH), FALSE);
    m_relay.SetWindow(m_hWnd);
    m_pSession->StartWorkers(&m_relay);
    return TRUE;
}

bool StandInDialog::OnMessage(UINT msg, WPARAM wParam, LPARAM, LRESULT& result) {
    result = 0;
    switch (msg) {
    case UpdateMessageRelay::kProgressMessage:
        ::SendDlgItemMessageA(m_hWnd, IDC_PROGRESS, PBM_SETPOS, wParam, 0);
        return true;
    case UpdateMessageRelay::kStatusMessage:
        ::SetDlgItemTextA(m_hWnd, IDC_STATUS, m_relay.Status().c_str());
        return true;
    case UpdateMessageRelay::kFinishedMessage:
        ::EnableWindow(::GetDlgItem(m_hWnd, IDC_LAUNCH), TRUE);
        m_bUpdateDone = true;
        return true;
    case UpdateMessageRelay::kSelfUpdateMessage:
        // "eu.exe" replaces the launcher now: close without launching.
        EndDialog(IDCANCEL);
        return true;
    default:
        return false;
    }
}

bool StandInDialog::PreTranslateMessage(MSG& msg) {
    // F5 must never reload anything in the launcher window.
    return msg.message == WM_KEYDOWN && msg.wParam == VK_F5;
}

bool StandInDialog::OnCommand(WORD id, WORD code, HWND) {
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

void StandInDialog::OnLaunch() {
    m_pSession->SetCancelled(0);
    EndDialog(IDOK);
}

// Enter closes the window without deciding anything: the flag stays as it is.
void StandInDialog::OnOK() {
    EndDialog(IDOK);
}

void StandInDialog::OnCancel() {
    if (!m_bUpdateDone && win::ShowMessage(IDS_STOP_UPDATING, MB_YESNO) != IDYES)
        return;
    m_pSession->RequestStop();
    m_pSession->SetCancelled(1);
    EndDialog(IDCANCEL);
}
