#include "calculator.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace core {
namespace {

using Texts = std::vector<std::string>;

class CalculatorTest : public ::testing::Test {
  protected:
    CalculatorTest() {
        writeHeadings(fa);
        setLoadedGridLayout(fa);
        calc.Op_Click(op::kAboveGround);
    }

    // Texts of a column's visible model rows.
    [[nodiscard]] Texts column(int col) const {
        Texts texts;
        for (int r = kFirstModelRow; r <= kLastModelRow; ++r) {
            if (!fa.rowHidden(r)) {
                texts.push_back(fa.TextMatrix(r, col));
            }
        }
        return texts;
    }

    // Rows 1 to 12 whose back colour is light red.
    [[nodiscard]] std::vector<int> lightRedRows() const {
        std::vector<int> rows;
        for (int r = kFirstModelRow; r <= kLastModelRow; ++r) {
            if (fa.cell(r, 1).backColor == kLightRed) {
                rows.push_back(r);
            }
        }
        return rows;
    }

    void expectAreaRating(const std::string& text) const {
        for (int r = kFirstModelRow; r <= kLastModelRow; ++r) {
            EXPECT_EQ(fa.TextMatrix(r, kAreaRatingCol), text) << "row " << r;
        }
    }

    [[nodiscard]] Texts snapshot() const {
        Texts all;
        for (int r = 0; r < kGridRows; ++r) {
            for (int c = 0; c < kGridCols; ++c) {
                all.push_back(fa.TextMatrix(r, c) + "|" +
                              std::to_string(fa.cell(r, c).backColor.value_or(1U)) +
                              (fa.rowHidden(r) ? "|h" : ""));
            }
        }
        return all;
    }

