#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Key names and value texts of the saved choices. Every value is text: options "True" or
// "False", the check box "1" or "0", the floor area as typed.
namespace core {

constexpr std::string_view kSettingsApplication = "narwe";
constexpr std::string_view kSettingsSection = "tool\\torva";
constexpr std::string_view kAreaKey = "tx";
constexpr std::string_view kCheckKey = "check";

// "op" followed by the index for `Op`(i), by 10 + i for `Op1`(i).
[[nodiscard]] std::string opKey(std::int16_t index);
[[nodiscard]] std::string op1Key(std::int16_t index);

[[nodiscard]] std::string booleanText(bool value);
// "True" and "False" in any letter case, or a number (zero is false, any other true). Empty:
// the text cannot be read as a Boolean.
[[nodiscard]] std::optional<bool> booleanFromText(std::string_view text);
// The check box value, 0 or 1; empty for anything else.
[[nodiscard]] std::optional<int> checkFromText(std::string_view text);

}  // namespace core
