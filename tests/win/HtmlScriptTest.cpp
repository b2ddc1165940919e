#include "portal/HtmlScript.h"
#include "win/Bstr.h"

#include <initguid.h>
#include <activscp.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

// The least a script engine needs of its host.
class ScriptSite : public IActiveScriptSite {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (iid != IID_IUnknown && iid != IID_IActiveScriptSite) {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        *object = this;
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE GetLCID(LCID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetItemInfo(LPCOLESTR, DWORD, IUnknown**, ITypeInfo**) override {
        return TYPE_E_ELEMENTNOTFOUND;
    }
    HRESULT STDMETHODCALLTYPE GetDocVersionString(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnScriptTerminate(const VARIANT*, const EXCEPINFO*) override {
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnStateChange(SCRIPTSTATE) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnScriptError(IActiveScriptError*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnEnterScript() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnLeaveScript() override { return S_OK; }
};

// A page document whose only ability is to hand out its script object, as
// the browser's document does.
class StandInDocument : public IHTMLDocument {
public:
    IDispatch* script = nullptr;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (iid != IID_IUnknown && iid != IID_IDispatch && iid != IID_IHTMLDocument) {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        *object = this;
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                     UINT*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE get_Script(IDispatch** result) override {
        *result = script;
        if (script)
            script->AddRef();
        return S_OK;
    }
};

// A script object that records what each call hands it, down to the
// strings' pointers, which a script engine would not show.
class RecordingScript : public StandInDocument {
public:
    std::vector<std::string> seen;

    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID* id) override {
        *id = 1;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*,
                                     EXCEPINFO*, UINT*) override {
        for (UINT i = 0; i < params->cArgs; ++i) {
            const VARIANT& arg = params->rgvarg[i];
            seen.push_back(arg.vt != VT_BSTR ? "not a string"
                           : arg.bstrVal     ? "\"" + win::BstrToAnsi(arg.bstrVal) + "\""
                                             : "null");
        }
        return S_OK;
    }
};

const wchar_t kPage[] = LR"(
function joined(a, b, c) { return a + "|" + b + "|" + c; }
function count() { return "n=" + arguments.length; }
function yes() { return true; }
function no() { return false; }
function number() { return 42; }
function nothing() {}
function codes(s) { return s.length + ":" + s.charCodeAt(0) + "," + s.charCodeAt(1); }
var calls = 0;
function touch() { calls++; return "t"; }
function touched() { return "" + calls; }
function fails() { throw new Error("page broke"); }
function items(v) { return new VBArray(v).toArray().join(","); }
function itemCount(v) { return "" + new VBArray(v).toArray().length; }
)";

// Wine's JScript engine with kPage loaded, behind a stand-in document.
class PageScript : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(::OleInitialize(nullptr)));
        CLSID jscript;
        ASSERT_EQ(::CLSIDFromProgID(L"JScript", &jscript), S_OK);
        ASSERT_EQ(::CoCreateInstance(jscript, nullptr, CLSCTX_INPROC_SERVER, IID_IActiveScript,
                                     reinterpret_cast<void**>(m_engine.Receive())),
                  S_OK);
        win::ComPtr<IActiveScriptParse> parse;
        ASSERT_EQ(m_engine.QueryInto(IID_IActiveScriptParse, parse), S_OK);
        ASSERT_EQ(parse->InitNew(), S_OK);
        ASSERT_EQ(m_engine->SetScriptSite(&m_site), S_OK);
        ASSERT_EQ(
            parse->ParseScriptText(kPage, nullptr, nullptr, nullptr, 0, 0, 0, nullptr, nullptr),
            S_OK);
        ASSERT_EQ(m_engine->SetScriptState(SCRIPTSTATE_CONNECTED), S_OK);
        ASSERT_EQ(m_engine->GetScriptDispatch(nullptr, m_dispatch.Receive()), S_OK);
        m_document.script = m_dispatch.Get();
        m_script.reset(new CHtmlScript);
    }
    void TearDown() override {
        // Every reference into the engine goes before the engine's DLL may.
        m_script.reset();
        m_dispatch.Release();
        if (m_engine)
            m_engine->Close();
        m_engine.Release();
        ::OleUninitialize();
    }

    // A call on an attached script, with a result that starts as "unset".
    std::string Call(const std::string& name, const std::vector<std::string>& args = {}) {
        std::string result = "unset";
        EXPECT_TRUE(m_script->CallScript(name, args, &result))
            << name << ": " << m_script->LastError();
        return result;
    }

