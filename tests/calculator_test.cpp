#include "calculator.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace core {
namespace {

class CalculatorTest : public ::testing::Test {
  protected:
    CalculatorTest() {
        writeHeadings(fa);
        setLoadedGridLayout(fa);
    }

    // Sets an option from code without running its handler, to arrange states the window
    // would not lead to.
    void setQuietly(OptionArray& array, std::int16_t index) {
        array.setClickHandler(nullptr);
        array.select(index);
        sel.Op.setClickHandler([this](std::int16_t i) { calc.Op_Click(i); });
        sel.Op1.setClickHandler([this](std::int16_t i) { calc.Op1_Click(i); });
    }

    [[nodiscard]] std::vector<std::string> column(int col) const {
        std::vector<std::string> texts;
        for (int r = kFirstModelRow; r <= kLastModelRow; ++r) {
            if (!fa.rowHidden(r)) {
                texts.push_back(fa.TextMatrix(r, col));
            }
        }
        return texts;
    }

    // Count text of every rating on display.
    [[nodiscard]] std::map<std::string, std::string> countsByRating() const {
        std::map<std::string, std::string> counts;
        for (int r = kFirstModelRow; r <= kLastModelRow; ++r) {
            if (!fa.rowHidden(r)) {
                counts[fa.TextMatrix(r, kRatingCol)] = fa.TextMatrix(r, kCountCol);
            }
        }
        return counts;
    }

    void expectAreaRating(const std::string& text) const {
        for (int r = kFirstModelRow; r <= kLastModelRow; ++r) {
            EXPECT_EQ(fa.TextMatrix(r, kAreaRatingCol), text) << "row " << r;
        }
    }

