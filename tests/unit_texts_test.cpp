// The notes a unit's sheet and the book print for what the designer must judge, and the farthest
// distance of a placed unit as they state it.
#include "unit_texts.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "combined_units.h"
#include "placed_rooms.h"

namespace {

struct NoteCase {
    core::FireClass fireClass;
    core::Agent agent;
    const char* clauses;  // the clauses the note names, in order; "" for no note
};

class UnitNote : public ::testing::TestWithParam<NoteCase> {};

TEST_P(UnitNote, NamesTheClausesToJudge) {
    const NoteCase& c = GetParam();
    core::Choices choices;
    choices.fireClass = c.fireClass;
    choices.agent = c.agent;
    QStringList clauses;
    const QString note = documents::unitNote(choices);
    for (const QString& clause : {QStringLiteral("10.0.1"), QStringLiteral("4.2.5")}) {
        if (note.contains(clause)) {
            clauses << clause;
        }
    }
    EXPECT_EQ(clauses.join(u' '), QString::fromUtf8(c.clauses)) << note.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Notes, UnitNote,
    ::testing::Values(NoteCase{core::FireClass::A, core::Agent::Water, "10.0.1"},
                      NoteCase{core::FireClass::A, core::Agent::AmmoniumPhosphatePowder, ""},
                      NoteCase{core::FireClass::B, core::Agent::CarbonDioxide, ""},
                      NoteCase{core::FireClass::E, core::Agent::AmmoniumPhosphatePowder, "10.0.1"},
                      NoteCase{core::FireClass::E, core::Agent::CarbonDioxide, "10.0.1 4.2.5"}),
    [](const auto& p) { return std::to_string(p.index); });

// The farthest distance rounded up to 0.1 m, never down: a distance that reads as within R is. A
// tenth that binary noise alone overshoots stays that tenth. An outline too large or intricate to
// check says so whatever the distance (the sheet's tests read the one too large).
TEST(ReachText, IsRoundedUpToATenthOrTellsWhyItIsNotChecked) {
    struct Row {
        double farthest;
        const char* text;
        std::vector<double> shares = {};  // a point's share: it stands in the unit
    };
    const Row cases[] = {
        {15.0666, "最大 15.1 m"},
        {15.3454, "最大 15.4 m"},
        {19.4, "最大 19.4 m"},
        {std::nextafter(19.4, 20.0), "最大 19.4 m"},
        {0.1 * 3, "最大 0.3 m"},  // 0.30000000000000004
        {19.40001, "最大 19.5 m"},
        {19.99, "最大 20.0 m"},
        {20, "最大 20.0 m"},
        {0.01, "最大 0.1 m"},
        {0, "最大 0.0 m"},
        {std::numeric_limits<double>::infinity(), "设置点均不在计算单元内"},
        {std::numeric_limits<double>::infinity(), "有房间不能到达任一设置点", {12.5}},
    };
    for (const auto& [farthest, text, shares] : cases) {
        const core::PlacedCover cover{20, farthest, false, shares};
        EXPECT_EQ(documents::reachText(cover, core::PlacingFault::None).toStdString(), text)
            << farthest;
    }
    const core::PlacedCover unchecked{20, std::numeric_limits<double>::infinity(), false, {}};
    EXPECT_EQ(documents::reachText(unchecked, core::PlacingFault::TooIntricate).toStdString(),
              "轮廓超过 4000 个顶点或 400 个凹角，未校核");
}

// Why units are not combined names the unit that breaks the rule and the first one, with the
// clause where there is one.
TEST(CombineRefusalText, NamesTheUnitsAndTheClause) {
    const core::Project project = tests::officeFloor();
    const std::pair<core::CombineFault, const char*> cases[] = {
        {core::CombineFault::OtherFloor,
         "「办公室3」与「办公室1」不在同一楼层，不能合并为组合单元（GB 50140-2005 第7.2.1条）"},
        {core::CombineFault::OtherClass,
         "「办公室3」的火灾种类与「办公室1」不同，不能合并为组合单元（GB 50140-2005 第7.2.1条）"},
        {core::CombineFault::OtherHazard,
         "「办公室3」的危险等级与「办公室1」不同，不能合并为组合单元（GB 50140-2005 第7.2.1条）"},
        {core::CombineFault::NoOutline, "「办公室3」没有房间轮廓，不能合并为组合单元"},
        {core::CombineFault::TooFew, "请选择两个或更多计算单元"},
    };
    for (const auto& [fault, text] : cases) {
        EXPECT_EQ(documents::combineRefusalText(project, {fault, 2, 0}).toStdString(), text);
    }
}

// A combined unit's circulation: its rooms named as walked through, else the room with the most
// doors; the points in its other rooms are counted, those in the circulation not.
TEST(CirculationRooms, AreNamedOrHaveTheMostDoors) {
    core::Unit unit = tests::combinedOffices().units.front();
    const std::vector<bool> corridor{false, false, false, false, true};
    EXPECT_EQ(core::unitCirculation(unit), corridor);
    EXPECT_EQ(core::pointsInRooms(unit), 1U);
    unit.rooms.back().name = "储藏间";  // no name says so: the corridor has the most doors
    EXPECT_EQ(core::unitCirculation(unit), corridor);
    unit.doors.clear();
    EXPECT_EQ(core::unitCirculation(unit), std::vector<bool>(5, false));
    EXPECT_EQ(core::pointsInRooms(unit), 3U);
}

}  // namespace
