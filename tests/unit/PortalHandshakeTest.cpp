#include "portal/PortalHandshake.h"
#include "tests/unit/IdentityCookieLayout.h"

#include <gtest/gtest.h>

namespace {

// The timer repeats like the system's until it is stopped, so a handler that
// forgot to stop it would see extra attempts.
struct SimulatedWindow : IHandshakeWindow {
    long now = 0, period = 0, due = 0;
    int closes = 0, portalShown = 0;
    bool armed = false;
    unsigned timer = 0;

    void StartTimer(unsigned id, unsigned milliseconds) override {
        timer = id, period = static_cast<long>(milliseconds), due = now + period, armed = true;
    }
    void StopTimer(unsigned id) override { armed = armed && id != timer; }
    void CloseForSelfUpdate() override { ++closes; }
    void ShowPortal() override { ++portalShown; }
    void Advance(long milliseconds, PortalHandshake& handshake) {
        const long end = now + milliseconds;
        while (armed && due <= end)
            now = due, due += period, handshake.OnTimer(timer);
        now = end;
    }
};

struct StandInPage : IPortalPage {
    explicit StandInPage(const SimulatedWindow& clock) : clock(clock) {}
    const SimulatedWindow& clock;
    bool document = true;
    long authorizeFrom = 0; // -1: never defined
    std::string answers[3] = {"page-mid", "page-code", "ru"};
    // Which of get_access_mid, get_access_code, get_lang the page defines.
    bool has[3] = {true, true, true};
    std::vector<long> attempts;
    std::vector<std::vector<std::string>> ran;

    bool HasDocument() const override { return document; }
    bool GetAccessMid(std::string& value) override { return Answer(0, value); }
    bool GetAccessCode(std::string& value) override { return Answer(1, value); }
    bool GetLang(std::string& value) override { return Answer(2, value); }
    bool Answer(int function, std::string& value) const {
        if (has[function])
            value = answers[function];
        return has[function];
    }
    bool Authorize(const std::string& m, const std::string& c, const std::string& id) override {
        attempts.push_back(clock.now);
        if (authorizeFrom < 0 || clock.now < authorizeFrom)
            return false;
        ran.push_back({m, c, id});
        return true;
    }
};

struct PortalHandshakeTest : ::testing::Test {
    CookieDisk disk; // no "cookie.dat" yet; saves are counted through the callback
    AccountRecord account{"", std::make_unique<MemoryCookieFile>(disk)};
    SimulatedWindow window;
    StandInPage page{window};
    int saves = 0;
    PortalHandshake handshake{account, &page, window, [this] { ++saves; }};
};

TEST_F(PortalHandshakeTest, AuthorizeIsTriedUntilThePageDefinesItAndThenOnce) {
    const struct {
        long authorizeFrom; // -1: never
        std::vector<long> attempts;
    } cases[] = {{0, {500}}, {700, {500, 1000}}, {-1, {500, 1000, 1500}}};
    for (const auto& c : cases) {
        AccountRecord stored{"", std::make_unique<MemoryCookieFile>(disk)};
        stored.m_accessMid = "mid";
        stored.m_accessCode = "code";
        SimulatedWindow clock;
        StandInPage portal{clock};
        portal.authorizeFrom = c.authorizeFrom;
        PortalHandshake run{stored, &portal, clock, [] {}};
        EXPECT_FALSE(run.OnTimer(1224)); // not the handshake's timer
        run.OnPageReady();
        clock.Advance(60000, run);
        EXPECT_EQ(portal.attempts, c.attempts);
        EXPECT_FALSE(clock.armed);
        EXPECT_EQ(clock.portalShown, 1);
        if (c.authorizeFrom >= 0) {
            EXPECT_EQ(portal.ran,
                      (std::vector<std::vector<std::string>>{{"mid", "code", stored.m_machineId}}));
        }
    }
}

// The self-update program can only replace the launcher once it has closed.
TEST_F(PortalHandshakeTest, TheSelfUpdateCloseWaitsOnlyForAPageStillLoading) {
    const struct {
        const char* events; // S: self-update started, R: page ready, E: page error
        bool view;
        int closes;
    } cases[] = {{"S", true, 0},  {"SR", true, 1},  {"RS", true, 1}, {"ES", true, 1},
                 {"SE", true, 1}, {"SER", true, 1}, {"S", false, 1}};
    for (const auto& c : cases) {
        SimulatedWindow clock;
        StandInPage portal{clock};
        PortalHandshake run{account, c.view ? &portal : nullptr, clock, [] {}};
        for (const char* e = c.events; *e; ++e)
            *e == 'S'   ? run.OnSelfUpdateStarted()
            : *e == 'R' ? run.OnPageReady()
                        : run.OnPageError();
        clock.Advance(5000, run);
        EXPECT_EQ(clock.closes, c.closes) << c.events << c.view;
        if (c.events[0] == 'S') {
            EXPECT_TRUE(portal.attempts.empty()) << c.events;
        }
    }
}

TEST_F(PortalHandshakeTest, ANavigationErrorKeepsThePortalHiddenButTheHandshakeStillRuns) {
    handshake.OnPageError();
    handshake.OnPageReady();
    window.Advance(5000, handshake);

    EXPECT_TRUE(handshake.IsPageError());
    EXPECT_EQ(window.portalShown, 0);
    EXPECT_EQ(page.attempts.size(), 1u);
}

TEST_F(PortalHandshakeTest, CaptureReplacesEveryValueFromThePortalPageAndSaves) {
    account.m_accessMid = "old-mid";
    account.m_accessCode = "old-code";
    account.m_lang = "en";
    account.m_machineId = "id";
    page.answers[2] = ""; // a value the page gives as empty is the page's answer
    handshake.OnPageReady();
    window.Advance(500, handshake); // authorize has run
    handshake.CapturePortalValues();

    EXPECT_EQ(account.m_accessMid, "page-mid");
    EXPECT_EQ(account.m_accessCode, "page-code");
    EXPECT_EQ(account.m_lang, "");
    EXPECT_EQ(account.m_machineId, "id");
    EXPECT_EQ(saves, 1);
}

// A page that is not the portal (a Wi-Fi sign-in page, a maintenance page, a
// script error) lacks some of the functions; the portal page itself, closed
// before its authorize returned, still has empty fields.
TEST_F(PortalHandshakeTest, CaptureFromAnythingButTheAuthorizedPortalPageKeepsTheStoredLogin) {
    PortalHandshake noView(account, nullptr, window, [this] { ++saves; });
    PortalHandshake early(account, &page, window, [this] { ++saves; });
    handshake.OnPageReady();
    window.Advance(500, handshake);
    for (int missing = 0; missing < 7; ++missing) {
        account.m_accessMid = "mid";
        account.m_accessCode = "code";
        account.m_lang = "pt-BR";
        for (int function = 0; function < 3; ++function)
            page.has[function] = missing != 3 && function != missing; // 3: none of them
        page.document = missing != 4;
        (missing == 5 ? noView : missing == 6 ? early : handshake).CapturePortalValues();

        EXPECT_EQ(account.m_accessMid, "mid") << missing;
        EXPECT_EQ(account.m_accessCode, "code") << missing;
        EXPECT_EQ(account.m_lang, "pt-BR") << missing;
        EXPECT_EQ(saves, 0) << missing;
    }
}

} // namespace
