#pragma once

#include "portal/BrowserHost.h"
#include "portal/HtmlScript.h"
#include "portal/HtmlViewState.h"
#include "portal/IPortalPage.h"
#include "win/ChildWindow.h"
#include "win/ComPtr.h"

// The embedded web-browser view that shows the community portal: the
// platform's WebBrowser control in a child window of its own, hosted by
// BrowserHost. It keeps the player on the portal page (see
// DecideNavigation), attaches the first loaded page to its script caller,
// tells its listener when that page is ready and whenever a navigation
// fails, hides the browser's error pages and ignores F5.
class HTMLView : public win::ChildWindow,
                 public CHtmlScript,
                 public IPortalPage,
                 private IBrowserEvents,
                 private IDocumentSource {
public:
    HTMLView() = default;
    ~HTMLView() override;

    // Creates the view's window as a child of parent and activates the
    // browser control in it. False (and no window) when the control cannot
    // be created.
    bool Create(HWND parent, const RECT& rect, int id);
    void Destroy();

    void SetListener(IHTMLViewListener* listener) { m_state.SetListener(listener); }
    bool Navigate(const std::string& url);

    // F5 is swallowed whatever modifiers are down; other keys are offered to
    // the control's own accelerators (copy, select all, Tab between fields).
    bool PreTranslateMessage(MSG& msg) override;

    // The page contract (see IPortalPage).
    bool HasDocument() const override { return CHtmlScript::HasDocument(); }
    bool GetAccessMid(std::string& value) override;
    bool GetAccessCode(std::string& value) override;
    bool GetLang(std::string& value) override;
    bool Authorize(const std::string& mid, const std::string& code,
                   const std::string& machineId) override;

protected:
    // The browser's events; protected so that a test can watch them.
    void OnBeforeNavigate2(IDispatch* source, const std::string& url, bool& cancel) override;
    void OnDocumentComplete(IDispatch* source, const std::string& url) override;
    void OnNavigateError(IDispatch* source, const std::string& url, unsigned long status,
                         bool& cancel) override;
    void OnNewWindow(const std::string* url) override;
    // Hands a safe target to the user's browser or mail program.
    virtual void OpenExternally(const std::string& url);
    // The control, so that a test can reach its site and raise its events.
    IWebBrowser2* Browser() const { return m_pBrowser.Get(); }

private:
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    bool EmbedBrowser();
    void ReleaseBrowser();
    bool IsTopLevel(IDispatch* source) const;
    void Follow(NavigationDecision decision, const std::string& url, bool& cancel);
    bool CallForText(const char* name, std::string& value);
    DocumentAttach AttachCurrentDocument() override;

    HtmlViewState m_state;
    win::ComPtr<IHTMLDocument> m_pHtmlDocument;
    BrowserHost* m_pHost = nullptr;
    win::ComPtr<IOleObject> m_pOleObject;
    win::ComPtr<IWebBrowser2> m_pBrowser;
    win::ComPtr<IConnectionPoint> m_pEventPoint;
    DWORD m_eventCookie = 0;
};