    [[nodiscard]] std::vector<std::string> snapshot() const {
        std::vector<std::string> all;
        for (int r = 0; r < kGridRows; ++r) {
            for (int c = 0; c < kGridCols; ++c) {
                const auto& cell = fa.cell(r, c);
                all.push_back(cell.text + "|" + std::to_string(cell.backColor.value_or(1U)) +
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
    calc.Op_Click(op::kAboveGround);
    sel.Op1.select(op1::kClassB);

    EXPECT_TRUE(sel.Op.enabled(op::kCarbonDioxide));
    EXPECT_TRUE(sel.Op.enabled(op::kSodiumPowder));
    EXPECT_EQ(fa.TextMatrix(0, kRatingCol), "灭火级别 (B类 )");
    const std::vector<std::string> codes = {"MF/ABC1",   "MF/ABC2",   "MF/ABC3",    "MF/ABC4",
                                            "MF/ABC5",   "MF/ABC6",   "MF/ABC8",    "MF/ABC10",
                                            "MFT/ABC20", "MFT/ABC50", "MFT/ABC100", "MFT/ABC125"};
    EXPECT_EQ(column(2), codes);
    EXPECT_EQ(column(kRatingCol),
              (std::vector<std::string>{"21B", "21B", "34B", "55B", "89B", "89B", "144B", "144B",
                                        "183B", "297B", "297B", "297B"}));
    for (int r = 1; r <= 12; ++r) {
        for (int c = 1; c <= 5; ++c) {
            EXPECT_EQ(fa.cell(r, c).backColor, r >= 4 ? kLightRed : kGrey) << r << ',' << c;
        }
        for (int c = 0; c <= 5; ++c) {
            EXPECT_EQ(fa.cell(r, c).alignment, grid::Alignment::CenterCenter);
        }
    }
    expectAreaRating("900(900)");
    EXPECT_EQ(column(kCountCol),
              (std::vector<std::string>{"42.857", "42.857", "26.471", "16.364", "10.112", "10.112",
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
        {"7 a hair above 7", 0, 3, 8, 7, 4, "1000", "7(7)", {{"1A", "7"}}},
        {"1000.04", 0, 3, 6, 7, 4, "1000.04", "10(10)", {{"1A", "10"}}},
        {"1000.06", 0, 3, 6, 7, 4, "1000.06", "11(10.001)", {{"1A", "11"}}},
        {"half to even", 1, 3, 6, 7, 2, "13.5", "9(9)", {{"144B", "0.062"}}},
        {"empty area", 1, 3, 6, 7, 1, "", "0(0)", {{"55B", "0"}, {"-", "-"}}},
        {"letters", 0, 3, 6, 7, 5, "abc", "0(0)", {{"1A", "0"}, {"-", "-"}}},
        {"zero", 0, 3, 6, 7, 4, "0", "0(0)", {{"1A", "0"}}},
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
        const auto counts = countsByRating();
        for (const auto& [ratingText, count] : c.counts) {
            ASSERT_TRUE(counts.count(ratingText)) << ratingText;
            EXPECT_EQ(counts.at(ratingText), count) << ratingText;
        }
    }
}

TEST_F(CalculatorTest, AreasWithoutACountSayWhy) {
    const std::pair<const char*, std::string_view> cases[] = {
        {"-100", kAreaNegative},   {"-0.001", kAreaNegative},  {"1E12", kAreaOutOfRange},
        {"1E39", kAreaOutOfRange}, {"1E400", kAreaOutOfRange}, {"-1E400", kAreaOutOfRange},
    };
    calc.Op_Click(op::kAboveGround);
    for (const auto& [area, message] : cases) {
        sel.tx = area;
        calc.tx_LostFocus();
        for (int r = kFirstModelRow; r <= kLastModelRow; ++r) {
            EXPECT_EQ(fa.TextMatrix(r, kCountCol), "") << area;
            EXPECT_EQ(fa.TextMatrix(r, kAreaRatingCol), message) << area;
        }
    }
    sel.tx = "-0";
    calc.tx_LostFocus();
    expectAreaRating("0(0)");
}

TEST_F(CalculatorTest, TableFollowsAgentFireClassAndHazard) {
    // Carbon dioxide, class B, medium hazard.
    sel.Op1.select(op1::kClassB);
    sel.Op.select(op::kCarbonDioxide);
    EXPECT_EQ(column(1), (std::vector<std::string>{"2千克", "3千克", "5千克", "7千克", "10千克",
                                                   "20千克", "30千克", "50千克"}));
    EXPECT_EQ(column(0), (std::vector<std::string>{"手提式", "手提式", "手提式", "手提式", "推车式",
                                                   "推车式", "推车式", "推车式"}));
    for (int r = 1; r <= 12; ++r) {
        EXPECT_EQ(fa.rowHidden(r), r > 8) << r;
        EXPECT_EQ(fa.cell(r, 2).backColor, r >= 4 && r <= 8 ? kLightRed : kGrey) << r;
    }

    // Water, class B, serious hazard: only row 3 reaches 89B; rows 4 to 7 have no rating.
    sel.Op.select(op::kWater);
    sel.Op1.select(op1::kSerious);
    for (int r = 1; r <= 12; ++r) {
        EXPECT_EQ(fa.rowHidden(r), r > 7) << r;
        EXPECT_EQ(fa.cell(r, 5).backColor, r == 3 ? kLightRed : kGrey) << r;
    }
    EXPECT_EQ(column(kCountCol)[3], "-");
    EXPECT_EQ(fa.TextMatrix(4, 0), "推车式");

    // Halon, class A: no band at medium hazard; at light hazard only rows 4 and 5.
    sel.Op.select(op::kHalon);
    sel.Op1.select(op1::kClassA);
    sel.Op1.select(op1::kMedium);
    EXPECT_EQ(column(kRatingCol),
              (std::vector<std::string>{"-", "0.5A", "0.5A", "1A", "1A", "-", "-", "-", "-"}));
    for (int r = 1; r <= 12; ++r) {
        EXPECT_EQ(fa.cell(r, 1).backColor, kGrey) << r;
    }
    sel.Op1.select(op1::kLight);
    for (int r = 1; r <= 12; ++r) {
        EXPECT_EQ(fa.cell(r, 1).backColor, r == 4 || r == 5 ? kLightRed : kGrey) << r;
    }
}

TEST_F(CalculatorTest, HiddenRowsKeepOldTextsAndAreStillCounted) {
    sel.Op1.select(op1::kClassB);  // phosphate powder, 12 rows
    sel.Op.select(op::kWater);
    EXPECT_TRUE(fa.rowHidden(8));
    EXPECT_EQ(fa.TextMatrix(8, 2), "MF/ABC10");
    EXPECT_EQ(fa.TextMatrix(12, kRatingCol), "297B");
    EXPECT_EQ(fa.TextMatrix(12, kCountCol), "3.03");
    EXPECT_EQ(fa.TextMatrix(12, kAreaRatingCol), "900(900)");
}

TEST_F(CalculatorTest, BuildingCategoryRecalculatesTheSameTable) {
    calc.Op_Click(op::kAboveGround);
    const auto before = snapshot();
    sel.Op.select(op::kEntertainment);
    const auto after = snapshot();
    for (std::size_t i = 0; i < before.size(); ++i) {
        const auto col = static_cast<int>(i) % kGridCols;
        if (col != kCountCol && col != kAreaRatingCol) {
            EXPECT_EQ(before[i], after[i]) << "cell " << i;
        }
    }
    expectAreaRating("16(15.6)");
}

TEST_F(CalculatorTest, OpClickWithoutAMatchingAgentOnlySetsMergeFlags) {
    calc.Op_Click(op::kAboveGround);
    sel.Op.setValue(op::kPhosphatePowder, false);
    fa.setMergeCol(-1, false);
    const auto before = snapshot();
    sel.Op.select(op::kEntertainment);
    EXPECT_EQ(snapshot(), before) << "no redraw, no recalculation";
    EXPECT_TRUE(fa.mergeCol(3));

    // With no option of the array selected, index 0 matches carbon dioxide.
    sel.Op.setValue(op::kEntertainment, false);
    calc.Op_Click(op::kCarbonDioxide);
    EXPECT_EQ(fa.TextMatrix(1, 2), "MT2");
}

TEST_F(CalculatorTest, CarbonDioxideUnderClassAShowsNoRatings) {
    setQuietly(sel.Op, op::kCarbonDioxide);
    calc.Op_Click(op::kCarbonDioxide);
    EXPECT_EQ(column(kRatingCol), std::vector<std::string>(8, "-"));
    EXPECT_EQ(column(kCountCol), std::vector<std::string>(8, "-"));
    for (int r = 1; r <= 12; ++r) {
        EXPECT_EQ(fa.cell(r, 3).backColor, kGrey) << r;
    }
}

TEST_F(CalculatorTest, LostFocusOfAnUnselectedButtonKeepsTheSelectedTable) {
    sel.Op1.select(op1::kClassB);
    const auto before = snapshot();
    for (std::int16_t i = 0; i <= 7; ++i) {
        if (!sel.Op.selected(i)) {
            calc.Op_LostFocus(i);
            EXPECT_EQ(snapshot(), before) << "index " << i;
        }
    }
    sel.tx = "150";
    calc.Op_LostFocus(op::kPhosphatePowder);
    expectAreaRating("135(135)");
}

TEST_F(CalculatorTest, FireClassesMoveAgentsTheyDisable) {
    struct Step {
        std::int16_t agentBefore;
        std::int16_t fireClass;
        std::int16_t agentAfter;
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
        setQuietly(sel.Op1, op1::kClassB);
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
}

TEST_F(CalculatorTest, ClassDShowsTheNoticeThenFallsBackToClassA) {
    int notices = 0;
    calc.setClassDNotice([&] {
        ++notices;
        EXPECT_TRUE(sel.Op1.selected(op1::kClassD)) << "shown while D is selected";
    });
    sel.Op1.select(op1::kClassB);
    sel.Op.select(op::kCarbonDioxide);
    sel.Op1.select(op1::kClassD);
    EXPECT_EQ(notices, 1);
    EXPECT_TRUE(sel.Op1.selected(op1::kClassA));
    EXPECT_FALSE(sel.Op1.selected(op1::kClassD));
    EXPECT_TRUE(sel.Op.selected(op::kPhosphatePowder));
    EXPECT_EQ(fa.TextMatrix(0, kRatingCol), "灭火级别 (A类 )");
    expectAreaRating("12(12)");
}

TEST_F(CalculatorTest, WithoutAFireClassHazardAndFactorClicksChangeNothing) {
    calc.Op_Click(op::kAboveGround);
    sel.Op1.setValue(op1::kClassA, false);
    const auto before = snapshot();
    sel.Op1.select(op1::kSerious);
    sel.Op1.select(op1::kFactor10);
    EXPECT_EQ(snapshot(), before);
}

}  // namespace
}  // namespace core
