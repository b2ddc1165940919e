#include "tests/unit/UpdateFakes.h"

#include "workers/Win32UpdateRelay.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace {

struct Posted {
    UINT message;
    WPARAM wParam;
};

struct MessageWindow {
    HWND hwnd =
        ::CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ~MessageWindow() { ::DestroyWindow(hwnd); }
    std::vector<Posted> Drain() {
        std::vector<Posted> posted;
        MSG msg;
        while (::PeekMessageA(&msg, hwnd, 0, 0, PM_REMOVE))
            if (msg.message >= WM_USER)
                posted.push_back({msg.message, msg.wParam});
        return posted;
    }
};

TEST(UpdateRelayTest, CallsBecomePostedMessagesAndTheEndKeepsItsStatus) {
    MessageWindow window;
    UpdateRelay relay;
    relay.Attach(window.hwnd);
    std::thread([&] {
        relay.OnProgress(99.9f);
        relay.OnUpdateFinished(UpdateEnd::kUpToDate);
    }).join();
    std::vector<Posted> posted = window.Drain();
    ASSERT_EQ(posted.size(), 4u);
    EXPECT_EQ(posted[0].message, window_messages::kProgressMessage);
    EXPECT_EQ(posted[0].wParam, 99u); // truncated toward zero
    EXPECT_EQ(posted[2].message, window_messages::kProgressMessage);
    EXPECT_EQ(posted[2].wParam, 0u); // the bar returns to empty
    EXPECT_EQ(posted[3].message, window_messages::kEndedMessage);
    EXPECT_EQ(relay.Status(), "Up to date");

    relay.OnUpdateFinished(UpdateEnd::kFailed);
    relay.OnUpdateFinished(UpdateEnd::kSelfUpdate);
    EXPECT_EQ(relay.Status(), "Update failed");
    posted = window.Drain();
    ASSERT_FALSE(posted.empty());
    EXPECT_EQ(posted.back().message, window_messages::kEndedMessage);
    EXPECT_EQ(posted.back().wParam, static_cast<WPARAM>(UpdateEnd::kSelfUpdate));
}

TEST(UpdateRelayTest, StopAndDetachRaceWithARunningDownload) {
    const char url[] = "http://portal/files.php";
    for (int round = 0; round < 20; ++round) {
        MessageWindow window;
        UpdateRelay relay;
        relay.Attach(window.hwnd);
        UpdateBench<> bench;
        bench.reportsTo = &relay;
        bench.ftp.files = {{"a", std::string(200000, 'a')}, {"b", std::string(200000, 'b')}};
        bench.portal.texts[url] = "#\r\n" + ManifestEntry("a", bench.ftp.files["a"]) +
                                  ManifestEntry("b", bench.ftp.files["b"]);
        std::thread update([&] { bench.Run(bench.folder, url); });
        std::this_thread::sleep_for(std::chrono::microseconds(50 * round));
        bench.worker.RequestStop();
        relay.Detach();
        window.Drain();
        update.join();
        EXPECT_TRUE(window.Drain().empty()) << "round " << round;
        for (const auto& [name, bytes] : bench.folder.files) {
            const bool piece = name.size() == 6 && name.substr(1) == ".part";
            const std::string& served = bench.ftp.files[name.substr(0, 1)];
            EXPECT_EQ(bytes, piece ? served.substr(0, bytes.size()) : served) << name;
        }
    }
}

} // namespace
