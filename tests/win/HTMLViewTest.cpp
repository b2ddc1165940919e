#include "portal/HTMLView.h"

#include <exdispid.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <string>
#include <vector>

namespace {

class RecordingListener : public IHTMLViewListener {
public:
    int ready = 0;
    std::vector<unsigned long> errors;
    void OnPageReady() override { ++ready; }
    void OnPageError(unsigned long status) override { errors.push_back(status); }
};

class OpeningView : public HTMLView {
public:
    std::vector<std::string> opened;
    IWebBrowser2* Control() const { return Browser(); }

protected:
    void OpenExternally(const std::string& url) override { opened.push_back(url); }
};

struct HTMLViewTest : ::testing::Test {
    HWND parent = nullptr;
    RecordingListener listener;

    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(::OleInitialize(nullptr)));
        parent = ::CreateWindowExA(0, "STATIC", "portal host", WS_POPUP | WS_VISIBLE, 0, 0, 640,
                                   520, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(parent, nullptr);
    }
    void TearDown() override {
        ::DestroyWindow(parent);
        ::OleUninitialize();
    }
};

VARIANT Typed(VARTYPE type) {
    VARIANT value = {};
    value.vt = type;
    return value;
}

VARIANT Dispatch(IDispatch* object) {
    VARIANT value = Typed(VT_DISPATCH);
    value.pdispVal = object;
    return value;
}

// Raises events with the arguments as the control passes them: in parameter
// order, texts and numbers by reference to a variant.
class EventSink {
public:
    explicit EventSink(IDispatch* sink) : m_sink(sink) {}
    ~EventSink() {
        for (VARIANT& value : m_values)
            ::VariantClear(&value);
    }
    VARIANT Text(const wchar_t* text, bool byReference = true) {
        m_values.push_back(Typed(VT_BSTR));
        m_values.back().bstrVal = ::SysAllocString(text);
        return byReference ? Ref(m_values.back()) : m_values.back();
    }
    VARIANT Number(LONG number) {
        m_values.push_back(Typed(VT_I4));
        m_values.back().lVal = number;
        return Ref(m_values.back());
    }
    // True when the handler set the cancel flag.
    bool Raise(DISPID id, std::vector<VARIANT> args) {
        VARIANT_BOOL cancel = VARIANT_FALSE;
        IDispatch* window = nullptr;
        for (VARIANT& arg : args) {
            if (arg.vt == (VT_BYREF | VT_BOOL))
                arg.pboolVal = &cancel;
            if (arg.vt == (VT_BYREF | VT_DISPATCH))
                arg.ppdispVal = &window;
        }
        std::reverse(args.begin(), args.end());
        DISPPARAMS params = {args.data(), nullptr, static_cast<UINT>(args.size()), 0};
        EXPECT_EQ(m_sink->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params,
                                 nullptr, nullptr, nullptr),
                  S_OK);
        return cancel == VARIANT_TRUE;
    }

private:
    static VARIANT Ref(VARIANT& value) {
        VARIANT ref = Typed(VT_BYREF | VT_VARIANT);
        ref.pvarVal = &value;
        return ref;
    }
    IDispatch* m_sink;
    std::deque<VARIANT> m_values;
};

