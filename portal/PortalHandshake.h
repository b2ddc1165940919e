#pragma once

#include "identity/AccountRecord.h"
#include "portal/IPortalPage.h"

#include <functional>

// What the handshake needs of the main dialog's window.
class IHandshakeWindow {
public:
    // SetTimer/KillTimer on the dialog's window.
    virtual void StartTimer(unsigned id, unsigned milliseconds) = 0;
    virtual void StopTimer(unsigned id) = 0;
    // CloseWithParent(1): the self-update hand-off ends the run.
    virtual void CloseForSelfUpdate() = 0;
    // LayoutAfterPageLoad(): the full window with the portal shown.
    virtual void ShowPortal() = 0;

protected:
    ~IHandshakeWindow() = default;
};

// The main dialog's side of the exchange with the portal page: once the
// page is ready it passes the stored access values and the machine
// identifier to the page's authorize, retrying on a one-shot timer while the
// page's script is not ready; on closing it reads the page's values back into
// the account record and saves it. Everything runs on the dialog's thread;
// the dialog forwards the view's listener calls, its WM_TIMER and the
// self-update hand-off (after bringing it to its own thread).
class PortalHandshake {
public:
    static const unsigned kTimerId = 1225;
    static const unsigned kRetryMilliseconds = 500;
    static const int kAuthorizeTries = 3;

    // page may be null when the portal view could not be created; save
    // writes the record (AccountRecord::Save).
    PortalHandshake(AccountRecord& account, IPortalPage* page, IHandshakeWindow& window,
                    std::function<void()> save);
    PortalHandshake(const PortalHandshake&) = delete;
    PortalHandshake& operator=(const PortalHandshake&) = delete;

    void OnPageReady();
    void OnPageError();
    // The update worker handed over to the self-update program: close now if
    // the page is ready, else as soon as it is.
    void OnSelfUpdateStarted();
    // WM_TIMER; true when it was the handshake's timer.
    bool OnTimer(unsigned id);
    // Reads get_access_mid, get_access_code and get_lang into the record and
    // saves it, but only after an authorize call has returned in this view
    // and only when all three functions ran: otherwise (a close in the half
    // second before authorize, no page document, or a page that is not the
    // portal's) the stored values stay and nothing is written, so such a
    // page never wipes the login.
    void CapturePortalValues();

    bool IsPageReady() const { return m_bPageReady; }
    // "Launch!" skips its own capture after a navigation error.
    bool IsPageError() const { return m_bPageError; }

private:
    AccountRecord& m_account;
    IPortalPage* m_pPage;
    IHandshakeWindow& m_window;
    std::function<void()> m_save;

    void CloseForSelfUpdate();

    bool m_bExitPending = false;
    bool m_bClosedForSelfUpdate = false;
    bool m_bPageReady = false;
    bool m_bPageError = false;
    bool m_bAuthorized = false; // the page's authorize has run
    int m_nAuthorizeTries = 0;
};
