#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Exact arithmetic on the decimal inputs of a calculation unit: the area as its decimal digits,
// and the ratios that the required ratings are (K·S/U and S/U), held as whole numerator and
// denominator so that rounding up needs no tolerance.
namespace core {

__extension__ using Wide = unsigned __int128;

// A number of at least 0 as its decimal digits: digits / 10^scale. Thirty significant digits
// are kept; a non-zero digit beyond them counts as one more unit of the last kept place, so that
// the value stays above every number it exceeds as far as rounding up can tell.
struct DecimalNumber {
    Wide digits = 0;
    int scale = 0;  // 0 to kMaxScale
};
inline constexpr int kMaxScale = 30;

// The decimal number at the start of a text, read as leadingNumber reads it (sign, digits with
// one ".", exponent; blanks between them skipped). Empty for a negative number and for a text
// that does not start with a number.
[[nodiscard]] std::optional<DecimalNumber> decimalFromText(std::string_view text);
// The shortest decimal that reads back as x (finite, at least 0): what a stored area was typed
// as, as far as the double can tell.
[[nodiscard]] DecimalNumber decimalOf(double x);
// The number as a decimal text: "1500", "7264.957265", "0.001".
[[nodiscard]] std::string decimalNumberText(const DecimalNumber& x);

// numerator / denominator, the denominator above 0.
struct Ratio {
    Wide numerator = 0;
    Wide denominator = 1;
};
// x · multiplier / divisor, exactly (multiplier and divisor below 10^6, divisor above 0).
[[nodiscard]] Ratio scaled(const DecimalNumber& x, std::uint32_t multiplier, std::uint32_t divisor);
[[nodiscard]] std::int64_t ceilOf(const Ratio& r);
[[nodiscard]] bool isWhole(const Ratio& r);
[[nodiscard]] double toDouble(const Ratio& r);
// The ratio as the sheet states it after its formula: "= 18", "= 5.0004" for a value that ends
// within fifteen decimals, else "≈ " and three decimals, or as many more as it takes for the text
// not to read as a whole number ("≈ 13.333", "≈ 20.0000001").
[[nodiscard]] std::string ratioText(const Ratio& r);

}  // namespace core
