#pragma once

#include "portal/IHTMLViewListener.h"
#include "portal/NavigationPolicy.h"

#include <string>

// What asking the browser for the page it has loaded gave.
enum class DocumentAttach {
    kAttached,          // the page's document and script are attached to the script caller
    kNoDocument,        // the browser holds no document (an engine without HTML support)
    kNotAnHtmlDocument, // a document that is no HTML document: wait for the next one
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
//
// The browser raises its events for the top-level page and for every frame
// embedded in it (topLevel false). Only the top-level page's document makes
// the page ready; a frame's navigations are no link clicks of the player's
// and stay in their frame, under the browser's own security.
class HtmlViewState {
public:
    void SetListener(IHTMLViewListener* listener) { m_pListener = listener; }

    NavigationDecision OnBeforeNavigate2(const std::string& url, bool topLevel) const {
        return topLevel ? DecideNavigation(url, m_bLinkPolicy) : NavigationDecision::kStayInView;
    }
    // url is null when the browser does not say where the window would go.
    NavigationDecision OnNewWindow(const std::string* url) const { return DecideNewWindow(url); }
    void OnDocumentComplete(IDocumentSource& source, bool topLevel);
    // The browser's error page is always cancelled; the owner hears of every
    // failure of the top-level page. A frame that fails (an embedded
    // advertisement, say) is no failure of the portal page.
    void OnNavigateError(unsigned long status, bool topLevel);

    bool IsDocumentReady() const { return m_bDocumentReady; }
    bool IsLinkPolicy() const { return m_bLinkPolicy; }

private:
    bool m_bDocumentReady = false;
    IHTMLViewListener* m_pListener = nullptr;
    bool m_bLinkPolicy = false;
};
