#include "selection.h"

#include <gtest/gtest.h>

#include <optional>

namespace core {
namespace {

TEST(Selection, SelectingClearsOnlyItsOwnGroup) {
    Selection s;
    s.Op1.select(op1::kFactor03);
    EXPECT_FALSE(s.Op1.selected(op1::kFactor09));
    EXPECT_TRUE(s.Op1.selected(op1::kClassA)) << "other groups of the array stay";
    EXPECT_TRUE(s.Op1.selected(op1::kMedium));
    s.Op.select(op::kHalon);
    EXPECT_EQ(s.agentType(), op::kHalon);
    EXPECT_TRUE(s.Op.selected(op::kAboveGround));
}

TEST(Selection, ReadersFallBackWhenNothingIsSelected) {
    Selection s;
    EXPECT_EQ(s.fireClass(), FireClass::A);
    EXPECT_EQ(s.hazard(), Hazard::Medium);
    EXPECT_EQ(s.factorTimesTen(), 9);
    EXPECT_EQ(s.agentType(), op::kPhosphatePowder);
    for (const std::int16_t i : {op1::kClassA, op1::kMedium, op1::kFactor09}) {
        s.Op1.setValue(i, false);
    }
    s.Op.setValue(op::kAboveGround, false);
    s.Op.setValue(op::kPhosphatePowder, false);
    EXPECT_EQ(s.fireClass(), std::nullopt);
    EXPECT_EQ(s.hazard(), Hazard::Light);
    EXPECT_EQ(s.factorTimesTen(), 3);
    EXPECT_EQ(s.buildingTimesTen(), 10);
    EXPECT_EQ(s.agentType(), std::nullopt);
    s.Op1.select(op1::kSerious);
    s.Op.select(op::kEntertainment);
    EXPECT_EQ(s.hazard(), Hazard::Serious);
    EXPECT_EQ(s.buildingTimesTen(), 13);
}

}  // namespace
}  // namespace core
