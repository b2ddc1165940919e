#pragma once

#include "update/UpdateMessageRelay.h"
#include "win/Dialog.h"

class LaunchSession;

// A plain window with "Launch!" and "Exit" that decides the run exactly as the
// skinned launcher window does: "Launch!" clears the session's cancel flag and
// closes; every other way out stops the update work and leaves the flag set.
// It shows the update's progress and status as the skinned window will,
// through the same relay.
class StandInDialog : public win::Dialog {
public:
    explicit StandInDialog(LaunchSession* session);

    bool PreTranslateMessage(MSG& msg) override;

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    bool OnCommand(WORD id, WORD code, HWND control) override;
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    void OnLaunch();

    LaunchSession* m_pSession;
    HICON m_hIcon;
    UpdateMessageRelay m_relay;
    // Leaving while the update runs needs the player's confirmation.
    bool m_bUpdateDone = false;
};
