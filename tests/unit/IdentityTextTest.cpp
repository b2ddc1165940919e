#include "identity/DriveProbe.h"
#include "identity/IdentifyText.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

// IDENTIFY words holding `serial` in words 10..19 and `model` in 27..46, two
// characters per word, the first in the high byte, blank-padded as drives do.
IdentifyWords DriveWords(const std::string& serial, const std::string& model = "ST1000 Model") {
    IdentifyWords words = {};
    auto put = [&](const std::string& text, int first, int last) {
        std::string padded = text;
        padded.resize(2 * (last - first + 1), ' ');
        for (int i = first; i <= last; ++i) {
            const size_t at = 2 * (i - first);
            words[i] = uint32_t(uint8_t(padded[at])) << 8 | uint8_t(padded[at + 1]);
        }
    };
    put(serial, 10, 19);
    put(model, 27, 46);
    return words;
}

std::string SerialText(const IdentifyWords& words) {
    char out[21];
    IdentifyWordsToText(words, 10, 19, out);
    return out;
}

TEST(IdentifyWordsToText, ClearsTrailingBlanksOnlyAndKeepsTheFirstCharacter) {
    EXPECT_EQ(SerialText(DriveWords("     WD-WMAZA1234567")), "     WD-WMAZA1234567");
    EXPECT_EQ(SerialText(DriveWords("AB  CD")), "AB  CD");
    EXPECT_EQ(SerialText(DriveWords("")), " ");

    // A zero byte ends the text; blanks just before it stay.
    IdentifyWords words = DriveWords("AB  ");
    words[12] = 0x0000;
    EXPECT_EQ(SerialText(words), "AB  ");

    char model[41];
    IdentifyWordsToText(DriveWords("x", "Maxtor 6Y080L0"), 27, 46, model);
    EXPECT_STREQ(model, "Maxtor 6Y080L0");
}

TEST(RecordIdentifyData, KeepsTheFirstUsableSerialWithItsModel) {
    g_driveSerial[0] = g_driveModel[0] = '\0';
    RecordIdentifyData(0, DriveWords("     WD-WMAZA1234567", "WDC WD5000"));
    EXPECT_STREQ(g_driveSerial, "     WD-WMAZA1234567"); // its 20th character is a digit
    EXPECT_STREQ(g_driveModel, "WDC WD5000");

    RecordIdentifyData(1, DriveWords("OTHER123", "Other"));
    EXPECT_STREQ(g_driveSerial, "     WD-WMAZA1234567");
    EXPECT_STREQ(g_driveModel, "WDC WD5000");
}

TEST(RecordIdentifyData, PassesOverSerialsThatAreNotUsable) {
    g_driveSerial[0] = g_driveModel[0] = '\0';
    RecordIdentifyData(0, DriveWords(" WD-WMAZA12345"));      // blank first, trailing blanks
    RecordIdentifyData(1, DriveWords(""));                    // all blanks: one blank
    RecordIdentifyData(2, DriveWords("-------------------")); // neither end alphanumeric
    IdentifyWords highBytes = DriveWords("x");
    highBytes[10] = 0xc9c9;
    RecordIdentifyData(3, highBytes);
    EXPECT_STREQ(g_driveSerial, "");
    EXPECT_STREQ(g_driveModel, "");
}

// A descriptor buffer with `text` at offset 40 (or no NUL when `terminate` is false).
struct Descriptor {
    explicit Descriptor(const std::string& text, bool terminate = true)
        : bytes(40 + text.size() + (terminate ? 1 : 0), 0) {
        std::memcpy(bytes.data() + 40, text.data(), text.size());
    }
    std::string Decode(bool swap, int32_t offset = 40) const {
        std::vector<char> out(kDescriptorTextSize, 'X');
        DecodeDescriptorText(bytes.data(), bytes.size(), offset, swap, out.data());
        return out.data();
    }
    std::vector<unsigned char> bytes;
};

TEST(DecodeDescriptorText, HexAndCopyPassesSwapAndTrim) {
    EXPECT_EQ(Descriptor("3132 ").Decode(false), "12");  // a blank is digit 0, the odd one dropped
    EXPECT_EQ(Descriptor("0001").Decode(false), "0001"); // 0x01 is not printable: copied
    EXPECT_EQ(Descriptor("abc\x01"
                         "def")
                  .Decode(false),
              "");
    EXPECT_EQ(Descriptor("2020202031324142").Decode(true), "21BA");
    EXPECT_EQ(Descriptor("2020").Decode(false), "  "); // all blanks stay
    EXPECT_EQ(Descriptor("ABC").Decode(true), "BA");
    EXPECT_EQ(Descriptor("  WD-WCAV12345678  ").Decode(false), "WD-WCAV12345678");
    EXPECT_EQ(Descriptor("4142").Decode(false, -8), "");
}

TEST(DecodeDescriptorText, StringsThatDoNotFitOrDoNotEndAreRejected) {
    const std::string longest(999, 'Q');
    EXPECT_EQ(Descriptor(longest).Decode(false), longest);
    EXPECT_EQ(Descriptor(longest + "Q").Decode(false), "");
    EXPECT_EQ(Descriptor(std::string(5000, 'Q')).Decode(true), "");

    std::string hex;
    for (int i = 0; i < 999; ++i)
        hex += "51";
    EXPECT_EQ(Descriptor(hex).Decode(false), longest);
    EXPECT_EQ(Descriptor(hex + "51").Decode(false), "");
    // A zero byte ends the decoded text early, so the rest need not fit.
    EXPECT_EQ(Descriptor("5100" + hex).Decode(false), "Q");

    EXPECT_EQ(Descriptor("4142", false).Decode(false), "");
    EXPECT_EQ(Descriptor("4142").Decode(false, 1 << 30), "");
}

} // namespace
