#pragma once

#include "win/Window.h"

namespace win {

// A dialog from a template in the program's resources, run modeless or in a
// modal loop of our own so that every message passes the PreTranslateMessage
// chain first (the system's DialogBox loop would not offer it).
class Dialog : public Window {
public:
    explicit Dialog(UINT templateId);
    ~Dialog() override;

    // Creates the dialog, disables the owner, pumps messages until EndDialog
    // and returns its result; -1 when the dialog could not be created.
    INT_PTR DoModal(HWND owner = nullptr);
    // Creates the dialog modeless; the caller shows it.
    bool Create(HWND parent);
    // Ends the modal loop (a modeless dialog is destroyed at once).
    void EndDialog(INT_PTR result);

protected:
    virtual BOOL OnInitDialog();
    // IDOK and IDCANCEL commands, also from Enter and Escape.
    virtual void OnOK();
    virtual void OnCancel();
    // Other WM_COMMAND notifications; true when handled.
    virtual bool OnCommand(WORD id, WORD code, HWND control);
    // The message map of a derived dialog; true when handled, with the
    // message's result in result.
    virtual bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    INT_PTR HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);

    UINT m_templateId;
    bool m_modal = false;
    bool m_endRequested = false;
    INT_PTR m_result = 0;
};

} // namespace win
