#include "saved_choices.h"

#include <gtest/gtest.h>

#include <optional>
#include <utility>

namespace core {
namespace {

// Saved values are read as the window has always read them; what cannot be read is none. (The
// keys are checked in the saved file itself, by the window's tests.)
TEST(SavedChoices, BooleansAndTheCheckBoxAreReadOrRefused) {
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
