#include "number_text.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string>

namespace core {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n';
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Walks the text, skipping blanks, one character of the number at a time.
class Scanner {
  public:
    explicit Scanner(std::string_view text) : text_(text) {}

    [[nodiscard]] char peek() {
        while (pos_ < text_.size() && isBlank(text_[pos_])) {
            ++pos_;
        }
        return pos_ < text_.size() ? text_[pos_] : '\0';
    }
    void advance() { end_ = ++pos_; }
    // Just after the last character taken for the number.
    [[nodiscard]] std::size_t end() const { return end_; }

  private:
    std::string_view text_;
    std::size_t pos_ = 0;
    std::size_t end_ = 0;
};

constexpr long kExponentClamp = 100000;

}  // namespace

std::optional<double> leadingNumber(std::string_view text) {
    return readLeadingNumber(text).value;
}

LeadingNumber readLeadingNumber(std::string_view text) {
    Scanner in(text);
    std::string number;  // the number with blanks removed, in from_chars' syntax
    bool negative = false;
    if (in.peek() == '+' || in.peek() == '-') {
        negative = in.peek() == '-';
        in.advance();
    }
    std::string intDigits;
    std::string fracDigits;
    while (isDigit(in.peek())) {
        intDigits += in.peek();
        in.advance();
    }
    if (in.peek() == '.') {
        in.advance();
        while (isDigit(in.peek())) {
            fracDigits += in.peek();
            in.advance();
        }
    }
    if (intDigits.empty() && fracDigits.empty()) {
        return {0.0, 0};
    }
    long exponent = 0;
    if (in.peek() == 'E' || in.peek() == 'e') {
        in.advance();
        bool negativeExponent = false;
        if (in.peek() == '+' || in.peek() == '-') {
            negativeExponent = in.peek() == '-';
            in.advance();
        }
        while (isDigit(in.peek())) {
            if (exponent < kExponentClamp) {
                exponent = exponent * 10 + (in.peek() - '0');
            }
            in.advance();
        }
        if (negativeExponent) {
            exponent = -exponent;
        }
    }

    number =
        (intDigits.empty() ? "0" : intDigits) + "." + fracDigits + "e" + std::to_string(exponent);
    double value = 0.0;
    const auto result = std::from_chars(number.data(), number.data() + number.size(), value);
    if (result.ec == std::errc::result_out_of_range) {
        // Either too large (an overflow) or too small to represent (reads as 0). The decimal
        // position of the first significant digit tells which.
        const auto firstInt = intDigits.find_first_not_of('0');
        long magnitude = 0;
        if (firstInt != std::string::npos) {
            magnitude = static_cast<long>(intDigits.size() - firstInt) - 1 + exponent;
        } else {
            const auto firstFrac = fracDigits.find_first_not_of('0');
            magnitude = -static_cast<long>(firstFrac) - 1 + exponent;
        }
        if (magnitude > 0) {
            return {std::nullopt, in.end()};
        }
        value = 0.0;
    }
    return {negative ? -value : value, in.end()};
}

double round3(double x) {
    const double scaled = x * 1000.0;
    const double below = std::floor(scaled);
    const double excess = scaled - below;
    double whole = below;
    if (excess > 0.5 || (excess == 0.5 && std::fmod(below, 2.0) != 0.0)) {
        whole = below + 1.0;
    }
    return whole / 1000.0;
}

namespace {

// Writes x with at most `digits` significant digits; exponent form from 10^digits upwards.
template <typename T>
std::string plainTextOf(T x, int digits) {
    if (x == 0 || !std::isfinite(x)) {
        return x == 0 ? "0" : "";
    }
    // Scientific form rounded to the significant digits: "d.ddde+XX".
    char buffer[64];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, x, std::chars_format::scientific, digits - 1);
    const std::string_view sci(buffer, static_cast<std::size_t>(result.ptr - buffer));
    const bool negative = sci.front() == '-';
    const auto ePos = sci.find('e');
    std::string mantissa;  // significant digits without the point
    for (char c : sci.substr(0, ePos)) {
        if (isDigit(c)) {
            mantissa += c;
        }
    }
    const int exponent = std::atoi(std::string(sci.substr(ePos + 1)).c_str());
    while (mantissa.size() > 1 && mantissa.back() == '0') {
        mantissa.pop_back();
    }

    std::string out = negative ? "-" : "";
    if (exponent >= digits || exponent < -3) {
        out += mantissa.substr(0, 1);
        if (mantissa.size() > 1) {
            out += "." + mantissa.substr(1);
        }
        const int absExponent = exponent < 0 ? -exponent : exponent;
        out += exponent < 0 ? "E-" : "E+";
        if (absExponent < 10) {
            out += '0';
        }
        out += std::to_string(absExponent);
    } else if (exponent < 0) {
        out += "." + std::string(static_cast<std::size_t>(-exponent - 1), '0') + mantissa;
    } else {
        const auto intLength = static_cast<std::size_t>(exponent) + 1;
        if (mantissa.size() <= intLength) {
            out += mantissa + std::string(intLength - mantissa.size(), '0');
        } else {
            out += mantissa.substr(0, intLength) + "." + mantissa.substr(intLength);
        }
    }
    return out;
}

}  // namespace

std::string plainText(double x) {
    return plainTextOf(x, 15);
}
std::string plainText(float x) {
    return plainTextOf(x, 7);
}

std::string zf(double x) {
    std::string text = plainText(x);
    // Only a text that starts with its decimal point lost a zero; the exponent form that
    // magnitudes below 0.001 take has none to put back.
    const std::size_t point = text.starts_with('-') ? 1 : 0;
    if (point < text.size() && text[point] == '.') {
        text.insert(point, 1, '0');
    }
    return text;
}

}  // namespace core

namespace core {

namespace {

// x in fixed notation with `decimals` decimals, trailing zeros and a trailing point dropped.
std::string fixedText(double x, int decimals) {
    // Fixed notation of the largest double takes 309 digits before the point.
    std::array<char, 400> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), x,
                                      std::chars_format::fixed, decimals);
    std::string text(buffer.data(), result.ptr);
    if (text.find('.') != std::string::npos) {
        text.erase(text.find_last_not_of('0') + 1);
        if (text.back() == '.') {
            text.pop_back();
        }
    }
    return text == "-0" ? "0" : text;
}

}  // namespace

DecimalForm decimalForm(double x) {
    const double tolerance = 1e-9 + std::fabs(x) * 1e-14;
    double scale = 1;
    for (int decimals = 0; decimals <= 6; ++decimals, scale *= 10) {
        if (std::fabs(x - std::round(x * scale) / scale) <= tolerance) {
            return {fixedText(x, decimals), true};
        }
    }
    std::string text;
    for (int decimals = 3; decimals <= 6; ++decimals) {
        text = fixedText(x, decimals);
        if (text.find('.') != std::string::npos) {
            break;
        }
    }
    return {text, false};
}

std::string decimalText(double x) {
    return decimalForm(x).text;
}

std::string resultText(double x) {
    const DecimalForm form = decimalForm(x);
    return (form.exact ? "= " : "≈ ") + form.text;
}

}  // namespace core
