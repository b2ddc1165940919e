#include "identity/AccountRecord.h"
#include "tests/unit/IdentityCookieLayout.h"

#include <gtest/gtest.h>

namespace {

// MD5 of "abc" followed by "qz73MRA", as md5sum gives it: the key of a
// machine whose drive serial is "abc".
const std::string kKeyOfAbc = "85349a721878b7b77821d0897ff6e4b7";
const std::string kKeyOfNoSerial = "e9a39d404938dd351f608c4fd055babe";

std::unique_ptr<AccountRecord> Record(CookieDisk& disk, const std::string& serial = "abc",
                                      RandomFill random = RandomFill()) {
    return std::make_unique<AccountRecord>(serial, std::make_unique<MemoryCookieFile>(disk),
                                           std::move(random));
}

bool CountingFill(unsigned char* bytes, size_t count) {
    for (size_t i = 0; i < count; ++i)
        bytes[i] = static_cast<unsigned char>(0xA0 + i);
    return true;
}

bool HasRunOfKey(const std::string& file, const std::string& key) {
    const std::string twice = key + key;
    for (size_t start = 0; start < key.size(); ++start)
        if (file.find(twice.substr(start, 16)) != std::string::npos)
            return true;
    return false;
}

TEST(AccountRecord, MachineIdentifierIsTheDigestOfTheTrimmedSerial) {
    CookieDisk disk;
    EXPECT_EQ(Record(disk, " \tabc  ")->m_machineId, "900150983cd24fb0d6963f7d28e17f72");
    EXPECT_EQ(Record(disk, "")->m_machineId, "d41d8cd98f00b204e9800998ecf8427e");
    EXPECT_EQ(disk.replaces, 0); // building the record never writes
}

// Scrambled zero padding would be the key in plain text.
TEST(AccountRecord, SaveWritesTheLayoutWithRandomBytesAfterEachScrambledValue) {
    CookieDisk disk;
    auto record = Record(disk, "abc", CountingFill);
    record->m_accessMid = "m1";
    record->m_accessCode = std::string(64, 'c');
    record->m_lang = std::string(65, 'L');
    record->Save();
    std::string counting(61, '\0');
    CountingFill(reinterpret_cast<unsigned char*>(&counting[0]), 61);
    EXPECT_EQ(disk.bytes, CookieField("m1", kKeyOfAbc).substr(0, 3) + counting +
                              CookieField(std::string(64, 'c'), kKeyOfAbc) +
                              CookieField(std::string(64, 'L'), ""));

    RandomFill failing = [](unsigned char*, size_t) { return false; };
    for (RandomFill random : {RandomFill(), failing}) {
        auto other = Record(disk, "abc", random);
        other->m_accessMid.clear();
        other->m_accessCode = "c";
        other->m_lang = "ru";
        other->Save();
        ASSERT_EQ(disk.bytes.size(), 192u);
        EXPECT_FALSE(HasRunOfKey(disk.bytes, kKeyOfAbc));
        EXPECT_EQ(disk.bytes.substr(128), "ru" + std::string(62, '\0'));
        auto again = Record(disk);
        EXPECT_EQ(again->m_accessMid, "");
        EXPECT_EQ(again->m_accessCode, "c");
    }
}

TEST(AccountRecord, ValuesReadBackCutTo64Characters) {
    CookieDisk disk;
    auto record = Record(disk);
    // '8' and '5' are the key's first two characters: stored as zero bytes.
    record->m_accessMid = "85" + std::string(62, 'x');
    record->m_accessCode = std::string(65, 'y');
    record->m_lang = "en";
    record->Save();
    EXPECT_EQ(disk.bytes.substr(0, 2), std::string(2, '\0'));

    auto again = Record(disk);
    EXPECT_EQ(again->m_accessMid, "85" + std::string(62, 'x'));
    EXPECT_EQ(again->m_accessCode, std::string(64, 'y'));
    EXPECT_EQ(again->m_lang, "en");
}

TEST(AccountRecord, ShortFilesLoadTheirMissingBytesAsZero) {
    CookieDisk disk;
    disk.exists = true;
    auto empty = Record(disk, "");
    EXPECT_EQ(empty->m_accessMid, kKeyOfNoSerial + kKeyOfNoSerial);
    EXPECT_EQ(empty->m_accessCode, kKeyOfNoSerial + kKeyOfNoSerial);
    EXPECT_EQ(empty->m_lang, "");

    // Cut inside the access code: its first 4 bytes, then key characters.
    disk.bytes = CookieField("mid", kKeyOfAbc) + CookieField("code", kKeyOfAbc).substr(0, 4);
    auto torn = Record(disk);
    EXPECT_EQ(torn->m_accessMid, "mid");
    EXPECT_EQ(torn->m_accessCode, "code" + kKeyOfAbc.substr(4) + kKeyOfAbc);
    EXPECT_EQ(torn->m_lang, "");

    disk.bytes =
        CookieField("m1", kKeyOfAbc) + CookieField("c2", kKeyOfAbc) + CookieField("en", "");
    auto old = Record(disk);
    EXPECT_EQ(old->m_accessMid, "m1");
    EXPECT_EQ(old->m_accessCode, "c2");
}

TEST(AccountRecord, MissingOrUnreadableFileKeepsTheValuesItHad) {
    CookieDisk disk;
    auto record = Record(disk);
    record->m_accessMid = "mid";
    record->m_accessCode = "code";
    record->m_lang = "fr";
    record->Save();
    record->m_accessCode = "kept";
    record->m_lang = "kept too";

    // A read error after the first field: that one loads, the others are
    // unknown and stay as they were rather than turning into key characters.
    disk.failReads = true;
    disk.readableBytes = 100;
    record->m_accessMid = "replaced";
    record->Load();
    EXPECT_EQ(record->m_accessMid, "mid");
    EXPECT_EQ(record->m_accessCode, "kept");
    EXPECT_EQ(record->m_lang, "kept too");
}

} // namespace
