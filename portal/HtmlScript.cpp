#include "portal/HtmlScript.h"

#include "win/Bstr.h"

#include <memory>

namespace {

const char kErrorPrefix[] = "Applicaion script error:\n";

// Clears a variant (and frees what it holds) when it goes out of scope.
class ScopedVariant {
public:
    ScopedVariant() { ::VariantInit(&m_v); }
    ~ScopedVariant() { ::VariantClear(&m_v); }
    ScopedVariant(const ScopedVariant&) = delete;
    ScopedVariant& operator=(const ScopedVariant&) = delete;
    VARIANT* Get() { return &m_v; }

private:
    VARIANT m_v;
};

struct SafeArrayDestroyer {
    void operator()(SAFEARRAY* array) const { ::SafeArrayDestroy(array); }
};

// The value of a page function as text: strings as they are, booleans as
// "true"/"false", everything else (numbers too) as an empty string.
std::string ResultText(const VARIANT& value) {
    switch (value.vt) {
    case VT_BSTR:
        return win::BstrToAnsi(value.bstrVal);
    case VT_BOOL:
        return value.boolVal ? "true" : "false";
    default:
        return std::string();
    }
}

} // namespace

template <class T> bool CHtmlScript::Hold(win::ComPtr<T>& field, T* object) {
    if (!object) {
        RecordError("NULL pointer");
        return false;
    }
    field.Reset(object);
    return true;
}

bool CHtmlScript::AttachDocument(IHTMLDocument* document) {
    return Hold(m_pDocument, document);
}

bool CHtmlScript::AttachScript(IDispatch* script) {
    return Hold(m_pScript, script);
}

void CHtmlScript::RecordError(const std::string& text) {
    m_strLastError = kErrorPrefix + text;
}

std::string CHtmlScript::SystemErrorText(HRESULT code) {
    char* buffer = nullptr;
    const DWORD length =
        ::FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM, nullptr,
                         static_cast<DWORD>(code), MAKELANGID(LANG_NEUTRAL, SUBLANG_SYS_DEFAULT),
                         reinterpret_cast<char*>(&buffer), 0, nullptr);
    if (length == 0)
        return "FormatMessage Netive Error";
    std::string text(buffer, length);
    ::LocalFree(buffer);
    return text;
}

bool CHtmlScript::LookUp(const std::string& name, DISPID& id, HRESULT& failure) const {
    win::Bstr wide(win::AnsiToBstr(name));
    LPOLESTR names[1] = {wide.Get()};
    failure = m_pScript->GetIDsOfNames(IID_NULL, names, 1, LOCALE_SYSTEM_DEFAULT, &id);
    return SUCCEEDED(failure);
}

bool CHtmlScript::Invoke(DISPID id, DISPPARAMS& params, std::string* result) {
    ScopedVariant value;
    EXCEPINFO exception = {};
    UINT argumentError = static_cast<UINT>(-1);
    const HRESULT hr = m_pScript->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &params, value.Get(),
                                         &exception, &argumentError);
    // A script exception's texts come back allocated even though nobody reads them.
    ::SysFreeString(exception.bstrSource);
    ::SysFreeString(exception.bstrDescription);
    ::SysFreeString(exception.bstrHelpFile);
    if (FAILED(hr)) {
        RecordError(SystemErrorText(hr));
        return false;
    }
    if (result)
        *result = ResultText(*value.Get());
    return true;
}

bool CHtmlScript::CallScript(const std::string& name, const std::vector<std::string>& args,
                             std::string* result) {
    if (!m_pDocument)
        return false;
    // The page may replace its script object; take the current one each time.
    win::ComPtr<IDispatch> current;
    m_pDocument->get_Script(current.Receive());
    AttachScript(current.Get());
    if (!m_pScript)
        return false;

    DISPID id = 0;
    HRESULT failure = S_OK;
    if (!LookUp(name, id, failure))
        return CallScriptWithArray(name, args, result);

    // Automation passes positional arguments last first.
    const std::size_t count = args.size();
    std::vector<VARIANT> slots(count);
    for (std::size_t i = 0; i < count; ++i) {
        ::VariantInit(&slots[i]);
        slots[i].vt = VT_BSTR;
        slots[i].bstrVal = win::AnsiToBstr(args[count - 1 - i]);
    }
    DISPPARAMS params = {count ? slots.data() : nullptr, nullptr, static_cast<UINT>(count), 0};
    const bool ran = Invoke(id, params, result);
    for (VARIANT& slot : slots)
        ::VariantClear(&slot);
    return ran;
}

bool CHtmlScript::CallScriptWithArray(const std::string& name, const std::vector<std::string>& args,
                                      std::string* result) {
    if (!m_pScript)
        return false;
    DISPID id = 0;
    HRESULT failure = S_OK;
    if (!LookUp(name, id, failure)) {
        RecordError(SystemErrorText(failure));
        return false;
    }
    const std::size_t count = args.size();
    std::unique_ptr<SAFEARRAY, SafeArrayDestroyer> array(
        ::SafeArrayCreateVector(VT_VARIANT, 0, static_cast<ULONG>(count)));
    if (!array)
        return false;
    for (std::size_t i = 0; i < count; ++i) {
        ScopedVariant element;
        element.Get()->vt = VT_BSTR;
        element.Get()->bstrVal = win::AnsiToBstr(args[count - 1 - i]);
        LONG index = static_cast<LONG>(i);
        // The array keeps its own copy of the element.
        ::SafeArrayPutElement(array.get(), &index, element.Get());
    }
    VARIANT argument;
    ::VariantInit(&argument);
    argument.vt = VT_ARRAY | VT_VARIANT;
    argument.parray = array.get();
    DISPPARAMS params = {&argument, nullptr, 1, 0};
    return Invoke(id, params, result);
}
