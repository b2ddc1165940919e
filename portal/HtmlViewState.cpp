#include "portal/HtmlViewState.h"

void HtmlViewState::OnDocumentComplete(IDocumentSource& source, bool topLevel) {
    // A frame's document may complete long before the top-level page's
    // script exists.
    if (m_bDocumentReady || !topLevel)
        return;
    // A top-level image or other document may complete first; the page that
    // carries the script comes later.
    if (source.AttachCurrentDocument() == DocumentAttach::kNotAnHtmlDocument)
        return;
    m_bDocumentReady = true;
    if (m_pListener)
        m_pListener->OnPageReady();
    m_bLinkPolicy = true;
}

void HtmlViewState::OnNavigateError(unsigned long status, bool topLevel) {
    if (topLevel && m_pListener)
        m_pListener->OnPageError(status);
}
