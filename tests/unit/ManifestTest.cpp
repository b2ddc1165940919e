#include "update/GamePath.h"
#include "update/Manifest.h"
#include "update/ITextFetch.h"

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
    EXPECT_TRUE(ParseManifest(std::string("#\r\na|1|2\0b|1|2", 15)).valid);
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
    const std::pair<const char*, uint32_t> cases[] = {
        {"42abc", 42u}, {" \t+7", 7u}, {"-1", 4294967295u}, {"-5", 4294967291u},
        {"4294967295", 4294967295u}, {"4294967296", 4294967295u},
        {"-99999999999999999999", 4294967295u}, {"", 0u}, {"x1", 0u}};
    for (const auto& [text, number] : cases)
        EXPECT_EQ(ParseManifestNumber(text), number) << text;
}

// Every form that would leave the game folder (or that Windows reads as a
// device or rewrites) is skipped, in both sections.
TEST(ManifestTest, PathsOutsideTheGameFolderAreSkippedInBothSections) {
    const char* hostile[] = {
        "\\Windows\\win.ini", "/etc/x", "\\\\host\\share\\x", "\\\\.\\PhysicalDrive0", "CON",
        "nul.txt", "maps\\AUX.pk3", "com1", "LPT9.log", "prn .txt", "a\\conout$", "file.pk3.",
        "dir \\x", "a\\\\b", "dir\\", "a*b", "a?b", "dir. \\x", "\\\\?\\C\\x", "tab\there", "C:x",
        "..\\x", "a..b"};
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

// Only the first 10,000 bytes count (a line the limit cuts is never acted
// on, as the update run shows); a text that ends exactly at the limit is not
// cut.
TEST(ManifestTest, OnlyTheFirstTenThousandBytesCount) {
    std::string text = "#\r\nkept|1|1\r\n#DELETE\r\n";
    text += std::string(10000 - text.size() - 23, 'p') + "\r\njaplus\\jampconfig.cfg";
    ASSERT_EQ(text.size(), 10000u);
    Manifest m = ParseManifest(text);
    EXPECT_FALSE(m.cut);
    EXPECT_EQ(m.items.back().name, "japlus\\jampconfig.cfg");
    std::string longLine = "#\r\n" + std::string(20000, 'q') + "|1|1\r\nx|1|1\r\n";
    m = ParseManifest(longLine);
    EXPECT_TRUE(m.items.empty());
    EXPECT_TRUE(m.cut);
}

} // namespace

namespace {

// A response arriving in pieces is read whole, up to the limit; an error
// leaves no text.
TEST(PortalTextTest, ReadsUntilTheLimitOrTheEnd) {
    const std::string body = std::string(6000, 'a') + std::string(6000, 'b');
    for (size_t piece : {size_t{1}, size_t{7}, size_t{1000}, size_t{20000}}) {
        size_t pos = 0;
        std::string text;
        ASSERT_TRUE(ReadPortalText(
            [&](char* buffer, size_t size) -> long long {
                const size_t n = std::min({piece, size, body.size() - pos});
                body.copy(buffer, n, pos);
                pos += n;
                return static_cast<long long>(n);
            },
            text));
        // One byte beyond the limit tells that the text was cut.
        EXPECT_EQ(text, body.substr(0, 10001)) << piece;
    }
    std::string text = "stale";
    int calls = 0;
    EXPECT_FALSE(ReadPortalText(
        [&](char* buffer, size_t) -> long long { return ++calls == 1 ? (buffer[0] = 'x', 1) : -1; },
        text));
    EXPECT_EQ(text, "");
}

} // namespace
