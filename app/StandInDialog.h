#pragma once

#include "win/Dialog.h"

class LaunchSession;

// A plain window with "Launch!" and "Exit" that decides the run exactly as the
// skinned launcher window does: "Launch!" clears the session's cancel flag and
// closes; every other way out stops the update work and leaves the flag set.
class StandInDialog : public win::Dialog {
public:
    explicit StandInDialog(LaunchSession* session);

    bool PreTranslateMessage(MSG& msg) override;

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    bool OnCommand(WORD id, WORD code, HWND control) override;

private:
    void OnLaunch();

    LaunchSession* m_pSession;
    HICON m_hIcon;
    // No update work runs yet, so leaving never needs the player's confirmation.
    bool m_bUpdateDone = true;
};