// For the top-level page the control names itself as the events' source,
// for an embedded frame the frame's own browser object.
TEST_F(HTMLViewTest, NewWindowsAndFramesFollowThePolicyAtTheControlsEventSink) {
    OpeningView view;
    RECT rect = {10, 10, 200, 300};
    ASSERT_TRUE(view.Create(parent, rect, 0xE900));
    view.SetListener(&listener);
    // No page ever loads under Wine: the page's functions answer nothing, and
    // F5 is swallowed on its way through the chain.
    std::string lang = "kept";
    EXPECT_FALSE(view.HasDocument());
    EXPECT_FALSE(view.GetLang(lang));
    EXPECT_EQ(lang, "kept");
    EXPECT_FALSE(view.Authorize("m", "c", "id"));
    MSG f5 = {view.GetSafeHwnd(), WM_KEYDOWN, VK_F5, 0, 0, {}}, a = f5;
    a.wParam = 'A';
    EXPECT_TRUE(win::Window::PreTranslateChain(f5));
    EXPECT_FALSE(view.PreTranslateMessage(a));
    win::ComPtr<IDispatch> top, frame, sink;
    win::ComPtr<IOleObject> control;
    win::ComPtr<IOleClientSite> site;
    ASSERT_TRUE(SUCCEEDED(
        view.Control()->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(top.Receive()))));
    ASSERT_TRUE(
        SUCCEEDED(::CoCreateInstance(CLSID_WebBrowser, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                                     reinterpret_cast<void**>(frame.Receive()))));
    ASSERT_TRUE(SUCCEEDED(view.Control()->QueryInterface(
        IID_IOleObject, reinterpret_cast<void**>(control.Receive()))));
    ASSERT_TRUE(SUCCEEDED(control->GetClientSite(site.Receive())));
    ASSERT_TRUE(SUCCEEDED(site.QueryInto(IID_IDispatch, sink)));
    EventSink events(sink.Get());
    const VARIANT cancel = Typed(VT_BYREF | VT_BOOL);
    const VARIANT newWindow = Typed(VT_BYREF | VT_DISPATCH);
    auto complete = [&](IDispatch* source) {
        events.Raise(DISPID_DOCUMENTCOMPLETE, {Dispatch(source), events.Text(L"http://x/")});
    };
    auto navigate = [&](IDispatch* source, const wchar_t* url) {
        return events.Raise(DISPID_BEFORENAVIGATE2,
                            {Dispatch(source), events.Text(url), events.Number(0), events.Text(L""),
                             events.Number(0), events.Text(L""), cancel});
    };
    auto newWindow3 = [&](const wchar_t* url) {
        return events.Raise(DISPID_NEWWINDOW3,
                            {newWindow, cancel, Typed(VT_I4), events.Text(L"http://x/", false),
                             events.Text(url, false)});
    };

    // A frame's document and a frame's failure are not the page's.
    complete(frame.Get());
    EXPECT_TRUE(events.Raise(DISPID_NAVIGATEERROR,
                             {Dispatch(frame.Get()), events.Text(L"http://ads.example/"),
                              events.Text(L""), events.Number(0x800C0005), cancel}));
    EXPECT_EQ(listener.ready, 0);
    EXPECT_TRUE(listener.errors.empty());
    complete(top.Get());
    EXPECT_EQ(listener.ready, 1);

    // Now the link policy holds for the page, not for its frames (the
    // policy's own cases are in NavigationPolicyTest).
    EXPECT_FALSE(navigate(frame.Get(), L"https://ads.example/frame.html"));
    EXPECT_TRUE(navigate(top.Get(), L"https://forum.example/"));
    EXPECT_FALSE(navigate(top.Get(), L"http://localhost:8080/x"));

    // New windows: never the control's own; a safe target goes to the browser.
    EXPECT_TRUE(newWindow3(L"https://forum.example/new"));
    EXPECT_TRUE(newWindow3(L"file:///C:/Windows/System32/calc.exe"));
    EXPECT_TRUE(events.Raise(DISPID_NEWWINDOW2, {newWindow, cancel}));
    EXPECT_EQ(view.opened,
              (std::vector<std::string>{"https://forum.example/", "https://forum.example/new"}));

    // After the view has gone its events reach nobody, and a new window is
    // still refused.
    view.Destroy();
    EXPECT_FALSE(navigate(top.Get(), L"https://forum.example/"));
    EXPECT_TRUE(newWindow3(L"https://forum.example/late"));
    EXPECT_EQ(view.opened.size(), 2u);
}

} // namespace
