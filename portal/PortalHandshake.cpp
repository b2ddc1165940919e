#include "portal/PortalHandshake.h"

#include <utility>

PortalHandshake::PortalHandshake(AccountRecord& account, IPortalPage* page,
                                 IHandshakeWindow& window, std::function<void()> save)
    : m_account(account), m_pPage(page), m_window(window), m_save(std::move(save)) {}

void PortalHandshake::OnPageReady() {
    m_bPageReady = true;
    if (m_bExitPending) {
        m_window.CloseForSelfUpdate();
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
}

void PortalHandshake::OnSelfUpdateStarted() {
    if (m_bPageReady)
        m_window.CloseForSelfUpdate();
    else
        m_bExitPending = true;
}

bool PortalHandshake::OnTimer(unsigned id) {
    if (id != kTimerId)
        return false;
    // Each attempt is a one-shot: a slow page call must not queue the next.
    m_window.StopTimer(kTimerId);
    if (m_pPage &&
        m_pPage->Authorize(m_account.m_accessMid, m_account.m_accessCode, m_account.m_machineId))
        return true;
    if (--m_nAuthorizeTries > 0)
        m_window.StartTimer(kTimerId, kRetryMilliseconds);
    return true;
}

void PortalHandshake::CapturePortalValues() {
    if (!m_pPage || !m_pPage->HasDocument())
        return;
    m_account.m_accessMid = m_pPage->GetAccessMid();
    m_account.m_accessCode = m_pPage->GetAccessCode();
    m_account.m_lang = m_pPage->GetLang();
    m_save();
}
