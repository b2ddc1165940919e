// The update's Win32 pieces that need no server: the window relay, the stamp
// in the settings file, the server cache file, and the game folder's file
// operations.
#include "TestFolder.h"

#include "update/Crc32.h"
#include "update/UpdateMessageRelay.h"
#include "update/UpdateWorker.h"
#include "update/Win32GameFolder.h"
#include "update/Win32ServerList.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace {

// A message-only window that records what the relay posts to it.
struct Posted {
    UINT message;
    WPARAM wParam;
};

std::vector<Posted> Drain(HWND window) {
    std::vector<Posted> posted;
    MSG msg;
    while (::PeekMessageA(&msg, window, 0, 0, PM_REMOVE))
        if (msg.message >= WM_USER)
            posted.push_back({msg.message, msg.wParam});
    return posted;
}

class MessageWindow {
public:
    MessageWindow()
        : m_hWnd(::CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr,
                                   nullptr)) {}
    ~MessageWindow() { ::DestroyWindow(m_hWnd); }
    HWND Get() const { return m_hWnd; }

private:
    HWND m_hWnd;
};

TEST(UpdateRelayTest, CallsBecomePostedMessagesOnTheWindowsThread) {
    MessageWindow window;
    UpdateMessageRelay relay;
    relay.SetWindow(window.Get());
    // The update thread calls; the window's thread reads afterwards.
    std::thread worker([&] {
        relay.OnProgress(99.9f);
        relay.OnStatusText("Downloading base\\a.pk3...");
        relay.OnUpdateFinished();
    });
    worker.join();
    const std::vector<Posted> posted = Drain(window.Get());
    ASSERT_EQ(posted.size(), 5u);
    EXPECT_EQ(posted[0].message, UpdateMessageRelay::kProgressMessage);
    EXPECT_EQ(posted[0].wParam, 99u); // truncated toward zero
    EXPECT_EQ(posted[1].message, UpdateMessageRelay::kStatusMessage);
    EXPECT_EQ(posted[2].message, UpdateMessageRelay::kStatusMessage);
    EXPECT_EQ(posted[3].message, UpdateMessageRelay::kProgressMessage);
    EXPECT_EQ(posted[3].wParam, 0u); // the bar returns to empty
    EXPECT_EQ(posted[4].message, UpdateMessageRelay::kFinishedMessage);
    EXPECT_EQ(relay.Status(), "Up to date");
    EXPECT_EQ(UpdateMessageRelay::kProgressMessage, WM_USER + 1u);
    EXPECT_EQ(UpdateMessageRelay::kStatusMessage, WM_USER + 2u);
}

TEST(UpdateRelayTest, AFailedUpdateKeepsSayingSo) {
    MessageWindow window;
    UpdateMessageRelay relay;
    relay.SetWindow(window.Get());
    relay.OnStatusText(kUpdateFailedText);
    relay.OnUpdateFinished();
    EXPECT_EQ(relay.Status(), "Update failed");
    relay.OnSelfUpdateStarted();
    const std::vector<Posted> posted = Drain(window.Get());
    ASSERT_FALSE(posted.empty());
    EXPECT_EQ(posted.back().message, UpdateMessageRelay::kSelfUpdateMessage);
}

TEST(StampStoreTest, TheSettingsFileHoldsTheStamp) {
    TestFolder folder;
    const std::string ini = folder.Path() + "\\vemor.ini";
    ProfileStampStore store(ini);
    EXPECT_EQ(store.ReadStamp(), "");
    store.WriteStamp("stamp 42");
    EXPECT_EQ(store.ReadStamp(), "stamp 42");
    EXPECT_EQ(ReadFileBytes("vemor.ini"), "[Orvintal]\r\nserverlist=stamp 42\r\n");
    store.WriteStamp(std::string(200, 's'));
    EXPECT_EQ(store.ReadStamp(), std::string(127, 's')); // so it never matches again
}

TEST(GameFolderTest, SizesCrcAndMovingIntoPlace) {
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

    std::unique_ptr<ILocalFile> out = files.CreateLocalFile("a.bin.part");
    ASSERT_TRUE(out);
    EXPECT_TRUE(out->Write("new", 3));
    EXPECT_TRUE(out->Close());
    EXPECT_TRUE(files.MoveIntoPlace("a.bin.part", "a.bin"));
    EXPECT_EQ(ReadFileBytes("a.bin"), "new");
    EXPECT_FALSE(FileExists("a.bin.part"));
    // Folders on the way are made; a file standing where a folder must go stays.
    std::unique_ptr<ILocalFile> deeper = files.CreateLocalFile("new\\folder\\x");
    ASSERT_TRUE(deeper);
    EXPECT_TRUE(deeper->Close());
    EXPECT_TRUE(FileExists("new\\folder\\x"));
    EXPECT_FALSE(files.CreateLocalFile("a.bin\\x"));
    EXPECT_EQ(ReadFileBytes("a.bin"), "new");
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
    {
        HANDLE held = ::CreateFileA("servercache.dat", GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
        EXPECT_TRUE(cache.Exists());
        EXPECT_FALSE(cache.Replace("second"));
        ::CloseHandle(held);
    }
    EXPECT_EQ(ReadFileBytes("servercache.dat"), "first");
    EXPECT_FALSE(FileExists("servercache.tmp"));
}

} // namespace
