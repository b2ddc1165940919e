#include "portal/BrowserHost.h"

#include "win/Bstr.h"

#include <exdispid.h>

namespace {

// Event arguments come by value or by reference to a variant, depending on
// who raises the event; look through one level of reference.
const VARIANT& Deref(const VARIANT& value) {
    if (value.vt == (VT_BYREF | VT_VARIANT) && value.pvarVal)
        return *value.pvarVal;
    return value;
}

std::string TextOf(const VARIANT& argument) {
    const VARIANT& value = Deref(argument);
    if (value.vt == VT_BSTR)
        return win::BstrToAnsi(value.bstrVal);
    if (value.vt == (VT_BYREF | VT_BSTR) && value.pbstrVal)
        return win::BstrToAnsi(*value.pbstrVal);
    return std::string();
}

unsigned long StatusOf(const VARIANT& argument) {
    const VARIANT& value = Deref(argument);
    if (value.vt == VT_I4 || value.vt == VT_UI4)
        return static_cast<unsigned long>(value.ulVal);
    if (value.vt == (VT_BYREF | VT_I4) && value.plVal)
        return static_cast<unsigned long>(*value.plVal);
    return 0;
}

IDispatch* DispatchOf(const VARIANT& argument) {
    const VARIANT& value = Deref(argument);
    if (value.vt == VT_DISPATCH)
        return value.pdispVal;
    if (value.vt == (VT_BYREF | VT_DISPATCH) && value.ppdispVal)
        return *value.ppdispVal;
    return nullptr;
}

void SetCancel(VARIANT& argument, bool cancel) {
    if (argument.vt == (VT_BYREF | VT_BOOL) && argument.pboolVal)
        *argument.pboolVal = cancel ? VARIANT_TRUE : VARIANT_FALSE;
}

// The answer to a request for an object the host does not have.
template <class T> HRESULT NoObject(T** out, HRESULT failure) {
    if (out)
        *out = nullptr;
    return failure;
}

} // namespace

BrowserHost::BrowserHost(HWND window, IBrowserEvents* events)
    : m_window(window), m_pEvents(events) {}

void BrowserHost::Disconnect() {
    m_pEvents = nullptr;
    m_window = nullptr;
}

HRESULT BrowserHost::QueryInterface(REFIID iid, void** object) {
    if (!object)
        return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IOleClientSite)
        *object = static_cast<IOleClientSite*>(this);
    else if (iid == IID_IOleWindow || iid == IID_IOleInPlaceSite)
        *object = static_cast<IOleInPlaceSite*>(this);
    else if (iid == IID_IOleInPlaceUIWindow || iid == IID_IOleInPlaceFrame)
        *object = static_cast<IOleInPlaceFrame*>(this);
    else if (iid == IID_IDocHostUIHandler)
        *object = static_cast<IDocHostUIHandler*>(this);
    else if (iid == IID_IDispatch || iid == DIID_DWebBrowserEvents2)
        *object = static_cast<DWebBrowserEvents2*>(this);
    else {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

ULONG BrowserHost::AddRef() {
    return static_cast<ULONG>(::InterlockedIncrement(&m_refs));
}

ULONG BrowserHost::Release() {
    const LONG refs = ::InterlockedDecrement(&m_refs);
    if (refs == 0)
        delete this;
    return static_cast<ULONG>(refs);
}

HRESULT BrowserHost::GetMoniker(DWORD, DWORD, IMoniker** moniker) {
    return NoObject(moniker, E_NOTIMPL);
}
HRESULT BrowserHost::GetContainer(IOleContainer** container) {
    return NoObject(container, E_NOINTERFACE);
}

HRESULT BrowserHost::GetWindow(HWND* window) {
    if (!window)
        return E_POINTER;
    *window = m_window;
    return m_window ? S_OK : E_FAIL;
}

HRESULT BrowserHost::CanInPlaceActivate() {
    return m_window ? S_OK : S_FALSE;
}
HRESULT BrowserHost::GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document,
                                      LPRECT position, LPRECT clip, LPOLEINPLACEFRAMEINFO info) {
    if (!frame || !document || !position || !clip || !info)
        return E_POINTER;
    *frame = static_cast<IOleInPlaceFrame*>(this);
    AddRef();
    *document = nullptr;
    ::SetRectEmpty(position);
    if (m_window)
        ::GetClientRect(m_window, position);
    *clip = *position;
    info->fMDIApp = FALSE;
    info->hwndFrame = m_window ? ::GetAncestor(m_window, GA_ROOT) : nullptr;
    info->haccel = nullptr;
    info->cAccelEntries = 0;
    return S_OK;
}