    Selection sel;
    grid::GridStore fa{kGridRows, kGridCols};
    Calculator calc{sel, fa};
};

TEST_F(CalculatorTest, RoadOfOneEventClassBFromTheFirstStart) {
    sel.Op1.select(op1::kClassB);

    EXPECT_TRUE(sel.Op.enabled(op::kCarbonDioxide) && sel.Op.enabled(op::kSodiumPowder));
    EXPECT_EQ(fa.TextMatrix(0, kRatingCol), "灭火级别 (B类 )");
    EXPECT_EQ(column(2),
              (Texts{"MF/ABC1", "MF/ABC2", "MF/ABC3", "MF/ABC4", "MF/ABC5", "MF/ABC6", "MF/ABC8",
                     "MF/ABC10", "MFT/ABC20", "MFT/ABC50", "MFT/ABC100", "MFT/ABC125"}));
    EXPECT_EQ(column(kRatingCol), (Texts{"21B", "21B", "34B", "55B", "89B", "89B", "144B", "144B",
                                         "183B", "297B", "297B", "297B"}));
    EXPECT_EQ(lightRedRows(), (std::vector<int>{4, 5, 6, 7, 8, 9, 10, 11, 12}));
    for (int r = 1; r <= 12; ++r) {
        for (int c = 0; c <= 5; ++c) {
            EXPECT_EQ(fa.cell(r, c).alignment, grid::Alignment::CenterCenter);
            EXPECT_EQ(fa.cell(r, c).backColor, c == 0   ? std::nullopt
                                               : r >= 4 ? std::optional(kLightRed)
                                                        : std::optional(kGrey));
        }
    }
    expectAreaRating("900(900)");
    EXPECT_EQ(column(kCountCol), (Texts{"42.857", "42.857", "26.471", "16.364", "10.112", "10.112",
                                        "6.25", "6.25", "4.918", "3.03", "3.03", "3.03"}));
    EXPECT_TRUE(fa.mergeCol(0) && fa.mergeRow(12));
}

struct CalcCase {
    const char* name;
    std::int16_t fireClass, hazard, factor, building, agent;
    const char* area;
    const char* areaRating;
    std::map<std::string, std::string> counts;  // rating text -> count text
};

TEST_F(CalculatorTest, WorkedExamplesGiveTheExactTexts) {
    const CalcCase cases[] = {
        {"A light K1.0 1000",
         0,
         3,
         6,
         7,
         4,
         "1000",
         "10(10)",
         {{"1A", "10"},
          {"2A", "5"},
          {"3A", "3.333"},
          {"4A", "2.5"},
          {"6A", "1.667"},
          {"8A", "1.25"},
          {"10A", "1"}}},
        {"A light K1.0 halon", 0, 3, 6, 7, 5, "1000", "10(10)", {{"0.5A", "20"}, {"-", "-"}}},
        {"B medium K0.9 entertainment 150",
         1,
         4,
         7,
         6,
         4,
         "150",
         "176(175.5)",
         {{"21B", "8.381"},
          {"34B", "5.176"},
          {"55B", "3.2"},
          {"89B", "1.978"},
          {"144B", "1.222"},
          {"183B", "0.962"},
          {"297B", "0.593"}}},
        {"B medium foam",
         1,
         4,
         7,
         6,
         3,
         "150",
         "176(175.5)",
         {{"113B", "1.558"}, {"233B", "0.755"}}},
        {"A serious K0.5 13",
         0,
         5,
         9,
         7,
         4,
         "13",
         "1(.13)",
         {{"1A", "1"}, {"2A", "0.5"}, {"3A", "0.333"}}},
        {"A medium K0.7 entertainment 2000",
         0,
         4,
         8,
         6,
         4,
         "2000",
         "25(24.267)",
         {{"1A", "25"}, {"2A", "12.5"}, {"3A", "8.333"}, {"4A", "6.25"}, {"6A", "4.167"}}},
        {"first start",
         0,
         4,
         7,
         7,
         4,
         "1000",
         "12(12)",
         {{"1A", "12"},
          {"2A", "6"},
          {"3A", "4"},
          {"4A", "3"},
          {"6A", "2"},
          {"8A", "1.5"},
          {"10A", "1.2"}}},
        {"first start, entertainment", 0, 4, 7, 6, 4, "1000", "16(15.6)", {{"1A", "16"}}},
        {"7 a hair above 7", 0, 3, 8, 7, 4, "1000", "7(7)", {{"1A", "7"}}},
        {"1000.04", 0, 3, 6, 7, 4, "1000.04", "10(10)", {{"1A", "10"}}},
        {"1000.06", 0, 3, 6, 7, 4, "1000.06", "11(10.001)", {{"1A", "11"}}},
        {"half to even", 1, 3, 6, 7, 2, "13.5", "9(9)", {{"144B", "0.062"}}},
        {"empty area", 1, 3, 6, 7, 1, "", "0(0)", {{"55B", "0"}, {"-", "-"}}},
        {"letters", 0, 3, 6, 7, 5, "abc", "0(0)", {{"1A", "0"}, {"-", "-"}}},
        {"unit typed after", 0, 3, 6, 7, 4, "1000m2", "10(10)", {{"1A", "10"}}},
        {"comma stops the number",
         0,
         3,
         6,
         7,
         4,
         "1,000",
         "1(.01)",
         {{"1A", "1"}, {"2A", "0.5"}, {"3A", "0.333"}}},
        {"hexadecimal reads 0", 0, 3, 6, 7, 4, "&H10", "0(0)", {{"1A", "0"}}},
        {"single-precision N",
         1,
         4,
         6,
         7,
         4,
         "123456789",
         "1.234568E+08(123456792)",
         {{"21B", "5878895.238"}}},
        {"class C like B", 2, 4, 7, 6, 4, "150", "176(175.5)", {{"21B", "8.381"}}},
        {"class E like B", 11, 4, 7, 6, 4, "150", "176(175.5)", {{"21B", "8.381"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        sel.tx = c.area;
        sel.Op1.select(c.fireClass);
        sel.Op.select(c.agent);
        sel.Op.select(c.building);
        sel.Op1.select(c.factor);
        sel.Op1.select(c.hazard);
        expectAreaRating(c.areaRating);
        std::map<std::string, std::string> counts;
        for (int r = kFirstModelRow; r <= kLastModelRow; ++r) {
            if (!fa.rowHidden(r)) {
                counts[fa.TextMatrix(r, kRatingCol)] = fa.TextMatrix(r, kCountCol);
            }
        }
        for (const auto& [ratingText, count] : c.counts) {
            EXPECT_EQ(counts[ratingText], count) << ratingText;
        }
    }
}

TEST_F(CalculatorTest, AreasWithoutACountSayWhy) {
    const std::pair<const char*, std::string_view> cases[] = {
        {"-100", kAreaNegative},   {"-0.001", kAreaNegative},  {"1E12", kAreaOutOfRange},
        {"1E39", kAreaOutOfRange}, {"1E400", kAreaOutOfRange}, {"-1E400", kAreaOutOfRange},
    };
    for (const auto& [area, message] : cases) {
        sel.tx = area;
        calc.tx_LostFocus();
        for (int r = kFirstModelRow; r <= kLastModelRow; ++r) {
            EXPECT_EQ(fa.TextMatrix(r, kCountCol), "") << area;
            EXPECT_EQ(fa.TextMatrix(r, kAreaRatingCol), message) << area;
        }
    }
}

TEST_F(CalculatorTest, TableFollowsAgentFireClassAndHazard) {
    sel.Op1.select(op1::kClassB);
    sel.Op.select(op::kCarbonDioxide);
    EXPECT_EQ(column(1),
              (Texts{"2千克", "3千克", "5千克", "7千克", "10千克", "20千克", "30千克", "50千克"}));
    EXPECT_EQ(column(0), (Texts{"手提式", "手提式", "手提式", "手提式", "推车式", "推车式",
                                "推车式", "推车式"}));
    EXPECT_EQ(lightRedRows(), (std::vector<int>{4, 5, 6, 7, 8}));

    // Water has seven models: rows 8 to 12 hide but keep the powder's texts, still counted.
    sel.Op.select(op::kWater);
    sel.Op1.select(op1::kSerious);
    EXPECT_EQ(column(2).size(), 7U);
    EXPECT_EQ(lightRedRows(), (std::vector<int>{3}));
    EXPECT_EQ(column(kCountCol)[3], "-");
    EXPECT_EQ(fa.TextMatrix(12, 2), "MFT/ABC125");
    EXPECT_EQ(fa.TextMatrix(12, kCountCol), "6.061");  // 1800 / 297
    EXPECT_EQ(fa.cell(12, 1).backColor, kGrey);

    sel.Op.select(op::kHalon);
    sel.Op1.select(op1::kClassA);
    EXPECT_EQ(column(kRatingCol), (Texts{"-", "0.5A", "0.5A", "1A", "1A", "-", "-", "-", "-"}));
    EXPECT_TRUE(lightRedRows().empty()) << "halon class A has no band at serious hazard";
    sel.Op1.select(op1::kLight);
    EXPECT_EQ(lightRedRows(), (std::vector<int>{4, 5}));
}

TEST_F(CalculatorTest, CarbonDioxideUnderClassAShowsNoRatings) {
    sel.Op.setClickHandler(nullptr);  // class A would otherwise move the choice away
    sel.Op.select(op::kCarbonDioxide);
    calc.Op_Click(op::kCarbonDioxide);
    EXPECT_EQ(column(kRatingCol), Texts(8, "-"));
    EXPECT_EQ(column(kCountCol), Texts(8, "-"));
    EXPECT_TRUE(lightRedRows().empty());
}

TEST_F(CalculatorTest, HandlersThatFindNoChoiceChangeNothing) {
    // A lost focus of a button that is not selected keeps the selected agent's table.
    const auto before = snapshot();
    for (std::int16_t i = 0; i <= 7; ++i) {
        if (!sel.Op.selected(i)) {
            calc.Op_LostFocus(i);
            EXPECT_EQ(snapshot(), before) << "index " << i;
        }
    }
    // No agent selected: a building click only sets the merge flags.
    sel.Op.setValue(op::kPhosphatePowder, false);
    fa.setMergeCol(-1, false);
    sel.Op.select(op::kEntertainment);
    EXPECT_EQ(snapshot(), before);
    EXPECT_TRUE(fa.mergeCol(3));
    // No fire class selected: hazard and K clicks change nothing.
    sel.Op.select(op::kFoam);
    const auto foam = snapshot();
    sel.Op1.setValue(op1::kClassA, false);
    sel.Op1.select(op1::kSerious);
    sel.Op1.select(op1::kFactor10);
    EXPECT_EQ(snapshot(), foam);
    // No option of the array selected at all: index 0 matches carbon dioxide.
    sel.Op.setValue(op::kFoam, false);
    sel.Op.setValue(op::kEntertainment, false);
    calc.Op_Click(op::kCarbonDioxide);
    EXPECT_EQ(fa.TextMatrix(1, 2), "MT2");
}

TEST_F(CalculatorTest, FireClassesSetAgentsAndHeading) {
    struct Step {
        std::int16_t agentBefore, fireClass, agentAfter;
        const char* heading;
    };
    const Step steps[] = {
        {op::kCarbonDioxide, op1::kClassA, op::kPhosphatePowder, "灭火级别 (A类 )"},
        {op::kSodiumPowder, op1::kClassA, op::kPhosphatePowder, "灭火级别 (A类 )"},
        {op::kFoam, op1::kClassA, op::kFoam, "灭火级别 (A类 )"},
        {op::kFoam, op1::kClassC, op::kPhosphatePowder, "灭火级别 (C类 )"},
        {op::kWater, op1::kClassE, op::kPhosphatePowder, "灭火级别 (C类 )"},
        {op::kHalon, op1::kClassE, op::kHalon, "灭火级别 (C类 )"},
        {op::kCarbonDioxide, op1::kClassC, op::kCarbonDioxide, "灭火级别 (C类 )"},
        {op::kWater, op1::kClassB, op::kWater, "灭火级别 (B类 )"},
    };
    for (const auto& s : steps) {
        sel.Op1.select(op1::kClassB);
        sel.Op.select(s.agentBefore);
        sel.Op1.select(s.fireClass);
        EXPECT_TRUE(sel.Op.selected(s.agentAfter)) << s.heading << " from " << s.agentBefore;
        EXPECT_EQ(fa.TextMatrix(0, kRatingCol), s.heading);
        const bool classA = s.fireClass == op1::kClassA;
        const bool gasOrElectric = s.fireClass == op1::kClassC || s.fireClass == op1::kClassE;
        EXPECT_EQ(sel.Op.enabled(op::kCarbonDioxide), !classA);
        EXPECT_EQ(sel.Op.enabled(op::kSodiumPowder), !classA);
        EXPECT_EQ(sel.Op.enabled(op::kFoam), !gasOrElectric);
        EXPECT_EQ(sel.Op.enabled(op::kWater), !gasOrElectric);
    }

    int notices = 0;
    calc.setClassDNotice([&] { ++notices; });
    sel.Op1.select(op1::kClassD);
    EXPECT_EQ(notices, 1);
    EXPECT_TRUE(sel.Op1.selected(op1::kClassA) && !sel.Op1.selected(op1::kClassD));
    EXPECT_EQ(fa.TextMatrix(0, kRatingCol), "灭火级别 (A类 )");
}

}  // namespace
}  // namespace core
