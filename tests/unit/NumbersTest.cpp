#include "text/Numbers.h"

#include <gtest/gtest.h>

namespace {

constexpr uint64_t kMax = UINT64_MAX;
constexpr auto kRefused = LeadingZeros::kRefused;
constexpr auto kAllowed = LeadingZeros::kAllowed;

TEST(NumbersTest, DecimalsAreWholeTextsWithinTheirMaximum) {
    const struct {
        const char* text;
        uint64_t max;
        LeadingZeros zeros;
        bool taken;
        uint64_t value;
    } cases[] = {
        {"0", kMax, kRefused, true, 0},   {"18446744073709551615", kMax, kRefused, true, kMax},
        {"5", 5, kRefused, true, 5},      {"18446744073709551616", kMax, kRefused, false, 0},
        {"6", 5, kRefused, false, 0},     {"007", kMax, kRefused, false, 0},
        {"007", kMax, kAllowed, true, 7}, {"", kMax, kAllowed, false, 0},
        {"+1", kMax, kAllowed, false, 0}, {" 1", kMax, kAllowed, false, 0},
        {"1a", kMax, kAllowed, false, 0}};
    for (const auto& c : cases) {
        uint64_t value = 12345;
        EXPECT_EQ(ParseDecimal(c.text, c.max, value, c.zeros), c.taken) << c.text;
        EXPECT_EQ(value, c.taken ? c.value : 12345u) << c.text;
    }
}

// The callers' own tests cover the rest: the manifest's strtoul, the port's atoi.
TEST(NumbersTest, LeadingDigitsAreHeldAtTheCeilingWhereverItLies) {
    EXPECT_EQ(ReadDecimalDigits("1000x", 1000), 1000u);
    EXPECT_EQ(ReadDecimalDigits("1001", 1000), 1000u);
    EXPECT_EQ(ReadDecimalDigits("7", 5), 5u);
}

TEST(NumbersTest, HexDigitsAreLowerCaseAndUpperCaseOnlyWhereAsked) {
    const std::string digits = "0123456789abcdefABCDEF";
    for (int c = 0; c < 256; ++c) {
        const size_t at = digits.find(static_cast<char>(c));
        const int value = at == std::string::npos ? -1 : static_cast<int>(at < 16 ? at : at - 6);
        EXPECT_EQ(HexDigitValue(static_cast<char>(c), HexLetters::kAnyCase), value) << c;
        EXPECT_EQ(HexDigitValue(static_cast<char>(c), HexLetters::kLowerOnly), at < 16 ? value : -1)
            << c;
    }
}

} // namespace
