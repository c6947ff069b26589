// The required ratings computed from the area's decimal digits: rounding up with no tolerance,
// and the sheet's statement of a ratio that never contradicts its rounding.
#include "exact_decimal.h"

#include <gtest/gtest.h>

#include <string>

#include "setting_points.h"

namespace {

using core::Building;
using core::Factor;
using core::FireClass;
using core::Hazard;

struct RatingCase {
    const char* name;
    FireClass fireClass;
    Hazard hazard;
    Factor factor;
    Building building;
    const char* area;      // as typed
    std::int64_t q;        // Q rounded up
    const char* qText;     // K·S/U as the sheet states it; null: not checked
    std::int64_t perUnit;  // S/U rounded up
};

const RatingCase kRatings[] = {
    // 0.9 × 1.3 × 7264.957265 / 100 = 85.0000000005: a fraction of a billionth still rounds up.
    {"A_light_fun_85_0000000005", FireClass::A, Hazard::Light, Factor::K09,
     Building::EntertainmentOrUnderground, "7264.957265", 86, "= 85.0000000005", 73},
    {"A_light_fun_51_00000000003", FireClass::A, Hazard::Light, Factor::K09,
     Building::EntertainmentOrUnderground, "4358.974359", 52, "= 51.0000000003", 44},
    {"whole_stays_whole", FireClass::A, Hazard::Medium, Factor::K09, Building::AboveGround, "1500",
     18, "= 18", 20},
    {"just_above_20", FireClass::A, Hazard::Medium, Factor::K10, Building::AboveGround,
     "1500.00001", 21, "≈ 20.0000001", 21},
    {"thirds", FireClass::A, Hazard::Medium, Factor::K09, Building::AboveGround, "1111", 14,
     "= 13.332", 15},
    {"nine_decimals_of_a_large_area", FireClass::B, Hazard::Serious, Factor::K05,
     Building::AboveGround, "9999999.123456789", 10000000, "= 9999999.123456789", 19999999},
    {"small_area_exact", FireClass::A, Hazard::Light, Factor::K03, Building::AboveGround, "1e-7", 1,
     "= 0.0000000003", 1},
    {"tiny_area_needs_one", FireClass::A, Hazard::Light, Factor::K03, Building::AboveGround,
     "1e-40", 1, nullptr, 1},
    {"thirds_approximate", FireClass::B, Hazard::Light, Factor::K10, Building::AboveGround, "1", 1,
     "≈ 0.667", 1},
    {"zero_needs_nothing", FireClass::A, Hazard::Light, Factor::K03, Building::AboveGround, "0", 0,
     "= 0", 0},
};

class RequiredRating : public ::testing::TestWithParam<RatingCase> {};

TEST_P(RequiredRating, IsRoundedUpFromTheTypedDigits) {
    const RatingCase& c = GetParam();
    core::Choices choices{
        c.fireClass,      c.hazard, c.factor, c.building, core::Agent::AmmoniumPhosphatePowder,
        std::stod(c.area)};
    const auto typed = core::decimalFromText(c.area);
    ASSERT_TRUE(typed);
    const auto unit = core::conditionsOf(choices, typed);
    ASSERT_TRUE(unit);
    EXPECT_EQ(unit->required.whole, c.q);
    if (c.qText != nullptr) {
        EXPECT_EQ(core::ratioText(unit->required.exactRatio), c.qText);
    }
    EXPECT_EQ(unit->required.perUnitAreaWhole, c.perUnit);
}

INSTANTIATE_TEST_SUITE_P(Exact, RequiredRating, ::testing::ValuesIn(kRatings),
                         [](const auto& p) { return std::string(p.param.name); });

// A stored area reads as the shortest decimal that gives its double back, so that a project's
// unit is rounded as the same area typed in the calculator.
TEST(RequiredRating, OfAStoredAreaIsThatOfItsShortestDecimal) {
    core::Choices choices{FireClass::A,
                          Hazard::Light,
                          Factor::K09,
                          Building::EntertainmentOrUnderground,
                          core::Agent::AmmoniumPhosphatePowder,
                          7264.957265};
    EXPECT_EQ(core::requirement(choices).whole, 86);
    EXPECT_EQ(core::decimalNumberText(core::decimalOf(0.30000000000000004)), "0.30000000000000004");
    EXPECT_EQ(core::decimalNumberText(core::decimalOf(1e7)), "10000000");
}

struct TextCase {
    const char* name;
    const char* text;
    const char* digits;  // decimalNumberText, or "" when refused
};

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
    const TextCase& c = GetParam();
    const auto read = core::decimalFromText(c.text);
    EXPECT_EQ(read ? core::decimalNumberText(*read) : std::string(), c.digits);
}

INSTANTIATE_TEST_SUITE_P(Exact, DecimalText, ::testing::ValuesIn(kTexts),
                         [](const auto& p) { return std::string(p.param.name); });

}  // namespace
