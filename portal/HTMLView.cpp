#include "portal/HTMLView.h"

#include "win/Bstr.h"

#include <shellapi.h>

namespace {

const char kViewClass[] = "VemorHtmlView";

} // namespace

HTMLView::~HTMLView() {
    Destroy();
}

bool HTMLView::Create(HWND parent, const RECT& rect, int id) {
    if (!CreateChild(kViewClass, parent, WS_VISIBLE | WS_CLIPCHILDREN, rect, id))
        return false;
    if (!EmbedBrowser()) {
        Destroy();
        return false;
    }
    return true;
}

void HTMLView::Destroy() {
    ReleaseBrowser();
    DestroyChild();
}

bool HTMLView::EmbedBrowser() {
    m_pHost = new BrowserHost(m_hWnd, this);
    if (FAILED(::CoCreateInstance(CLSID_WebBrowser, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject,
                                  reinterpret_cast<void**>(m_pOleObject.Receive()))))
        return false;
    if (FAILED(m_pOleObject->SetClientSite(m_pHost)))
        return false;
    RECT client;
    ::GetClientRect(m_hWnd, &client);
    if (FAILED(
            m_pOleObject->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, m_pHost, 0, m_hWnd, &client)))
        return false;
    if (FAILED(m_pOleObject.QueryInto(IID_IWebBrowser2, m_pBrowser)))
        return false;
    win::ComPtr<IConnectionPointContainer> points;
    if (FAILED(m_pOleObject.QueryInto(IID_IConnectionPointContainer, points)) ||
        FAILED(points->FindConnectionPoint(DIID_DWebBrowserEvents2, m_pEventPoint.Receive())) ||
        FAILED(m_pEventPoint->Advise(static_cast<DWebBrowserEvents2*>(m_pHost), &m_eventCookie)))
        return false;
    return true;
}

// The control holds references to the host until it has closed; the host
// is told first that the view is going, so that late events find nobody.
void HTMLView::ReleaseBrowser() {
    if (m_pHost)
        m_pHost->Disconnect();
    if (m_pEventPoint && m_eventCookie)
        m_pEventPoint->Unadvise(m_eventCookie);
    m_eventCookie = 0;
    m_pEventPoint.Release();
    m_pBrowser.Release();
    if (m_pOleObject) {
        m_pOleObject->Close(OLECLOSE_NOSAVE);
        m_pOleObject->SetClientSite(nullptr);
        m_pOleObject.Release();
    }
    m_pHtmlDocument.Release();
    if (m_pHost) {
        m_pHost->Release();
        m_pHost = nullptr;
    }
}

bool HTMLView::OnMessage(UINT msg, WPARAM, LPARAM, LRESULT& result) {
    if (msg == WM_SIZE && m_pOleObject) {
        win::ComPtr<IOleInPlaceObject> inPlace;
        if (SUCCEEDED(m_pOleObject.QueryInto(IID_IOleInPlaceObject, inPlace))) {
            RECT client;
            ::GetClientRect(m_hWnd, &client);
            inPlace->SetObjectRects(&client, &client);
        }
        result = 0;
        return true;
    }
    if (msg == WM_DESTROY)
        ReleaseBrowser();
    return false;
}

bool HTMLView::Navigate(const std::string& url) {
    if (!m_pBrowser)
        return false;
    win::Bstr address(win::AnsiToBstr(url));
    VARIANT empty;
    ::VariantInit(&empty);
    return SUCCEEDED(m_pBrowser->Navigate(address.Get(), &empty, &empty, &empty, &empty));
}

bool HTMLView::PreTranslateMessage(MSG& msg) {
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_F5)
        return true;
    if (msg.message < WM_KEYFIRST || msg.message > WM_KEYLAST || !m_pOleObject)
        return false;
    win::ComPtr<IOleInPlaceActiveObject> active;
    return SUCCEEDED(m_pOleObject.QueryInto(IID_IOleInPlaceActiveObject, active)) &&
           active->TranslateAccelerator(&msg) == S_OK;
}

// The control names itself as the source of its top-level page's events;
// a frame's events name the frame's own browser object. COM identity is the
// IUnknown of each.
bool HTMLView::IsTopLevel(IDispatch* source) const {
    if (!source || !m_pBrowser)
        return false;
    win::ComPtr<IUnknown> mine;
    win::ComPtr<IUnknown> theirs;
    if (FAILED(
            m_pBrowser->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(mine.Receive()))) ||
        FAILED(source->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(theirs.Receive()))))
        return false;
    return mine.Get() == theirs.Get();
}

void HTMLView::Follow(NavigationDecision decision, const std::string& url, bool& cancel) {
    switch (decision) {
    case NavigationDecision::kStayInView:
        return;
    case NavigationDecision::kOpenExternally:
        // What the system does with the address is not our concern; the
        // view keeps its page either way.
        OpenExternally(url);
        cancel = true;
        return;
    case NavigationDecision::kRefuse:
        cancel = true;
        return;
    }
}

void HTMLView::OpenExternally(const std::string& url) {
    ::ShellExecuteA(nullptr, "open", url.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

// An event that does not name its source is held to the page's rules.
void HTMLView::OnBeforeNavigate2(IDispatch* source, const std::string& url, bool& cancel) {
    Follow(m_state.OnBeforeNavigate2(url, !source || IsTopLevel(source)), url, cancel);
}

void HTMLView::OnNewWindow(const std::string* url) {
    bool cancel = true;
    Follow(m_state.OnNewWindow(url), url ? *url : std::string(), cancel);
}

void HTMLView::OnDocumentComplete(IDispatch* source, const std::string&) {
    m_state.OnDocumentComplete(*this, IsTopLevel(source));
}

void HTMLView::OnNavigateError(IDispatch* source, const std::string&, unsigned long status,
                               bool& cancel) {
    cancel = true;
    m_state.OnNavigateError(status, !source || IsTopLevel(source));
}

DocumentAttach HTMLView::AttachCurrentDocument() {
    m_pHtmlDocument.Release();
    win::ComPtr<IDispatch> document;
    if (!m_pBrowser || FAILED(m_pBrowser->get_Document(document.Receive())) || !document)
        return DocumentAttach::kNoDocument;
    if (FAILED(document.QueryInto(IID_IHTMLDocument, m_pHtmlDocument)))
        return DocumentAttach::kNotAnHtmlDocument;
    win::ComPtr<IDispatch> script;
    m_pHtmlDocument->get_Script(script.Receive());
    AttachDocument(m_pHtmlDocument.Get());
    AttachScript(script.Get());
    return DocumentAttach::kAttached;
}

bool HTMLView::CallForText(const char* name, std::string& value) {
    return CallScript(name, {}, &value);
}

bool HTMLView::GetAccessMid(std::string& value) {
    return CallForText("get_access_mid", value);
}
bool HTMLView::GetAccessCode(std::string& value) {
    return CallForText("get_access_code", value);
}
bool HTMLView::GetLang(std::string& value) {
    return CallForText("get_lang", value);
}

bool HTMLView::Authorize(const std::string& mid, const std::string& code,
                         const std::string& machineId) {
    return CallScript("authorize", {mid, code, machineId}, nullptr);
}