    ScriptSite m_site;
    win::ComPtr<IActiveScript> m_engine;
    win::ComPtr<IDispatch> m_dispatch;
    StandInDocument m_document;
    std::unique_ptr<CHtmlScript> m_script;
};

TEST_F(PageScript, ArgumentsArriveInListOrderAndResultsAreConvertedByType) {
    ASSERT_TRUE(m_script->AttachDocument(&m_document));
    EXPECT_EQ(Call("joined", {"a", "b", "c"}), "a|b|c");
    EXPECT_EQ(Call("joined", {"", "code", ""}), "|code|");
    EXPECT_EQ(Call("count"), "n=0");
    EXPECT_EQ(Call("yes"), "true");
    EXPECT_EQ(Call("no"), "false");
    EXPECT_EQ(Call("number"), "");
    EXPECT_EQ(Call("nothing"), "");
    // 8-bit text goes through the thread's code page both ways.
    const std::string cafe = "caf\xE9";
    EXPECT_EQ(Call("joined", {cafe, "x", "y"}), cafe + "|x|y");
    EXPECT_EQ(Call("codes", {"\xE9z"}), "2:233,122");

    // Without a result string the function still runs.
    EXPECT_TRUE(m_script->CallScript("touch", {}, nullptr));
    EXPECT_EQ(Call("touched"), "1");
    EXPECT_EQ(m_script->LastError(), "");
}

TEST_F(PageScript, TheArrayFormPassesOneArrayWithTheLastStringFirst) {
    ASSERT_TRUE(m_script->AttachDocument(&m_document));
    ASSERT_TRUE(m_script->AttachScript(m_dispatch.Get()));
    std::string result;
    ASSERT_TRUE(m_script->CallScriptWithArray("items", {"a", "b", "c"}, &result))
        << m_script->LastError();
    EXPECT_EQ(result, "c,b,a");
    ASSERT_TRUE(m_script->CallScriptWithArray("itemCount", {}, &result)) << m_script->LastError();
    EXPECT_EQ(result, "0");
}

TEST_F(PageScript, FailuresLeaveTheResultAndRecordTheSystemText) {
    std::string result = "kept";
    // Before any document: false, and the last error stays as it was.
    m_script->RecordError("earlier");
    EXPECT_FALSE(m_script->CallScript("yes", {}, &result));
    EXPECT_EQ(result, "kept");
    EXPECT_EQ(m_script->LastError(), "Applicaion script error:\nearlier");

    ASSERT_TRUE(m_script->AttachDocument(&m_document));
    EXPECT_FALSE(m_script->CallScript("get_lang", {}, &result));
    EXPECT_EQ(result, "kept");
    EXPECT_EQ(m_script->LastError(),
              "Applicaion script error:\n" + CHtmlScript::SystemErrorText(DISP_E_UNKNOWNNAME));

    // A throwing page function fails the invocation and replaces the error.
    m_script->RecordError("earlier");
    EXPECT_FALSE(m_script->CallScript("fails", {}, &result));
    EXPECT_EQ(result, "kept");
    EXPECT_EQ(m_script->LastError().rfind("Applicaion script error:\n", 0), 0u);
    EXPECT_NE(m_script->LastError(), "Applicaion script error:\nearlier");

    // The system's text comes with its line end; unknown codes get the fixed text.
    const std::string text = CHtmlScript::SystemErrorText(HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
    ASSERT_GE(text.size(), 3u);
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
    EXPECT_EQ(CHtmlScript::SystemErrorText(static_cast<HRESULT>(0x2FFF0F0F)),
              "FormatMessage Netive Error");
}

TEST_F(PageScript, NullPointersKeepWhatIsAttached) {
    EXPECT_FALSE(m_script->AttachDocument(nullptr));
    EXPECT_EQ(m_script->LastError(), "Applicaion script error:\nNULL pointer");
    EXPECT_FALSE(m_script->HasDocument());

    ASSERT_TRUE(m_script->AttachDocument(&m_document));
    EXPECT_EQ(Call("yes"), "true");
    // A document that no longer gives a script: the one attached before serves.
    m_document.script = nullptr;
    EXPECT_EQ(Call("no"), "false");
    EXPECT_EQ(m_script->LastError(), "Applicaion script error:\nNULL pointer");

    CHtmlScript neverScripted;
    ASSERT_TRUE(neverScripted.AttachDocument(&m_document));
    std::string result = "kept";
    EXPECT_FALSE(neverScripted.CallScript("yes", {}, &result));
    EXPECT_EQ(result, "kept");
}

TEST_F(PageScript, EmptyArgumentsArePassedAsEmptyStringsNeverNull) {
    RecordingScript recorder;
    m_document.script = &recorder;
    ASSERT_TRUE(m_script->AttachDocument(&m_document));
    EXPECT_TRUE(m_script->CallScript("authorize", {"", "code", ""}, nullptr));
    // Slots in automation order: the last parameter first.
    EXPECT_EQ(recorder.seen, (std::vector<std::string>{"\"\"", "\"code\"", "\"\""}));
    m_script.reset(); // it holds the recorder, which goes first
}

} // namespace
