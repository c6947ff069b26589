#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// Conversions between the grid's cell texts and numbers. The calculation reads the floor area,
// the model ratings ("55B", "0.5A") and its own area-rating text with leadingNumber, and every
// number it shows passes through the text forms below, so these rules fix the exact cell texts.
namespace core {

// The number at the start of a text: optional sign, digits with at most one ".", optional
// exponent ("E" or "e", optional sign, digits). Blanks, tabs and line feeds are skipped wherever
// they stand before the end of the number ("1 000" is 1000); reading stops at the first character
// that cannot continue it ("55B" is 55, "1,000" is 1). A text that does not start with a number
// reads as 0 ("", "-", "abc", "&H10"). Empty result: the number lies beyond the double range.
[[nodiscard]] std::optional<double> leadingNumber(std::string_view text);

// The leading number and how far it reaches: `length` is the length of the part of the text it
// was read from (blanks inside included), 0 when the text does not start with a number.
struct LeadingNumber {
    std::optional<double> value;
    std::size_t length = 0;
};
[[nodiscard]] LeadingNumber readLeadingNumber(std::string_view text);

// Rounds to three decimals, an exact half going to the even neighbour: 0.0625 gives 0.062.
[[nodiscard]] double round3(double x);

// Plain text of a double (15 significant digits) or a single (7): no trailing zeros, no zero
// before the decimal point below 1 (".13", "-.5"), exponent form from 1E+15 (double) or 1E+07
// (single) upwards ("1.234568E+08"), and below 0.001 ("1E-04").
[[nodiscard]] std::string plainText(double x);
[[nodiscard]] std::string plainText(float x);

// The count text: the plain text with the zero before the decimal point put back for magnitudes
// below 1 ("0.364", "-0.333").
[[nodiscard]] std::string zf(double x);

}  // namespace core

namespace core {

// The sheet's number text: plain decimal, no exponent, no trailing zeros, the zero before the
// point kept ("0.5", "1000.04", "18"). As many decimals up to six as give the value exactly
// (within binary noise: "5.0004"); else three, or as many more up to six as it takes not to look
// whole ("20.001", "18.0005"). A value that is not whole never reads as whole.
struct DecimalForm {
    std::string text;
    bool exact = true;  // the text is the value, not a rounding of it
};
[[nodiscard]] DecimalForm decimalForm(double x);
[[nodiscard]] std::string decimalText(double x);

// A computed value as the sheet states it after its formula: "= 18", "= 5.0004", "≈ 20.001".
[[nodiscard]] std::string resultText(double x);

}  // namespace core
