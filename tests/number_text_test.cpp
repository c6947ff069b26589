// Numbers read from texts and written as texts.
#include "number_text.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <utility>

namespace core {
namespace {

// The number at the start of the text, as the window has always read its area box.
TEST(LeadingNumber, ReadsTheNumberAtTheStartOfTheText) {
    const std::pair<const char*, double> cases[] = {
        {"55B", 55},      {"0.5A", 0.5},   {"144B", 144},       {"-", 0},
        {"", 0},          {"abc", 0},      {"  12.5 m2", 12.5}, {"+5", 5},
        {".5", 0.5},      {"1 000", 1000}, {"1000m2", 1000},    {"1,000", 1},
        {"10(9.75)", 10}, {"1E3", 1000},   {"1e-2", 0.01},      {"-100", -100},
        {"\t7\n", 7},     {"5.", 5},       {"1.2.3", 1.2},      {"1E", 1},
        {"&H10", 0},      {"&O17", 0},     {"1D3", 1},          {"1.234568E+08", 123456800},
        {"- 5", -5},      {"1E-400", 0},   {"０１", 0},
    };
    for (const auto& [text, value] : cases) {
        EXPECT_DOUBLE_EQ(leadingNumber(text).value_or(-1), value) << '"' << text << '"';
    }
}

TEST(LeadingNumber, ReportsNumbersBeyondTheDoubleRange) {
    for (const char* text : {"1E309", "-1E400", "1E99999999999999999999"}) {
        EXPECT_FALSE(leadingNumber(text).has_value()) << text;
    }
    EXPECT_EQ(leadingNumber("1E308"), 1E308);
    // A long mantissa scaled back into range is no overflow.
    EXPECT_DOUBLE_EQ(leadingNumber(std::string(400, '9') + "E-400").value_or(-1), 1.0);
}

// The plain text of a double or a single, and the count text, which puts the zero back before the
// decimal point.
TEST(PlainTextAndZf, WriteDoublesAndSingles) {
    // clang-format off
    const std::tuple<double, const char*, const char*> doubles[] = {  // x, plain text, zf
        {10, "10", "10"}, {175.5, "175.5", "175.5"}, {24.267, "24.267", "24.267"},
        {0.13, ".13", "0.13"}, {0.364, ".364", "0.364"}, {0.5, ".5", "0.5"},
        {-0.5, "-.5", "-0.5"}, {-0.333, "-.333", "-0.333"}, {0.001, ".001", "0.001"},
        {0, "0", "0"}, {-0.0, "0", "0"}, {1, "1", "1"},
        {-1, "-1", "-1"}, {2.5, "2.5", "2.5"}, {1.0 / 3, ".333333333333333", "0.333333333333333"},
        {123456789012345, "123456789012345", "123456789012345"},
        {1E15, "1E+15", "1E+15"}, {2.5E20, "2.5E+20", "2.5E+20"},
        // below 0.001 the exponent form, which has no zero to put back
        {0.0005, "5E-04", "5E-04"}, {-0.0005, "-5E-04", "-5E-04"}, {1.25E-20, "1.25E-20", "1.25E-20"},
    };
    const std::pair<float, const char*> singles[] = {
        {123456789.0F, "1.234568E+08"}, {9999999.0F, "9999999"}, {10000000.0F, "1E+07"},
        {900.0F, "900"}, {12.0F, "12"}, {-1.0F, "-1"}, {2147483647.0F, "2.147484E+09"},
    };
    // clang-format on
    for (const auto& [x, plain, count] : doubles) {
        EXPECT_EQ(plainText(x), plain) << x;
        EXPECT_EQ(zf(x), count) << x;
    }
    for (const auto& [x, text] : singles) {
        EXPECT_EQ(plainText(x), text) << x;
    }
}

}  // namespace
}  // namespace core
