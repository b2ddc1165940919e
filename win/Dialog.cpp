#include "win/Dialog.h"

namespace win {

namespace {

// Messages whose result a dialog procedure returns directly instead of
// through DWLP_MSGRESULT.
bool ReturnsResultDirectly(UINT msg) {
    switch (msg) {
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_QUERYDRAGICON:
    case WM_INITDIALOG:
        return true;
    default:
        return false;
    }
}

} // namespace

Dialog::Dialog(UINT templateId) : m_templateId(templateId) {}

Dialog::~Dialog() {
    if (m_hWnd && ::IsWindow(m_hWnd)) {
        HWND hwnd = m_hWnd;
        Detach();
        ::DestroyWindow(hwnd);
    }
}

bool Dialog::Create(HWND parent) {
    HWND hwnd = ::CreateDialogParamA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(m_templateId),
                                     parent, &Dialog::DialogProc, reinterpret_cast<LPARAM>(this));
    return hwnd != nullptr;
}

INT_PTR Dialog::DoModal(HWND owner) {
    m_modal = true;
    m_endRequested = false;
    m_result = -1;
    // The owner is disabled before the dialog exists, so that nothing the
    // dialog's initialisation starts can reach the owner.
    const bool ownerWasEnabled = owner && ::IsWindowEnabled(owner);
    if (ownerWasEnabled)
        ::EnableWindow(owner, FALSE);
    if (!Create(owner)) {
        if (ownerWasEnabled)
            ::EnableWindow(owner, TRUE);
        m_modal = false;
        return -1;
    }
    if (!m_endRequested && !::IsWindowVisible(m_hWnd))
        ::ShowWindow(m_hWnd, SW_SHOWNORMAL);

    MSG msg;
    while (!m_endRequested) {
        const BOOL got = ::GetMessageA(&msg, nullptr, 0, 0);
        if (got == 0) {
            // WM_QUIT belongs to an outer loop; hand it back.
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (got == -1)
            break;
        if (!PreTranslateChain(msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
    }

    // The owner is enabled again before the dialog goes, so it gets the focus back.
    if (ownerWasEnabled)
        ::EnableWindow(owner, TRUE);
    if (m_hWnd)
        ::DestroyWindow(m_hWnd);
    m_modal = false;
    return m_result;
}

void Dialog::EndDialog(INT_PTR result) {
    m_result = result;
    if (m_modal) {
        m_endRequested = true;
        // Wakes the loop if it is waiting in GetMessage.
        if (m_hWnd)
            ::PostMessageA(m_hWnd, WM_NULL, 0, 0);
    } else if (m_hWnd) {
        ::DestroyWindow(m_hWnd);
    }
}

BOOL Dialog::OnInitDialog() {
    return TRUE;
}

void Dialog::OnOK() {
    EndDialog(IDOK);
}

void Dialog::OnCancel() {
    EndDialog(IDCANCEL);
}

bool Dialog::OnCommand(WORD, WORD, HWND) {
    return false;
}

bool Dialog::OnMessage(UINT, WPARAM, LPARAM, LRESULT&) {
    return false;
}

INT_PTR Dialog::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (OnMessage(msg, wParam, lParam, result)) {
        if (ReturnsResultDirectly(msg))
            return static_cast<INT_PTR>(result);
        ::SetWindowLongPtrA(m_hWnd, DWLP_MSGRESULT, result);
        return TRUE;
    }
    switch (msg) {
    case WM_INITDIALOG:
        return OnInitDialog();
    case WM_COMMAND: {
        const WORD id = LOWORD(wParam);
        const WORD code = HIWORD(wParam);
        HWND control = reinterpret_cast<HWND>(lParam);
        if (OnCommand(id, code, control))
            return TRUE;
        if (id == IDOK && (code == BN_CLICKED || control == nullptr)) {
            OnOK();
            return TRUE;
        }
        if (id == IDCANCEL && (code == BN_CLICKED || control == nullptr)) {
            OnCancel();
            return TRUE;
        }
        return FALSE;
    }
    default:
        return FALSE;
    }
}

INT_PTR CALLBACK Dialog::DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    // The object is found through the window property that Attach sets, the one
    // place every kind of window keeps its object.
    Dialog* self = nullptr;
    if (msg == WM_INITDIALOG) {
        self = reinterpret_cast<Dialog*>(lParam);
        self->Attach(hwnd);
    } else {
        self = static_cast<Dialog*>(FromHandle(hwnd));
    }
    if (!self)
        return FALSE;

    const INT_PTR handled = Guarded([&] { return self->HandleMessage(msg, wParam, lParam); });
    if (msg == WM_NCDESTROY)
        self->Detach();
    return handled;
}

} // namespace win
