// The required ratings computed from the area's decimal digits: rounding up with no tolerance,
// and the sheet's statement of a ratio that never contradicts its rounding.
#include "exact_decimal.h"

#include <gtest/gtest.h>

#include <string>

#include "setting_points.h"

namespace {

using enum core::FireClass;
using enum core::Hazard;
using enum core::Factor;
using enum core::Building;

struct RatingCase {
    const char* name;
    core::Choices choices;  // the area as typed below
    const char* area;
    std::int64_t q;        // Q rounded up
    const char* qText;     // K·S/U as the sheet states it
    std::int64_t perUnit;  // S/U rounded up
};

constexpr core::Choices choices(core::FireClass fireClass, core::Hazard hazard, core::Factor factor,
                                core::Building building = AboveGround, double area = 0) {
    return {fireClass, hazard, factor, building, core::Agent::AmmoniumPhosphatePowder, area};
}

const RatingCase kRatings[] = {
    // 0.9 × 1.3 × 7264.957265 / 100 = 85.0000000005: a fraction of a billionth still rounds up.
    {"A_light_fun_85_0000000005", choices(A, Light, K09, EntertainmentOrUnderground), "7264.957265",
     86, "= 85.0000000005", 73},
    {"whole_stays_whole", choices(A, Medium, K09), "1500", 18, "= 18", 20},
    {"just_above_20", choices(A, Medium, K10), "1500.00001", 21, "≈ 20.0000001", 21},
    {"thirds", choices(A, Medium, K09), "1111", 14, "= 13.332", 15},
    {"nine_decimals_of_a_large_area", choices(B, Serious, K05), "9999999.123456789", 10000000,
     "= 9999999.123456789", 19999999},
    {"small_area_exact", choices(A, Light, K03), "1e-7", 1, "= 0.0000000003", 1},
    {"tiny_area_needs_one", choices(A, Light, K03), "1e-40", 1,
     "≈ 0.000000000000000000000000000000003", 1},
    {"thirds_approximate", choices(B, Light, K10), "1", 1, "≈ 0.667", 1},
    {"zero_needs_nothing", choices(A, Light, K03), "0", 0, "= 0", 0},
    {"fraction_of_a_light_hazard", choices(A, Light, K10), "500.04", 6, "= 5.0004", 6},
    {"above_2pow24", choices(B, Serious, K10), "16777217", 33554434, "= 33554434", 33554434},
};

class RequiredRating : public ::testing::TestWithParam<RatingCase> {};

TEST_P(RequiredRating, IsRoundedUpFromTheTypedDigits) {
    const RatingCase& c = GetParam();
    core::Choices typedChoices = c.choices;
    typedChoices.area = std::stod(c.area);
    const auto unit = core::conditionsOf(typedChoices, core::decimalFromText(c.area));
    ASSERT_TRUE(unit);
    EXPECT_EQ(unit->required.whole, c.q);
    EXPECT_EQ(core::ratioText(unit->required.exactRatio), c.qText);
    EXPECT_EQ(unit->required.perUnitAreaWhole, c.perUnit);
    // The area stored as a double reads as the same digits.
    EXPECT_EQ(core::requirement(typedChoices).whole, c.q);
}

INSTANTIATE_TEST_SUITE_P(Exact, RequiredRating, ::testing::ValuesIn(kRatings),
                         [](const auto& p) { return std::string(p.param.name); });

// A stored area reads as the shortest decimal that gives its double back, so that a project's
// unit is rounded as the same area typed in the calculator.
TEST(RequiredRating, OfAStoredAreaIsThatOfItsShortestDecimal) {
    EXPECT_EQ(core::decimalNumberText(core::decimalOf(0.30000000000000004)), "0.30000000000000004");
    EXPECT_EQ(core::decimalNumberText(core::decimalOf(1e7)), "10000000");
}

// The case, the text, and its digits as decimalNumberText gives them ("": refused).
using TextCase = std::tuple<const char*, const char*, const char*>;

const TextCase kTexts[] = {
    {"plain", "1500", "1500"},
    {"blanks_and_unit", " 1 500.25 m2", "1500.25"},
    {"exponent", "1.5E3", "1500"},
    {"negative_exponent", "15e-4", "0.0015"},
    {"leading_zeros", "000.00120", "0.0012"},
    {"negative_refused", "-1", ""},
    {"negative_zero", "-0", "0"},
    {"not_a_number", "abc", ""},
    {"beyond_any_unit", "1e14", ""},
    // Beyond thirty digits a non-zero tail counts as one more unit of the last kept place.
    {"long_tail", "1.0000000000000000000000000000001", "1.00000000000000000000000000001"},
};

class DecimalText : public ::testing::TestWithParam<TextCase> {};

TEST_P(DecimalText, KeepsTheDigitsAsTyped) {
    const auto& [name, text, digits] = GetParam();
    const auto read = core::decimalFromText(text);
    EXPECT_EQ(read ? core::decimalNumberText(*read) : std::string(), digits);
}

INSTANTIATE_TEST_SUITE_P(Exact, DecimalText, ::testing::ValuesIn(kTexts),
                         [](const auto& p) { return std::string(std::get<0>(p.param)); });

}  // namespace
