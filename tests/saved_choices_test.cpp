#include "saved_choices.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <tuple>

namespace core {
namespace {

TEST(SavedChoices, KeyNames) {
    // "op1" is the key of Op(1), not of the array Op1; Op1(8) to Op1(12) are "op18" to "op22".
    const std::tuple<std::string, std::string> keys[] = {
        {opKey(1), "op1"},   {opKey(7), "op7"},    {op1Key(0), "op10"},
        {op1Key(8), "op18"}, {op1Key(12), "op22"},
    };
    for (const auto& [key, expected] : keys) {
        EXPECT_EQ(key, expected);
    }
}

TEST(SavedChoices, ReadsBooleanAndCheckTexts) {
    const std::pair<const char*, std::optional<bool>> booleans[] = {
        {"True", true},          {"False", false},     {"true", true},
        {" FALSE ", false},      {"-1", true},         {"0", false},
        {"2.5", true},           {"+0", false},        {"", std::nullopt},
        {"maybe", std::nullopt}, {"1x", std::nullopt}, {"nan", std::nullopt},
    };
    for (const auto& [text, value] : booleans) {
        EXPECT_EQ(booleanFromText(text), value) << '"' << text << '"';
    }
    const std::pair<const char*, std::optional<int>> checks[] = {
        {"1", 1},
        {"0", 0},
        {" 1 ", 1},
        {"7", std::nullopt},
        {"-1", std::nullopt},
        {"", std::nullopt},
        {"True", std::nullopt},
        {"0.5", std::nullopt},
    };
    for (const auto& [text, value] : checks) {
        EXPECT_EQ(checkFromText(text), value) << '"' << text << '"';
    }
}

}  // namespace
}  // namespace core
