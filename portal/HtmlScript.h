#pragma once

#include "win/ComPtr.h"

#include <windows.h>
#include <mshtml.h>

#include <string>
#include <vector>

// Calls named functions of the script of the page that the portal view
// shows, with 8-bit string arguments and one string result. Used only on the
// thread that owns the browser view.
class CHtmlScript {
public:
    CHtmlScript() = default;
    CHtmlScript(const CHtmlScript&) = delete;
    CHtmlScript& operator=(const CHtmlScript&) = delete;

    // Calls name(args[0], args[1], ...). True when the function ran; its
    // value, as text, then stands in *result (when result is not null). On
    // failure *result is untouched.
    bool CallScript(const std::string& name, const std::vector<std::string>& args,
                    std::string* result);
    // The same, with the strings passed as one array argument whose element 0
    // holds the last string.
    bool CallScriptWithArray(const std::string& name, const std::vector<std::string>& args,
                             std::string* result);

    bool AttachDocument(IHTMLDocument* document);
    bool AttachScript(IDispatch* script);
    bool HasDocument() const { return static_cast<bool>(m_pDocument); }

    void RecordError(const std::string& text);
    const std::string& LastError() const { return m_strLastError; }
    // The system's text for a failure code, with its line end as it comes.
    static std::string SystemErrorText(HRESULT code);

private:
    // Replaces the held reference; a null object keeps it and records the error.
    template <class T> bool Hold(win::ComPtr<T>& field, T* object);
    bool LookUp(const std::string& name, DISPID& id, HRESULT& failure) const;
    bool Invoke(DISPID id, DISPPARAMS& params, std::string* result);

    // Torn down in reverse order: the error text, the document, then the
    // script object that belongs to it.
    win::ComPtr<IDispatch> m_pScript;
    win::ComPtr<IHTMLDocument> m_pDocument;
    std::string m_strLastError;
};
