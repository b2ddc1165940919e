// Against a stand-in page: under Wine no page ever loads.
#include "portal/HtmlScript.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// The document and its script object in one; unknown names start with "missing".
class StandInPage : public IHTMLDocument {
public:
    IDispatch* script = this;
    std::vector<std::wstring> seen;
    VARIANT answer = {};
    HRESULT failure = S_OK;
    int calls = 0;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        const bool known = iid == IID_IUnknown || iid == IID_IDispatch || iid == IID_IHTMLDocument;
        *object = known ? this : nullptr;
        return known ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT, LCID,
                                            DISPID* id) override {
        *id = 1;
        return std::wstring(names[0]).rfind(L"missing", 0) == 0 ? DISP_E_UNKNOWNNAME : S_OK;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO*, UINT*) override {
        ++calls;
        seen.clear();
        for (UINT i = 0; i < params->cArgs; ++i)
            Record(params->rgvarg[i]);
        return FAILED(failure) ? failure : result ? ::VariantCopy(result, &answer) : S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_Script(IDispatch** result) override {
        *result = script;
        return S_OK;
    }

private:
    void Record(const VARIANT& arg) {
        if (arg.vt == (VT_ARRAY | VT_VARIANT)) {
            VARIANT* items = nullptr;
            ::SafeArrayAccessData(arg.parray, reinterpret_cast<void**>(&items));
            for (ULONG k = 0; k < arg.parray->rgsabound[0].cElements; ++k)
                Record(items[k]);
            ::SafeArrayUnaccessData(arg.parray);
        } else {
            seen.push_back(arg.vt != VT_BSTR ? L"<not a string>"
                           : arg.bstrVal     ? arg.bstrVal
                                             : L"<null>");
        }
    }
};

TEST(HtmlScriptTest, ArgumentsGoLastFirstAndAnswersComeBackAsTextInTheThreadsCodePage) {
    StandInPage page;
    CHtmlScript script;
    ASSERT_TRUE(script.AttachDocument(&page));
    EXPECT_TRUE(script.CallScript("authorize", {"", "code", "caf\xE9"}, nullptr));
    EXPECT_EQ(page.seen, (std::vector<std::wstring>{L"caf\u00E9", L"code", L""}));
    // The array form passes one array, its first item the last string.
    EXPECT_TRUE(script.CallScriptWithArray("items", {"a", "b", "c"}, nullptr));
    EXPECT_EQ(page.seen, (std::vector<std::wstring>{L"c", L"b", L"a"}));
    EXPECT_TRUE(script.CallScriptWithArray("items", {}, nullptr));
    EXPECT_TRUE(page.seen.empty());

    // Answers are texts or booleans and nothing else.
    struct Case {
        VARTYPE type;
        LONG number;
        const wchar_t* text;
        const char* expected;
    } cases[] = {
        {VT_BSTR, 0, L"caf\u00E9", "caf\xE9"},
        {VT_BOOL, VARIANT_TRUE, nullptr, "true"},
        {VT_BOOL, VARIANT_FALSE, nullptr, "false"},
        {VT_I4, 42, nullptr, ""},
        {VT_EMPTY, 0, nullptr, ""},
    };
    for (const Case& c : cases) {
        ::VariantClear(&page.answer);
        page.answer.vt = c.type;
        if (c.type == VT_BSTR)
            page.answer.bstrVal = ::SysAllocString(c.text);
        else if (c.type == VT_BOOL)
            page.answer.boolVal = static_cast<VARIANT_BOOL>(c.number);
        else
            page.answer.lVal = c.number;
        std::string result = "unset";
        EXPECT_TRUE(script.CallScript("f", {}, &result));
        EXPECT_EQ(result, c.expected) << c.type;
    }
    ::VariantClear(&page.answer);
}

TEST(HtmlScriptTest, FailuresLeaveTheResultAndKeepWhatIsAttached) {
    StandInPage page;
    CHtmlScript script;
    std::string result = "kept";
    EXPECT_FALSE(script.AttachDocument(nullptr));
    EXPECT_FALSE(script.CallScript("f", {}, &result)); // no document yet
    EXPECT_EQ(page.calls, 0);

    ASSERT_TRUE(script.AttachDocument(&page));
    EXPECT_FALSE(script.CallScript("missing", {}, &result)); // neither form is there
    EXPECT_EQ(script.LastError(),
              "Applicaion script error:\n" + CHtmlScript::SystemErrorText(DISP_E_UNKNOWNNAME));
    page.failure = DISP_E_EXCEPTION; // the page function threw
    EXPECT_FALSE(script.CallScript("f", {}, &result));
    EXPECT_EQ(script.LastError(),
              "Applicaion script error:\n" + CHtmlScript::SystemErrorText(DISP_E_EXCEPTION));
    EXPECT_EQ(result, "kept");

    // A document that no longer gives a script: the one attached before serves.
    page.failure = S_OK;
    page.script = nullptr;
    EXPECT_TRUE(script.CallScript("f", {}, nullptr));
    EXPECT_EQ(page.calls, 2);
    CHtmlScript neverScripted;
    ASSERT_TRUE(neverScripted.AttachDocument(&page));
    EXPECT_FALSE(neverScripted.CallScript("f", {}, &result));
    EXPECT_EQ(page.calls, 2);
}

} // namespace
