#include "saved_choices.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>

namespace core {

std::string opKey(std::int16_t index) {
    return "op" + std::to_string(index);
}
std::string op1Key(std::int16_t index) {
    return "op" + std::to_string(10 + index);
}

std::string booleanText(bool value) {
    return value ? "True" : "False";
}

namespace {

std::string_view trimmed(std::string_view text) {
    const auto isSpace = [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; };
    while (!text.empty() && isSpace(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isSpace(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

// The whole text as a decimal number, or empty.
std::optional<double> wholeNumber(std::string_view text) {
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
    }
    double value = 0;
    const auto [end, ec] =
        std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::general);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size() ||
        !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

}  // namespace

std::optional<bool> booleanFromText(std::string_view text) {
    text = trimmed(text);
    if (equalsIgnoringCase(text, "True")) {
        return true;
    }
    if (equalsIgnoringCase(text, "False")) {
        return false;
    }
    if (const auto number = wholeNumber(text)) {
        return *number != 0;
    }
    return std::nullopt;
}

std::optional<int> checkFromText(std::string_view text) {
    const auto number = wholeNumber(trimmed(text));
    if (number && (*number == 0 || *number == 1)) {
        return static_cast<int>(*number);
    }
    return std::nullopt;
}

}  // namespace core
