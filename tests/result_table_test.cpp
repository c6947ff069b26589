// The result as the grid shows it: the calculation drawn into a grid store, cell by cell.
#include "result_table.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "unit_choice.h"

namespace ui {
namespace {

using Texts = std::vector<std::string>;
using namespace tests;

class ResultTableTest : public ::testing::Test {
  protected:
    // Chooses as the window would and draws the result.
    void show(const UnitChoice& choice) { drawResult(core::calculate(choice.choices()), fa); }

    [[nodiscard]] Texts column(int col) const {
        Texts texts;
        for (int r = kFirstModelRow; r <= kLastModelRow; ++r) {
            if (!fa.rowHidden(r)) {
                texts.push_back(fa.TextMatrix(r, col));
            }
        }
        return texts;
    }

    [[nodiscard]] std::vector<int> lightRedRows() const {
        std::vector<int> rows;
        for (int r = kFirstModelRow; r <= kLastModelRow; ++r) {
            if (fa.cell(r, kChargeCol).backColor == kLightRed) {
                rows.push_back(r);
            }
        }
        return rows;
    }

    grid::GridStore fa{kGridRows, kGridCols};
};

// Class B over the grid as the window loads it (that each event is one change of the store, the
// window's tests count).
TEST_F(ResultTableTest, ClassBFromTheFirstStart) {
    setLoadedGridLayout(fa);
    show({B, Medium, K09, kAbove, kAbc, "1000"});
    EXPECT_EQ(fa.TextMatrix(0, kRatingCol), "灭火级别 (B类 )");
    EXPECT_EQ(lightRedRows(), (std::vector<int>{4, 5, 6, 7, 8, 9, 10, 11, 12}));
    EXPECT_EQ(column(kAreaRatingCol), Texts(12, "900(900)"));
    EXPECT_EQ(column(kCountCol), (Texts{"42.857", "42.857", "26.471", "16.364", "10.112", "10.112",
                                        "6.25", "6.25", "4.918", "3.03", "3.03", "3.03"}));
    for (int r = 0; r <= kLastModelRow; ++r) {
        for (int c = 0; c < kGridCols; ++c) {
            EXPECT_EQ(fa.cell(r, c).alignment, grid::Alignment::CenterCenter) << r << "," << c;
        }
    }
    EXPECT_FALSE(fa.cell(1, kMountCol).backColor.has_value()) << "the label column keeps its own";
    EXPECT_TRUE(fa.mergeCol(kMountCol) && fa.mergeRow(kLastModelRow));
}

struct WorkedExample {
    const char* name;
    tests::UnitChoice choice;
    const char* areaRating;
    std::map<std::string, std::string> counts;  // rating text -> count text
};

class WorkedExampleTest : public ResultTableTest,
                          public ::testing::WithParamInterface<WorkedExample> {};

TEST_P(WorkedExampleTest, GivesTheExactTexts) {
    const WorkedExample& c = GetParam();
    show(c.choice);
    const Texts ratings = column(kRatingCol);
    const Texts counts = column(kCountCol);
    EXPECT_EQ(column(kAreaRatingCol), Texts(ratings.size(), c.areaRating));
    std::map<std::string, std::string> countOf;
    for (std::size_t i = 0; i < ratings.size(); ++i) {
        countOf[ratings[i]] = counts[i];
    }
    for (const auto& [ratingText, count] : c.counts) {
        EXPECT_EQ(countOf.at(ratingText), count) << ratingText;
    }
}

// clang-format off
const WorkedExample kWorkedExamples[] = {
    {"A_light_K1_0", {A, Light, K10, kAbove, kAbc, "1000"}, "10(10)", {{"1A", "10"}, {"2A", "5"}, {"3A", "3.333"}, {"4A", "2.5"}, {"6A", "1.667"}, {"8A", "1.25"}, {"10A", "1"}}},
    {"halon", {A, Light, K10, kAbove, Agent::Halon1211, "1000"}, "10(10)", {{"0.5A", "20"}, {"-", "-"}}},
    {"B_medium_fun_150", {B, Medium, K09, kFun, kAbc, "150"}, "176(175.5)", {{"21B", "8.381"}, {"34B", "5.176"}, {"55B", "3.2"}, {"89B", "1.978"}, {"144B", "1.222"}, {"183B", "0.962"}, {"297B", "0.593"}}},
    {"B_medium_foam", {B, Medium, K09, kFun, Agent::Foam, "150"}, "176(175.5)", {{"113B", "1.558"}, {"233B", "0.755"}}},
    {"A_serious_13", {A, Serious, K05, kAbove, kAbc, "13"}, "1(.13)", {{"1A", "1"}, {"2A", "0.5"}, {"3A", "0.333"}}},
    {"A_medium_fun_2000", {A, Medium, K07, kFun, kAbc, "2000"}, "25(24.267)", {{"1A", "25"}, {"2A", "12.5"}, {"3A", "8.333"}, {"4A", "6.25"}, {"6A", "4.167"}}},
    {"first_start", {A, Medium, K09, kAbove, kAbc, "1000"}, "12(12)", {{"1A", "12"}, {"2A", "6"}, {"3A", "4"}, {"4A", "3"}, {"6A", "2"}, {"8A", "1.5"}, {"10A", "1.2"}}},
    {"a_hair_above_7", {A, Light, K07, kAbove, kAbc, "1000"}, "7(7)", {{"1A", "7"}}},
    {"1000_04", {A, Light, K10, kAbove, kAbc, "1000.04"}, "10(10)", {{"1A", "10"}}},
    {"1000_06", {A, Light, K10, kAbove, kAbc, "1000.06"}, "11(10.001)", {{"1A", "11"}}},
    {"half_to_even", {B, Light, K10, kAbove, Agent::SodiumBicarbonatePowder, "13.5"}, "9(9)", {{"144B", "0.062"}}},
    {"empty_area", {B, Light, K10, kAbove, Agent::Water, ""}, "0(0)", {{"55B", "0"}, {"-", "-"}}},
    {"N_above_2_24", {B, Medium, K10, kAbove, kAbc, "123456789"}, "1.234568E+08(123456792)", {{"21B", "5878895.238"}}},
    {"class_C_like_B", {C, Medium, K09, kFun, kAbc, "150"}, "176(175.5)", {{"21B", "8.381"}}},
    {"negative", {A, Light, K10, kAbove, kAbc, "-0.001"}, "面积不能为负数", {{"1A", ""}}},
    {"S_beyond_single", {A, Light, K10, kAbove, kAbc, "1E39"}, "面积数值超出计算范围", {{"1A", ""}}},
    {"N_beyond_32_bits", {A, Light, K10, kAbove, kAbc, "1E12"}, "面积数值超出计算范围", {{"1A", ""}}},
    {"beyond_double", {A, Light, K10, kAbove, kAbc, "-1E400"}, "面积数值超出计算范围", {{"1A", ""}}},
};
// clang-format on
INSTANTIATE_TEST_SUITE_P(ResultTableTest, WorkedExampleTest, ::testing::ValuesIn(kWorkedExamples),
                         [](const auto& p) { return std::string(p.param.name); });

TEST_F(ResultTableTest, RowsAfterTheAgentsModelsAreHiddenAndEmpty) {
    show({B, Serious, K09, kAbove, Agent::Water, "1000"});
    EXPECT_EQ(column(kCodeCol).size(), 7U);
    EXPECT_EQ(lightRedRows(), (std::vector<int>{3}));
    EXPECT_EQ(column(kCountCol)[3], "-");
    for (int r = 8; r <= kLastModelRow; ++r) {
        EXPECT_TRUE(fa.rowHidden(r) && fa.cell(r, kChargeCol).backColor == kGrey) << r;
        EXPECT_EQ(fa.TextMatrix(r, kCodeCol) + fa.TextMatrix(r, kCountCol), "") << r;
    }

    // Carbon dioxide has no class-A ratings: its rows read "-", stay grey and count nothing.
    show({A, Light, K09, kAbove, Agent::CarbonDioxide, "1000"});
    EXPECT_EQ(column(kRatingCol), Texts(8, "-"));
    EXPECT_EQ(column(kCountCol), Texts(8, "-"));
    EXPECT_TRUE(lightRedRows().empty());
}

}  // namespace
}  // namespace ui
