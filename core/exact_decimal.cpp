#include "exact_decimal.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <system_error>

#include "number_text.h"

namespace core {

namespace {

constexpr int kMaxDigits = 30;

Wide powerOfTen(int n) {
    Wide p = 1;
    for (int i = 0; i < n; ++i) {
        p *= 10;
    }
    return p;
}

std::string wholeText(Wide x) {
    std::string text;
    do {
        text.push_back(static_cast<char>('0' + static_cast<int>(x % 10)));
        x /= 10;
    } while (x != 0);
    std::reverse(text.begin(), text.end());
    return text;
}

// The denominator of the ratio's fraction part in lowest terms.
Wide reducedDenominator(const Ratio& r) {
    Wide a = r.numerator % r.denominator;
    Wide b = r.denominator;
    while (a != 0) {
        const Wide rest = b % a;
        b = a;
        a = rest;
    }
    return r.denominator / b;
}

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n';
}

// The ratio rounded to `count` decimals, an exact half going up; trailing zeros dropped.
std::string roundedText(const Ratio& r, int count) {
    Wide whole = r.numerator / r.denominator;
    Wide remainder = r.numerator % r.denominator;
    std::string fraction;
    for (int i = 0; i <= count; ++i) {  // one decimal more, for the rounding
        remainder *= 10;
        fraction.push_back(static_cast<char>('0' + static_cast<int>(remainder / r.denominator)));
        remainder %= r.denominator;
    }
    const bool up = fraction.back() >= '5';
    fraction.pop_back();
    if (up) {
        int i = count - 1;
        for (; i >= 0 && fraction[static_cast<std::size_t>(i)] == '9'; --i) {
            fraction[static_cast<std::size_t>(i)] = '0';
        }
        if (i < 0) {
            ++whole;
        } else {
            ++fraction[static_cast<std::size_t>(i)];
        }
    }
    while (!fraction.empty() && fraction.back() == '0') {
        fraction.pop_back();
    }
    return fraction.empty() ? wholeText(whole) : wholeText(whole) + '.' + fraction;
}

}  // namespace

std::optional<DecimalNumber> decimalFromText(std::string_view text) {
    const LeadingNumber read = readLeadingNumber(text);
    if (read.length == 0) {
        return std::nullopt;
    }
    std::string mantissa;  // significant digits, leading zeros dropped
    long long exponent = 0;
    bool negative = false;
    bool point = false;
    bool sticky = false;  // a non-zero digit beyond the kept ones
    std::size_t i = 0;
    const std::string_view number = text.substr(0, read.length);
    for (; i < number.size(); ++i) {
        const char c = number[i];
        if (isBlank(c)) {
            continue;
        }
        if (c == '+' || c == '-') {
            negative = c == '-';
            continue;
        }
        if (c == '.') {
            point = true;
            continue;
        }
        if (c == 'e' || c == 'E') {
            break;
        }
        if (mantissa.empty() && c == '0') {
            exponent -= point ? 1 : 0;
            continue;
        }
        if (static_cast<int>(mantissa.size()) < kMaxDigits) {
            mantissa.push_back(c);
            exponent -= point ? 1 : 0;
        } else {
            sticky = sticky || c != '0';
            exponent += point ? 0 : 1;
        }
    }
    long long written = 0;  // the exponent as written after "E"
    bool writtenNegative = false;
    for (++i; i < number.size(); ++i) {
        const char c = number[i];
        if (c == '-' || c == '+') {
            writtenNegative = c == '-';
        } else if (c >= '0' && c <= '9') {
            written = std::min<long long>(written * 10 + (c - '0'), 100000);
        }
    }
    if (mantissa.empty() && !sticky) {
        return DecimalNumber{};  // zero, whatever its sign
    }
    if (negative) {
        return std::nullopt;
    }
    exponent += writtenNegative ? -written : written;
    DecimalNumber x;
    for (const char c : mantissa) {
        x.digits = x.digits * 10 + static_cast<unsigned>(c - '0');
    }
    if (exponent >= 0) {
        // Beyond 10^13 the area lies far outside what a unit can have.
        if (static_cast<long long>(mantissa.size()) + exponent > 13) {
            return std::nullopt;
        }
        x.digits *= powerOfTen(static_cast<int>(exponent));
    } else if (-exponent <= kMaxScale) {
        x.scale = static_cast<int>(-exponent);
    } else {
        const long long drop = -exponent - kMaxScale;
        const Wide divisor = drop > 38 ? 0 : powerOfTen(static_cast<int>(drop));
        sticky = sticky || divisor == 0 || x.digits % divisor != 0;
        x.digits = divisor == 0 ? 0 : x.digits / divisor;
        x.scale = kMaxScale;
    }
    if (sticky) {
        ++x.digits;
    }
    return x;
}

DecimalNumber decimalOf(double x) {
    char text[64];
    const auto written = std::to_chars(std::begin(text), std::end(text), x);
    if (written.ec != std::errc() || !(x >= 0)) {
        return {};
    }
    return decimalFromText(std::string_view(text, static_cast<std::size_t>(written.ptr - text)))
        .value_or(DecimalNumber{});
}

std::string decimalNumberText(const DecimalNumber& x) {
    const Wide unit = powerOfTen(x.scale);
    std::string text = wholeText(x.digits / unit);
    if (x.scale > 0 && x.digits % unit != 0) {
        std::string fraction = wholeText(x.digits % unit);
        fraction.insert(0, static_cast<std::size_t>(x.scale) - fraction.size(), '0');
        while (fraction.back() == '0') {
            fraction.pop_back();
        }
        text += '.' + fraction;
    }
    return text;
}

Ratio scaled(const DecimalNumber& x, std::uint32_t multiplier, std::uint32_t divisor) {
    return {x.digits * multiplier, Wide{divisor} * powerOfTen(x.scale)};
}

std::int64_t ceilOf(const Ratio& r) {
    const Wide whole = r.numerator / r.denominator + (r.numerator % r.denominator != 0 ? 1 : 0);
    constexpr auto kLargest = static_cast<Wide>(std::numeric_limits<std::int64_t>::max());
    return static_cast<std::int64_t>(std::min(whole, kLargest));
}

bool isWhole(const Ratio& r) {
    return r.numerator % r.denominator == 0;
}

double toDouble(const Ratio& r) {
    return static_cast<double>(r.numerator) / static_cast<double>(r.denominator);
}

std::string ratioText(const Ratio& r) {
    constexpr int kExactDecimals = 15;
    if (isWhole(r)) {
        return "= " + wholeText(r.numerator / r.denominator);
    }
    // A fraction ends within fifteen decimals when its reduced denominator divides 10^15.
    constexpr Wide kExactScale = 1000000000000000;
    const Wide reduced = reducedDenominator(r);
    if (reduced <= kExactScale && kExactScale % reduced == 0) {
        return "= " + roundedText(r, kExactDecimals);
    }
    // A denominator below 10^39 shows a non-zero decimal within 39 places.
    std::string text;
    for (int count = 3; count <= 40; ++count) {
        text = roundedText(r, count);
        if (text.find('.') != std::string::npos) {
            break;
        }
    }
    return "≈ " + text;
}

}  // namespace core
