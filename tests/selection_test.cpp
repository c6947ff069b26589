#include "selection.h"

#include <gtest/gtest.h>

#include <vector>

namespace core {
namespace {

TEST(Selection, FirstStartState) {
    const Selection s;
    std::vector<std::int16_t> selectedOp1;
    for (const Option& o : s.Op1.options()) {
        if (o.selected) {
            selectedOp1.push_back(o.index);
        }
    }
    EXPECT_EQ(selectedOp1, (std::vector<std::int16_t>{0, 4, 7}));
    std::vector<std::int16_t> selectedOp;
    std::vector<std::int16_t> disabledOp;
    for (const Option& o : s.Op.options()) {
        if (o.selected) {
            selectedOp.push_back(o.index);
        }
        if (!o.enabled) {
            disabledOp.push_back(o.index);
        }
    }
    EXPECT_EQ(selectedOp, (std::vector<std::int16_t>{4, 7}));
    EXPECT_EQ(disabledOp, (std::vector<std::int16_t>{0, 2}));
    EXPECT_EQ(s.tx, "1000");
    EXPECT_EQ(s.Op1.Value(0), -1);
    EXPECT_EQ(s.Op1.Value(1), 0);
}

TEST(Selection, SelectingClearsOnlyItsOwnGroupAndRaisesTheClickAtOnce) {
    Selection s;
    std::vector<std::int16_t> clicks;
    s.Op1.setClickHandler([&](std::int16_t i) {
        clicks.push_back(i);
        // Nested inside the selection: the new state is already in place.
        EXPECT_TRUE(s.Op1.selected(i));
    });
    s.Op1.select(op1::kFactor03);
    EXPECT_FALSE(s.Op1.selected(op1::kFactor09));
    EXPECT_TRUE(s.Op1.selected(op1::kClassA)) << "other groups of the array stay";
    EXPECT_TRUE(s.Op1.selected(op1::kMedium));
    s.Op1.select(op1::kFactor03);  // already selected: raised again
    s.Op1.setValue(op1::kClassA, false);
    EXPECT_EQ(clicks, (std::vector<std::int16_t>{12, 12})) << "clearing raises nothing";
    EXPECT_FALSE(s.Op1.selected(op1::kClassA));
}

TEST(Selection, ReadersFallBackWhenNothingIsSelected) {
    Selection s;
    EXPECT_EQ(s.hazard(), Hazard::Medium);
    EXPECT_EQ(s.factorTimesTen(), 9);
    EXPECT_EQ(s.buildingTimesTen(), 10);
    s.Op1.setValue(op1::kMedium, false);
    s.Op1.setValue(op1::kFactor09, false);
    s.Op.setValue(op::kAboveGround, false);
    EXPECT_EQ(s.hazard(), Hazard::Light);
    EXPECT_EQ(s.factorTimesTen(), 3);
    EXPECT_EQ(s.buildingTimesTen(), 10);
    s.Op1.select(op1::kSerious);
    s.Op.select(op::kEntertainment);
    EXPECT_EQ(s.hazard(), Hazard::Serious);
    EXPECT_EQ(s.buildingTimesTen(), 13);
}

TEST(Selection, DisablingKeepsTheSelectionAndTellsTheObserver) {
    Selection s;
    std::vector<std::int16_t> changed;
    s.Op.setObserver([&](std::int16_t i) { changed.push_back(i); });
    s.Op.setEnabled(op::kPhosphatePowder, false);
    EXPECT_TRUE(s.Op.selected(op::kPhosphatePowder));
    s.Op.select(op::kWater);
    EXPECT_EQ(changed, (std::vector<std::int16_t>{4, 4, 1}));
}

}  // namespace
}  // namespace core
