#include "portal/HtmlViewState.h"

void HtmlViewState::OnDocumentComplete(IDocumentSource& source) {
    if (m_bDocumentReady)
        return;
    // A frame's or an image's document may complete first; the page that
    // carries the script comes later.
    if (source.AttachCurrentDocument() == DocumentAttach::NotAnHtmlDocument)
        return;
    m_bDocumentReady = true;
    if (m_pListener)
        m_pListener->OnPageReady();
    m_bLinkPolicy = true;
}

void HtmlViewState::OnNavigateError(unsigned long status) {
    if (m_pListener)
        m_pListener->OnPageError(status);
}
