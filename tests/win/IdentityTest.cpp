#include "TestFolder.h"

#include "identity/AccountRecord.h"
#include "identity/Win32CookieFile.h"
#include "tests/unit/IdentityCookieLayout.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const char kKeyOfAbc[] = "85349a721878b7b77821d0897ff6e4b7";

std::unique_ptr<AccountRecord> RecordOfAbc() {
    return std::make_unique<AccountRecord>("abc", std::make_unique<Win32CookieFile>());
}

// cookie.dat through the real file functions. (The key Wine's probe leads to
// and the stored account reaching the game are proved by the end-to-end
// window scenario.)
TEST(CookieOnDisk, SaveReplacesTheWholeFileAndLeavesNothingBeside) {
    TestFolder folder;
    WriteFileBytes("cookie.dat", std::string(300, 'o'));
    auto record = RecordOfAbc();
    record->m_accessMid = "m1";
    record->m_accessCode = "c2";
    record->m_lang = "en";
    record->Save();
    // The scrambled fields end in random bytes, so they are read back instead.
    const std::string saved = ReadFileBytes("cookie.dat");
    EXPECT_EQ(saved.size(), 192u);
    EXPECT_EQ(saved.substr(128), CookieField("en", ""));
    EXPECT_FALSE(FileExists("cookie.tmp"));

    record = RecordOfAbc();
    EXPECT_EQ(record->m_accessMid + "/" + record->m_accessCode + "/" + record->m_lang, "m1/c2/en");
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
