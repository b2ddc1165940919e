#include "TestFolder.h"

#include "identity/AccountRecord.h"
#include "tests/unit/IdentityCookieLayout.h"
#include "identity/DriveProbe.h"
#include "identity/Win32CookieFile.h"
#include "identity/Win32DriveQuery.h"
#include "win/Handle.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

const char kKeyOfAbc[] = "85349a721878b7b77821d0897ff6e4b7";

std::unique_ptr<AccountRecord> RecordOfAbc() {
    return std::make_unique<AccountRecord>("abc", std::make_unique<Win32CookieFile>());
}

TEST(DriveProbeOnThisSystem, ReadsTheSameSerialEveryTimeAndDerivesTheIdentifier) {
    const std::string serial = ReadDriveSerial();
    EXPECT_EQ(std::string(ReadDriveSerial()), serial);
    TestFolder folder;
    AccountRecord record;
    // The default record is the one built from what the probe reads.
    EXPECT_EQ(record.m_machineId,
              AccountRecord(serial, std::make_unique<Win32CookieFile>()).m_machineId);
    record.m_accessMid = "m1";
    record.m_lang = "en";
    record.Save();
    AccountRecord nextStart;
    EXPECT_EQ(nextStart.m_accessMid, "m1");
    EXPECT_EQ(nextStart.m_lang, "en");
    Win32DriveQuery query;
    std::printf("paths: SMART %d, SCSI miniport %d, storage query %d, shared SMART %d\n",
                ProbeSmartIdentify(query), ProbeScsiMiniport(query), ProbeStorageQuery(query),
                ProbeSmartShared(query));
    std::printf("drive serial [%s], model [%s], machine identifier %s\n", serial.c_str(),
                g_driveModel, record.m_machineId.c_str());
    ::testing::Test::RecordProperty("drive_serial", serial);
    ::testing::Test::RecordProperty("machine_id", record.m_machineId);
}

// What the shell's calls give on Wine's virtual disk: the first drive opens
// for a query and answers it, there is no second drive.
TEST(DriveProbeOnThisSystem, PlatformCallsPassThrough) {
    Win32DriveQuery query;
    EXPECT_EQ(query.PlatformId(), 2u);
    const auto drive = query.Open("\\\\.\\PhysicalDrive0", 0, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  OPEN_EXISTING, 0);
    ASSERT_TRUE(drive);
    unsigned char request[12] = {};
    unsigned char answer[10000] = {};
    EXPECT_TRUE(drive->Control(0x002d1400, request, sizeof request, answer, sizeof answer));
    EXPECT_FALSE(query.Open("\\\\.\\PhysicalDrive1", 0, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            OPEN_EXISTING, 0));
}

TEST(CookieOnDisk, SaveReplacesTheWholeFileAndLeavesNothingBeside) {
    TestFolder folder;
    WriteFileBytes("cookie.dat", std::string(300, 'o'));
    auto record = RecordOfAbc();
    record->m_accessMid = "m1";
    record->m_accessCode = "c2";
    record->m_lang = "en";
    record->Save();
    // The scrambled fields end in random bytes; the values are read back below.
    const std::string saved = ReadFileBytes("cookie.dat");
    EXPECT_EQ(saved.size(), 192u);
    EXPECT_EQ(saved.substr(128), CookieField("en", ""));
    EXPECT_FALSE(FileExists("cookie.tmp"));

    auto loaded = RecordOfAbc();
    EXPECT_EQ(loaded->m_accessMid, "m1");
    EXPECT_EQ(loaded->m_accessCode, "c2");
    EXPECT_EQ(loaded->m_lang, "en");
}

TEST(CookieOnDisk, AFileThatCannotBeReplacedStaysAsItWas) {
    TestFolder folder;
    const std::string before =
        CookieField("old", kKeyOfAbc) + CookieField("old", kKeyOfAbc) + CookieField("de", "");
    WriteFileBytes("cookie.dat", before);
    // Another program holds the file open without letting it be replaced.
    win::ScopedHandle holder(::CreateFileA("cookie.dat", GENERIC_READ, FILE_SHARE_READ, nullptr,
                                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(holder.IsValid());
    auto record = RecordOfAbc();
    record->m_accessMid = "new";
    record->Save();
    holder.Close();
    EXPECT_EQ(ReadFileBytes("cookie.dat"), before);
    EXPECT_FALSE(FileExists("cookie.tmp"));

    // Nor does a "cookie.tmp" that cannot be written stop anything.
    ASSERT_TRUE(::CreateDirectoryA("cookie.tmp", nullptr));
    record->Save();
    EXPECT_EQ(ReadFileBytes("cookie.dat"), before);
}

// Wine does not make a read of a locked range fail, so a read error part-way
// cannot be made here; the native tests feed it through the file seam.
TEST(CookieOnDisk, AShortFileLoadsAsFarAsItGoes) {
    TestFolder folder;
    WriteFileBytes("cookie.dat",
                   (CookieField("mid", kKeyOfAbc) + CookieField("code", kKeyOfAbc)).substr(0, 66));
    auto record = RecordOfAbc();
    EXPECT_EQ(record->m_accessMid, "mid");
    EXPECT_EQ(record->m_accessCode, "co" + std::string(kKeyOfAbc).substr(2) + kKeyOfAbc);
    EXPECT_EQ(record->m_lang, "");
}

} // namespace
