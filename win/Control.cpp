#include "win/Control.h"

#include <commctrl.h>

namespace win {

namespace {

const UINT_PTR kSubclassId = 0x56454D; // one subclass of ours per control

HWND ReflectionTarget(UINT msg, WPARAM wParam, LPARAM lParam) {
    (void)wParam;
    switch (msg) {
    case WM_DRAWITEM:
        return reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)->hwndItem;
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
        return reinterpret_cast<HWND>(lParam);
    default:
        return nullptr;
    }
}

} // namespace

Control::~Control() {
    Unsubclass();
}

bool Control::SubclassDlgItem(int id, HWND parent) {
    return SubclassWindow(::GetDlgItem(parent, id));
}

bool Control::SubclassWindow(HWND hwnd) {
    if (!hwnd || m_hWnd)
        return false;
    if (!::SetWindowSubclass(hwnd, &Control::SubclassProc, kSubclassId,
                             reinterpret_cast<DWORD_PTR>(this)))
        return false;
    Attach(hwnd);
    PreSubclassWindow();
    return true;
}

void Control::Unsubclass() {
    if (!m_hWnd)
        return;
    ::RemoveWindowSubclass(m_hWnd, &Control::SubclassProc, kSubclassId);
    Detach();
}

bool Control::Reflect(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    HWND target = ReflectionTarget(msg, wParam, lParam);
    auto* control = dynamic_cast<Control*>(Window::FromHandle(target));
    return control && control->OnReflectedMessage(msg, wParam, lParam, result);
}

bool Control::OnMessage(UINT, WPARAM, LPARAM, LRESULT&) {
    return false;
}

bool Control::OnReflectedMessage(UINT, WPARAM, LPARAM, LRESULT&) {
    return false;
}

LRESULT Control::Default(UINT msg, WPARAM wParam, LPARAM lParam) {
    return ::DefSubclassProc(m_hWnd, msg, wParam, lParam);
}

void Control::ModifyStyle(DWORD remove, DWORD add, UINT flags) {
    const LONG_PTR style = ::GetWindowLongPtrA(m_hWnd, GWL_STYLE);
    ::SetWindowLongPtrA(m_hWnd, GWL_STYLE, (style & ~static_cast<LONG_PTR>(remove)) | add);
    if (flags)
        ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                       SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | flags);
}

LRESULT CALLBACK Control::SubclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                       DWORD_PTR refData) {
    auto* self = reinterpret_cast<Control*>(refData);
    LRESULT result = 0;
    const bool handled = Guarded([&] { return self->OnMessage(msg, wParam, lParam, result); });
    if (msg == WM_NCDESTROY) {
        self->Unsubclass();
        return ::DefSubclassProc(hwnd, msg, wParam, lParam);
    }
    return handled ? result : ::DefSubclassProc(hwnd, msg, wParam, lParam);
}

} // namespace win
