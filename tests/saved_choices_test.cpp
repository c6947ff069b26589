#include "saved_choices.h"

#include <gtest/gtest.h>

#include <optional>

#include "selection.h"

namespace core {
namespace {

TEST(SavedChoices, KeyNames) {
    EXPECT_EQ(opKey(op::kWater), "op1") << "op1 belongs to Op(1), not to the array Op1";
    EXPECT_EQ(opKey(op::kAboveGround), "op7");
    EXPECT_EQ(op1Key(op1::kClassA), "op10");
    EXPECT_EQ(op1Key(op1::kFactor07), "op18");
    EXPECT_EQ(op1Key(op1::kFactor03), "op22");
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
    EXPECT_EQ(booleanText(true), "True");
    EXPECT_EQ(booleanText(false), "False");
}

}  // namespace
}  // namespace core