HRESULT BrowserHost::GetOptionKeyPath(LPOLESTR* key, DWORD) {
    return NoObject(key, E_NOTIMPL);
}
HRESULT BrowserHost::GetDropTarget(IDropTarget*, IDropTarget** result) {
    return NoObject(result, E_NOTIMPL);
}
HRESULT BrowserHost::GetExternal(IDispatch** external) {
    return NoObject(external, E_NOTIMPL);
}
HRESULT BrowserHost::TranslateUrl(DWORD, LPWSTR, LPWSTR* out) {
    return NoObject(out, S_FALSE);
}
HRESULT BrowserHost::FilterDataObject(IDataObject*, IDataObject** out) {
    return NoObject(out, S_FALSE);
}

HRESULT BrowserHost::GetTypeInfoCount(UINT* count) {
    if (count)
        *count = 0;
    return S_OK;
}
HRESULT BrowserHost::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
    return NoObject(info, E_NOTIMPL);
}

HRESULT BrowserHost::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                            UINT*) {
    if (id < 0 || !params)
        return DISP_E_MEMBERNOTFOUND;
    // Nothing may be thrown back into the control.
    try {
        return OnBrowserEvent(id, *params);
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

// Arguments stand in reverse order: rgvarg[0] is the event's last parameter.
HRESULT BrowserHost::OnBrowserEvent(DISPID id, DISPPARAMS& params) {
    VARIANT* args = params.rgvarg;
    switch (id) {
    case DISPID_BEFORENAVIGATE2: { // (disp, url, flags, target, postData, headers, cancel)
        if (params.cArgs != 7 || !args)
            return E_INVALIDARG;
        bool cancel = false;
        if (m_pEvents)
            m_pEvents->OnBeforeNavigate2(DispatchOf(args[6]), TextOf(args[5]), cancel);
        SetCancel(args[0], cancel);
        return S_OK;
    }
    case DISPID_DOCUMENTCOMPLETE: // (disp, url)
        if (params.cArgs != 2 || !args)
            return E_INVALIDARG;
        if (m_pEvents)
            m_pEvents->OnDocumentComplete(DispatchOf(args[1]), TextOf(args[0]));
        return S_OK;
    case DISPID_NAVIGATEERROR: { // (disp, url, frame, status, cancel)
        if (params.cArgs != 5 || !args)
            return E_INVALIDARG;
        bool cancel = false;
        if (m_pEvents)
            m_pEvents->OnNavigateError(DispatchOf(args[4]), TextOf(args[3]), StatusOf(args[1]),
                                       cancel);
        SetCancel(args[0], cancel);
        return S_OK;
    }
    case DISPID_NEWWINDOW2: // (ppDisp, cancel)
        if (params.cArgs != 2 || !args)
            return E_INVALIDARG;
        SetCancel(args[0], true);
        if (m_pEvents)
            m_pEvents->OnNewWindow(nullptr);
        return S_OK;
    case DISPID_NEWWINDOW3: { // (ppDisp, cancel, flags, urlContext, url)
        if (params.cArgs != 5 || !args)
            return E_INVALIDARG;
        SetCancel(args[3], true);
        const std::string url = TextOf(args[0]);
        if (m_pEvents)
            m_pEvents->OnNewWindow(&url);
        return S_OK;
    }
    default:
        return S_OK;
    }
}
