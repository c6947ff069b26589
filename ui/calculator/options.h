#pragma once

#include <array>
#include <cstdint>

#include "choices.h"

// The calculator window's option buttons: their indices in the two control arrays `Op1` (fire
// class, hazard level, K) and `Op` (agent, building), their frames, captions and tooltips, and
// what each means as a choice.
namespace ui {

// The frames that group the options, one per kind of choice and in the same order.
enum Group : int {
    kFireClassGroup = 0,  // Op1 0, 1, 2, 10, 11
    kHazardGroup = 1,     // Op1 3, 4, 5
    kFactorGroup = 2,     // Op1 6, 7, 8, 9, 12
    kAgentGroup = 3,      // Op 0 to 5
    kBuildingGroup = 4,   // Op 6, 7
};
constexpr int kGroups = 5;
// The frames' captions, by group.
inline constexpr std::array<const char*, kGroups> kGroupCaptions = {
    "火灾类别", "火灾危险等级", "修正系数", "灭火器类型", "建筑物参数"};

namespace op1 {
constexpr std::int16_t kClassA = 0;
constexpr std::int16_t kClassB = 1;
constexpr std::int16_t kClassC = 2;
constexpr std::int16_t kClassD = 10;
constexpr std::int16_t kClassE = 11;
constexpr std::int16_t kLight = 3;
constexpr std::int16_t kMedium = 4;
constexpr std::int16_t kSerious = 5;
constexpr std::int16_t kFactor10 = 6;
constexpr std::int16_t kFactor09 = 7;
constexpr std::int16_t kFactor07 = 8;
constexpr std::int16_t kFactor05 = 9;
constexpr std::int16_t kFactor03 = 12;
}  // namespace op1

namespace op {
constexpr std::int16_t kCarbonDioxide = 0;
constexpr std::int16_t kWater = 1;
constexpr std::int16_t kSodiumPowder = 2;
constexpr std::int16_t kFoam = 3;
constexpr std::int16_t kPhosphatePowder = 4;
constexpr std::int16_t kHalon = 5;
constexpr std::int16_t kEntertainment = 6;
constexpr std::int16_t kAboveGround = 7;
}  // namespace op

struct OptionSpec {
    std::int16_t index;
    int group;
    const char* caption;
    const char* toolTip;
    std::uint8_t choice;  // the value of the group's kind of choice that the option selects
};

extern const std::array<OptionSpec, 13> kOp1Options;
extern const std::array<OptionSpec, 8> kOpOptions;

// The selected option of each group, indexed by Group.
using GroupChoices = std::array<std::int16_t, kGroups>;

// The choices the options stand for, with the area as read.
[[nodiscard]] core::Choices choicesOf(const GroupChoices& selected, double area);
// The options that stand for the choices; core::Choices{} gives those selected at first start.
[[nodiscard]] GroupChoices optionsOf(const core::Choices& choices);
// The option of the agent (its `Op` index).
[[nodiscard]] std::int16_t agentOption(core::Agent agent);

}  // namespace ui
