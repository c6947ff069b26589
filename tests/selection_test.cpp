#include "selection.h"

#include <gtest/gtest.h>

#include <vector>

namespace core {
namespace {

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

}  // namespace
}  // namespace core
