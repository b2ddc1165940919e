// The update's Win32 pieces that need no server: the window relay, the server
// cache file, and the game folder's file operations.
#include "TestFolder.h"
#include "tests/unit/UpdateFakes.h"

#include "workers/Win32UpdateRelay.h"
#include "update/Win32GameFolder.h"
#include "update/Win32ServerList.h"
#include "win/Handle.h"

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

// A message-only window that keeps what the relay posts to it.
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

// The window's thread stops the download and detaches while the update thread
// runs: no call reaches the window afterwards, and every file is whole,
// absent, or a piece of its start kept for the next start.
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

// The stamp in vemor.ini and the moves into place are proved by the
// end-to-end update scenario.
TEST(GameFolderTest, SizesCrcDeletesAndAFileInTheWayOfAFolder) {
    TestFolder folder;
    Win32GameFolder files;
    WriteFileBytes("a.bin", "123456789");
    uint32_t size = 0, crc = 0;
    EXPECT_TRUE(files.GetLocalFileSize("a.bin", size));
    EXPECT_EQ(size, 9u);
    EXPECT_EQ(files.ComputeFileCrc32("a.bin", crc), 0u);
    EXPECT_EQ(crc, 0xCBF43926u);
    EXPECT_FALSE(files.GetLocalFileSize("missing", size));
    EXPECT_EQ(files.ComputeFileCrc32("missing", crc), static_cast<uint32_t>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(crc, 0u);

    // A file standing where a folder must go stays.
    EXPECT_FALSE(files.CreateLocalFile("a.bin\\x"));
    EXPECT_EQ(ReadFileBytes("a.bin"), "123456789");

    // A delete tells a file held open (with the system's reason) from one
    // that is not there.
    win::ScopedHandle held(::CreateFileA("a.bin", GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
    const DeleteResult refused = files.DeleteLocalFile("a.bin");
    EXPECT_EQ(refused.outcome, DeleteResult::kFailed);
    EXPECT_EQ(refused.reason.substr(0, 9), "error 32 ") << refused.reason;
    held.Close();
    EXPECT_EQ(files.DeleteLocalFile("a.bin").outcome, DeleteResult::kDeleted);
    EXPECT_EQ(files.DeleteLocalFile("a.bin").outcome, DeleteResult::kNotThere);
    EXPECT_EQ(files.DeleteLocalFile("no\\a.bin").outcome, DeleteResult::kNotThere);
}

// A cache that another program holds open (the game reading it, say) exists:
// it is neither rebuilt as missing nor torn; a replace that cannot take its
// place leaves it whole and no temporary file behind.
TEST(ServerCacheFileTest, ALockedCacheExistsAndStaysWhole) {
    TestFolder folder;
    Win32ServerCacheFile cache;
    EXPECT_FALSE(cache.Exists());
    EXPECT_TRUE(cache.Replace("first"));
    EXPECT_EQ(ReadFileBytes("servercache.dat"), "first");
    win::ScopedHandle held(::CreateFileA("servercache.dat", GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(held.IsValid());
    EXPECT_TRUE(cache.Exists());
    EXPECT_FALSE(cache.Replace("second"));
    held.Close();
    EXPECT_EQ(ReadFileBytes("servercache.dat"), "first");
    EXPECT_FALSE(FileExists("servercache.tmp"));
}

} // namespace
