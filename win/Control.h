#pragma once

#include "win/Window.h"

namespace win {

// The object of a control that comes from a dialog template or was created by
// someone else: it is attached by subclassing (SetWindowSubclass) and sees the
// control's messages first. The parent reflects WM_DRAWITEM and control-colour
// requests to it through Reflect.
class Control : public Window {
public:
    ~Control() override;

    // Attaches this object to the parent's control with the given id.
    bool SubclassDlgItem(int id, HWND parent);
    bool SubclassWindow(HWND hwnd);

    // Called by a parent for WM_DRAWITEM and WM_CTLCOLOR* messages: hands the
    // message to the object of the child it concerns. True when that object
    // handled it; result then holds the message's result.
    static bool Reflect(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);

protected:
    // Runs after the object is attached, before any further message arrives.
    virtual void PreSubclassWindow() {}
    // The control's message map; true when handled, with the result in result.
    virtual bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
    // A message reflected by the parent; true when handled.
    virtual bool OnReflectedMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
    // The control's own processing of a message.
    LRESULT Default(UINT msg, WPARAM wParam, LPARAM lParam);

    // Adds and removes style bits; flags, when given, go to SetWindowPos so
    // that a frame change is noticed.
    void ModifyStyle(DWORD remove, DWORD add, UINT flags = 0);

private:
    static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam,
                                         UINT_PTR id, DWORD_PTR refData);
    void Unsubclass();
};

} // namespace win
