#include "portal/PortalHandshake.h"

#include <utility>

PortalHandshake::PortalHandshake(AccountRecord& account, IPortalPage* page,
                                 IHandshakeWindow& window, std::function<void()> save)
    : m_account(account), m_pPage(page), m_window(window), m_save(std::move(save)) {}

void PortalHandshake::OnPageReady() {
    m_bPageReady = true;
    if (m_bExitPending) {
        CloseForSelfUpdate();
        return;
    }
    // After a navigation error the portal stays hidden, but a page that did
    // become ready still gets its authorize call.
    if (!m_bPageError)
        m_window.ShowPortal();
    m_nAuthorizeTries = kAuthorizeTries;
    m_window.StartTimer(kTimerId, kRetryMilliseconds);
}

void PortalHandshake::OnPageError() {
    m_bPageError = true;
    // The page may never become ready now; the self-update program is waiting
    // for the launcher to close.
    if (m_bExitPending)
        CloseForSelfUpdate();
}

// The close waits for a page that is still loading, but never for one that
// failed or for a view that does not exist.
void PortalHandshake::OnSelfUpdateStarted() {
    m_bExitPending = true;
    if (m_bPageReady || m_bPageError || !m_pPage)
        CloseForSelfUpdate();
}

void PortalHandshake::CloseForSelfUpdate() {
    if (m_bClosedForSelfUpdate)
        return;
    m_bClosedForSelfUpdate = true;
    m_window.CloseForSelfUpdate();
}

bool PortalHandshake::OnTimer(unsigned id) {
    if (id != kTimerId)
        return false;
    // Each attempt is a one-shot: a slow page call must not queue the next.
    m_window.StopTimer(kTimerId);
    if (m_pPage &&
        m_pPage->Authorize(m_account.m_accessMid, m_account.m_accessCode, m_account.m_machineId)) {
        m_bAuthorized = true;
        return true;
    }
    if (--m_nAuthorizeTries > 0)
        m_window.StartTimer(kTimerId, kRetryMilliseconds);
    return true;
}

void PortalHandshake::CapturePortalValues() {
    // Until authorize has run the page knows nothing of the stored values:
    // its fields are still empty, and reading them would wipe the login.
    if (!m_pPage || !m_bAuthorized || !m_pPage->HasDocument())
        return;
    // Whatever page the view shows at the close may not be the portal's: a
    // Wi-Fi sign-in or maintenance page, a script error, a page reached by a
    // link. Only a page that answers all three calls is the portal, and only
    // then are the stored values replaced, together.
    std::string mid, code, lang;
    if (!m_pPage->GetAccessMid(mid) || !m_pPage->GetAccessCode(code) || !m_pPage->GetLang(lang))
        return;
    m_account.m_accessMid = mid;
    m_account.m_accessCode = code;
    m_account.m_lang = lang;
    m_save();
}
