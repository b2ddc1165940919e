#pragma once

#include "portal/IHTMLViewListener.h"
#include "portal/NavigationPolicy.h"

#include <string>

// What asking the browser for the page it has loaded gave.
enum class DocumentAttach {
    Attached,          // the page's document and script are attached to the script caller
    NoDocument,        // the browser holds no document (an engine without HTML support)
    NotAnHtmlDocument, // a document that is no HTML document: wait for the next one
};

// The part of the view that reaches the browser's current document.
class IDocumentSource {
public:
    virtual DocumentAttach AttachCurrentDocument() = 0;

protected:
    ~IDocumentSource() = default;
};

// The portal view's load state and its answers to the browser's events,
// apart from the browser so that it can be driven by stand-ins: the first
// document completes once, the listener hears of it once, and only then does
// the link policy come into force.
class HtmlViewState {
public:
    void SetListener(IHTMLViewListener* listener) { m_pListener = listener; }

    NavigationDecision OnBeforeNavigate2(const std::string& url) const {
        return DecideNavigation(url, m_bLinkPolicy);
    }
    void OnDocumentComplete(IDocumentSource& source);
    // The browser's error page is always cancelled; the owner hears of every
    // failure.
    void OnNavigateError(unsigned long status);

    bool IsDocumentReady() const { return m_bDocumentReady; }
    bool IsLinkPolicy() const { return m_bLinkPolicy; }

private:
    bool m_bDocumentReady = false;
    IHTMLViewListener* m_pListener = nullptr;
    bool m_bLinkPolicy = false;
};
