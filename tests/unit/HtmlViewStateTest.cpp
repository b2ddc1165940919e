#include "portal/HtmlViewState.h"

#include <gtest/gtest.h>

namespace {

struct RecordingListener : IHTMLViewListener {
    explicit RecordingListener(const HtmlViewState& state) : state(state) {}
    const HtmlViewState& state;
    std::vector<std::string> calls;
    void OnPageReady() override {
        calls.push_back(state.IsLinkPolicy() ? "ready+policy" : "ready");
    }
    void OnPageError(unsigned long status) override {
        calls.push_back("error:" + std::to_string(status));
    }
};

struct StandInDocuments : IDocumentSource {
    std::vector<DocumentAttach> answers{DocumentAttach::kAttached};
    std::size_t asked = 0;
    DocumentAttach AttachCurrentDocument() override {
        return answers.at(std::min(asked++, answers.size() - 1));
    }
};

struct HtmlViewStateTest : ::testing::Test {
    HtmlViewState state;
    RecordingListener listener{state};
    StandInDocuments documents;
    void SetUp() override { state.SetListener(&listener); }
};

TEST_F(HtmlViewStateTest, TheFirstDocumentMakesThePageReadyOnceAndOnlyThenTheLinkPolicyHolds) {
    state.OnDocumentComplete(documents, true);
    state.OnDocumentComplete(documents, true);

    EXPECT_EQ(listener.calls, (std::vector<std::string>{"ready"}));
    EXPECT_EQ(documents.asked, 1u);
    EXPECT_EQ(state.OnBeforeNavigate2("https://forum.example/", true),
              NavigationDecision::kOpenExternally);
}

TEST_F(HtmlViewStateTest, ADocumentThatIsNoHtmlDocumentIsWaitedOut) {
    documents.answers = {DocumentAttach::kNotAnHtmlDocument, DocumentAttach::kNoDocument};
    state.OnDocumentComplete(documents, true);
    EXPECT_TRUE(listener.calls.empty());
    EXPECT_FALSE(state.IsLinkPolicy());
    EXPECT_EQ(state.OnBeforeNavigate2("https://forum.example/", true),
              NavigationDecision::kStayInView);

    state.OnDocumentComplete(documents, true);
    EXPECT_EQ(listener.calls, (std::vector<std::string>{"ready"}));
    EXPECT_TRUE(state.IsDocumentReady());
}

TEST_F(HtmlViewStateTest, EveryFailedNavigationIsReportedBeforeAndAfterTheFirstPage) {
    state.OnNavigateError(0x800C0010ul, true);
    state.OnDocumentComplete(documents, true);
    state.OnNavigateError(0x80040154ul, true);
    EXPECT_EQ(listener.calls,
              (std::vector<std::string>{"error:" + std::to_string(0x800C0010ul), "ready",
                                        "error:" + std::to_string(0x80040154ul)}));

    HtmlViewState alone; // events before a listener is set call no one
    alone.OnNavigateError(1, true);
    alone.OnDocumentComplete(documents, true);
    EXPECT_TRUE(alone.IsLinkPolicy());
}

} // namespace
