#pragma once

#include "portal/IHTMLViewListener.h"
#include "portal/PortalFrame.h"
#include "portal/PortalHandshake.h"
#include "ui/GdipButton.h"
#include "ui/StandardDialog.h"
#include "ui/TextProgressCtrl.h"
#include "update/IUpdateListener.h"

#include <memory>

namespace ui {

class ILauncherSession;

// The visible content of the launcher: the colour-keyed popup over the skin
// with the progress bar (which carries the update's status text), the portal
// view and the "Launch!" and "Exit" buttons. It turns the update thread's
// reports into window work on its own thread, grows to the full layout once
// the portal page has loaded, runs the portal handshake, and decides the run:
// only "Launch!" clears the session's cancel flag.
class MainDialog : public CStandardDialog, public IHTMLViewListener, private IHandshakeWindow {
public:
    MainDialog(ILauncherSession* session, win::Window* parent);
    ~MainDialog() override;

    bool PreTranslateMessage(MSG& msg) override;
    void OnClose() override;

    // IHTMLViewListener
    void OnPageReady() override;
    void OnPageError(unsigned long dwStatus) override;

protected:
    BOOL OnInitDialog() override;
    // Enter never closes the launcher; only "Launch!" does so with a launch.
    void OnOK() override {}
    // "Exit" and every other close: the question while the update runs, then
    // the stop, the cancel flag and the close of the pair.
    void OnCancel() override;
    bool OnCommand(WORD id, WORD code, HWND control) override;
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    void OnLaunch();
    void OnUpdateFinished(UpdateEnd end);
    void CreatePortalView();
    void LayoutButtons(int y);
    void LayoutBeforePageLoad();
    void LayoutAfterPageLoad();
    void ResizeFrame(int cx, int cy);

    // IHandshakeWindow
    void StartTimer(unsigned id, unsigned milliseconds) override;
    void StopTimer(unsigned id) override;
    void CloseForSelfUpdate() override;
    void ShowPortal() override { LayoutAfterPageLoad(); }

    ILauncherSession* m_pSession;
    HICON m_hIcon;
    CGdipButton m_btnLaunch;
    CGdipButton m_btnExit;
    std::unique_ptr<PortalFrame> m_pHtmlFrame;
    HTMLView* m_pHtmlView = nullptr;
    std::unique_ptr<PortalHandshake> m_handshake;
    bool m_bUpdateDone = false;
    // The stop question is on screen: further close requests wait for its answer.
    bool m_bAsking = false;
    CTextProgressCtrl m_progress;
};

} // namespace ui
