#include "saved_choices.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <tuple>
#include <utility>

#include "case_name.h"

namespace core {
namespace {

class KeyName : public ::testing::TestWithParam<std::tuple<std::string, std::string>> {};

TEST_P(KeyName, IsTheSavedOne) {
    const auto& [key, expected] = GetParam();
    EXPECT_EQ(key, expected);
}

// "op1" is the key of Op(1), not of the array Op1; Op1(8) to Op1(12) are "op18" to "op22".
const std::tuple<std::string, std::string> kKeys[] = {
    {opKey(1), "op1"},   {opKey(7), "op7"},    {op1Key(0), "op10"},
    {op1Key(8), "op18"}, {op1Key(12), "op22"},
};
INSTANTIATE_TEST_SUITE_P(SavedChoices, KeyName, ::testing::ValuesIn(kKeys), [](const auto& p) {
    return tests::caseName(p.index, std::get<1>(p.param));
});

// Names a case by its place in the table and its text.
struct IndexAndText {
    template <typename Param>
    std::string operator()(const ::testing::TestParamInfo<Param>& p) const {
        return tests::caseName(p.index, p.param.first);
    }
};

class BooleanText : public ::testing::TestWithParam<std::pair<const char*, std::optional<bool>>> {};

TEST_P(BooleanText, IsRead) {
    const auto& [text, value] = GetParam();
    EXPECT_EQ(booleanFromText(text), value) << '"' << text << '"';
}

const std::pair<const char*, std::optional<bool>> kBooleans[] = {
    {"True", true},          {"False", false},     {"true", true},
    {" FALSE ", false},      {"-1", true},         {"0", false},
    {"2.5", true},           {"+0", false},        {"", std::nullopt},
    {"maybe", std::nullopt}, {"1x", std::nullopt}, {"nan", std::nullopt},
};
INSTANTIATE_TEST_SUITE_P(SavedChoices, BooleanText, ::testing::ValuesIn(kBooleans), IndexAndText());

class CheckText : public ::testing::TestWithParam<std::pair<const char*, std::optional<int>>> {};

TEST_P(CheckText, IsRead) {
    const auto& [text, value] = GetParam();
    EXPECT_EQ(checkFromText(text), value) << '"' << text << '"';
}

const std::pair<const char*, std::optional<int>> kChecks[] = {
    {"1", 1},
    {"0", 0},
    {" 1 ", 1},
    {"7", std::nullopt},
    {"-1", std::nullopt},
    {"", std::nullopt},
    {"True", std::nullopt},
    {"0.5", std::nullopt},
};
INSTANTIATE_TEST_SUITE_P(SavedChoices, CheckText, ::testing::ValuesIn(kChecks), IndexAndText());

}  // namespace
}  // namespace core
