#include "text/GamePath.h"
#include "update/Manifest.h"

#include <gtest/gtest.h>

namespace {

std::string Names(const Manifest& m) {
    std::string out;
    for (const auto& item : m.items)
        out += (item.isDelete ? "-" : "+") + item.name + ";";
    return out;
}

TEST(ManifestTest, HeaderDecidesWhetherAnythingIsDone) {
    EXPECT_TRUE(ParseManifest("#\r\na|1|2").valid);
    EXPECT_FALSE(ParseManifest("#").valid);          // no line end: no header line
    EXPECT_FALSE(ParseManifest("#\na|1|2\n").valid); // LF only: the "#" is dropped
    EXPECT_FALSE(ParseManifest("<html>\r\n").valid); // an error page
    EXPECT_FALSE(ParseManifest("").valid);
    EXPECT_FALSE(ParseManifest(std::string("\0#\r\n", 4)).valid); // ends at the NUL
    EXPECT_EQ(Names(ParseManifest(std::string("#\r\na|1|2\0b|1|2", 15))), "+a;");
}

TEST(ManifestTest, EntriesSectionsAndLineEnds) {
    const Manifest m = ParseManifest("#\r\n"
                                     "  base\\a.pk3|123|456 \r\n"
                                     "\r\n"
                                     "x||7\r\n"  // empty CRC reads 0
                                     "|1|2\r\n"  // no name
                                     "y|1|\r\n"  // no size
                                     "z|5\r\n"   // one bar
                                     "lf|9|10\n" // LF only: the last digit is lost
                                     " #DELETE \r\n"
                                     "old.cfg\r\n"
                                     "a|1|2\r\n"  // in the delete section: a path
                                     "last.txt"); // the last line is taken whole
    ASSERT_TRUE(m.valid);
    EXPECT_EQ(Names(m), "+base\\a.pk3;+x;+lf;-old.cfg;-last.txt;");
    EXPECT_EQ(m.items[0].crc, 123u);
    EXPECT_EQ(m.items[0].size, 456u);
    EXPECT_EQ(m.items[1].crc, 0u);
    EXPECT_EQ(m.items[2].size, 1u);
}

TEST(ManifestTest, NumbersFollowStrtoulOnThirtyTwoBits) {
    const std::pair<const char*, uint32_t> cases[] = {{"42abc", 42u},
                                                      {" \t+7", 7u},
                                                      {"-1", 4294967295u},
                                                      {"-5", 4294967291u},
                                                      {"4294967295", 4294967295u},
                                                      {"4294967296", 4294967295u},
                                                      {"-99999999999999999999", 4294967295u},
                                                      {"", 0u},
                                                      {"x1", 0u}};
    for (const auto& [text, number] : cases)
        EXPECT_EQ(ParseManifestNumber(text), number) << text;
}

// Every form that would leave the game folder (or that Windows reads as a
// device or rewrites) is skipped, in both sections.
TEST(ManifestTest, PathsOutsideTheGameFolderAreSkippedInBothSections) {
    const char* hostile[] = {"\\Windows\\win.ini",
                             "/etc/x",
                             "\\\\host\\share\\x",
                             "\\\\.\\PhysicalDrive0",
                             "CON",
                             "nul.txt",
                             "maps\\AUX.pk3",
                             "com1",
                             "LPT9.log",
                             "prn .txt",
                             "a\\conout$",
                             "file.pk3.",
                             "dir \\x",
                             "a\\\\b",
                             "dir\\",
                             "a*b",
                             "a?b",
                             "dir. \\x",
                             "\\\\?\\C\\x",
                             "tab\there",
                             "C:x",
                             "..\\x",
                             "a..b"};
    std::string files = "#\r\n";
    std::string deletes = "#DELETE\r\n";
    for (const char* path : hostile) {
        EXPECT_FALSE(IsInsideGameFolder(path)) << path;
        files += std::string(path) + "|1|2\r\n";
        deletes += std::string(path) + "\r\n";
    }
    EXPECT_EQ(Names(ParseManifest(files + deletes + "ok.txt")), "-ok.txt;");
    for (const char* fine : {"base\\a.pk3", "japlus/cfg/x.cfg", "COM10", "console.log", "lpt.txt",
                             "a b\\c d.pk3", ".\\x", "nulls\\x"})
        EXPECT_TRUE(IsInsideGameFolder(fine)) << fine;
}

// A file set of thousands of files is read whole; up to 1 MiB counts (a line
// the limit cuts is never acted on, as the update run shows), and a text
// that ends exactly at the limit is not cut, one byte more is.
TEST(ManifestTest, LargeFileSetsAreReadUpToTheLimit) {
    std::string text = "#\r\n";
    size_t files = 0;
    for (; text.size() < 200000; ++files)
        text += "base\\file" + std::to_string(files) + ".pk3|" + std::to_string(files) + "|9\r\n";
    Manifest m = ParseManifest(text);
    EXPECT_FALSE(m.cut);
    ASSERT_EQ(m.items.size(), files);
    EXPECT_EQ(m.items.back().name, "base\\file" + std::to_string(files - 1) + ".pk3");

    text = "#\r\nkept|1|1\r\n#DELETE\r\n";
    text += std::string(kManifestLimit - text.size() - 23, 'p') + "\r\njaplus\\jampconfig.cfg";
    ASSERT_EQ(text.size(), kManifestLimit);
    m = ParseManifest(text);
    EXPECT_FALSE(m.cut);
    EXPECT_EQ(m.items.back().name, "japlus\\jampconfig.cfg");
    EXPECT_TRUE(ParseManifest(text + "x").cut);
}

} // namespace
