#include "saved_choices.h"

#include <gtest/gtest.h>

#include <optional>
#include <utility>

namespace core {
namespace {

// Saved values are read as the window has always read them, and what cannot be read is none:
// more spellings than the window's own tests write into its file.
TEST(SavedChoices, BooleansAndTheCheckBoxAreReadOrRefused) {
    const std::pair<const char*, std::optional<bool>> booleans[] = {
        {"True", true}, {" FALSE ", false},   {"2.5", true},         {"+0", false},
        {"-1", true},   {"1x", std::nullopt}, {"nan", std::nullopt}, {"maybe", std::nullopt}};
    for (const auto& [text, value] : booleans) {
        EXPECT_EQ(booleanFromText(text), value) << '"' << text << '"';
    }
    const std::pair<const char*, std::optional<int>> checks[] = {
        {" 1 ", 1}, {"0", 0}, {"-1", std::nullopt}, {"True", std::nullopt}, {"0.5", std::nullopt}};
    for (const auto& [text, value] : checks) {
        EXPECT_EQ(checkFromText(text), value) << '"' << text << '"';
    }
}

}  // namespace
}  // namespace core
