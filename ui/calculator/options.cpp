#include "options.h"

#include <algorithm>

namespace ui {

namespace {

// The number of a choice's enum value, as OptionSpec::choice holds it.
template <typename Enum>
constexpr std::uint8_t value(Enum e) {
    return static_cast<std::uint8_t>(e);
}

using core::Agent;
using core::Building;
using core::Factor;
using core::FireClass;
using core::Hazard;

}  // namespace

const std::array<OptionSpec, 13> kOp1Options = {{
    {op1::kClassA, kFireClassGroup, "A类",
     "指固体物质火灾。如木材、棉、毛、麻、纸张及其制品等燃烧的火灾", value(FireClass::A)},
    {op1::kClassB, kFireClassGroup, "B类",
     "指液体火灾或可熔化固体物质火灾。如汽油、煤油、柴油、原油、甲醇、乙醇、沥青、石蜡等燃烧的"
     "火灾",
     value(FireClass::B)},
    {op1::kClassC, kFireClassGroup, "C类",
     "指气体火灾。如煤气、天然气、甲烷、乙烷、丙烷、氢气等燃烧的火灾", value(FireClass::C)},
    {op1::kClassD, kFireClassGroup, "D类",
     "指金属火灾。如钾、钠、镁、钛、锆、锂、铝镁合金等燃烧的火灾。", value(FireClass::D)},
    {op1::kClassE, kFireClassGroup, "E类",
     "带电火灾，指带电物体的火灾。如发电机房、变压器室、配电间、仪器仪表间和电子计算机房等...",
     value(FireClass::E)},
    {op1::kLight, kHazardGroup, "轻危险级", "", value(Hazard::Light)},
    {op1::kMedium, kHazardGroup, "中危险级", "", value(Hazard::Medium)},
    {op1::kSerious, kHazardGroup, "严重危险级", "", value(Hazard::Serious)},
    {op1::kFactor10, kFactorGroup, "未设室内消火栓和灭火系统", "未设室内消火栓和灭火系统K=1.0",
     value(Factor::K10)},
    {op1::kFactor09, kFactorGroup, "设有室内消火栓系统", "设有消火栓K=0.9", value(Factor::K09)},
    {op1::kFactor07, kFactorGroup, "设有灭火系统", "设有灭火系统K=0.7", value(Factor::K07)},
    {op1::kFactor05, kFactorGroup, "设有室内消火栓和灭火系统", " 设有室内消火栓和灭火系统K=0.5",
     value(Factor::K05)},
    {op1::kFactor03, kFactorGroup, "可燃物露天堆场，甲、乙..",
     " 可燃物露天堆场，甲、乙、丙类液体贮罐区，可燃气体贮罐区 K=0.3", value(Factor::K03)},
}};

const std::array<OptionSpec, 8> kOpOptions = {{
    {op::kCarbonDioxide, kAgentGroup, "二氧化碳(CO2)", "", value(Agent::CarbonDioxide)},
    {op::kWater, kAgentGroup, "水型", "", value(Agent::Water)},
    {op::kSodiumPowder, kAgentGroup, "干粉(碳酸氢钠)", "", value(Agent::SodiumBicarbonatePowder)},
    {op::kFoam, kAgentGroup, "泡沫(化学泡沫)", "", value(Agent::Foam)},
    {op::kPhosphatePowder, kAgentGroup, "干粉(磷酸铵盐)", "",
     value(Agent::AmmoniumPhosphatePowder)},
    {op::kHalon, kAgentGroup, "卤代烷(1211)", "非必要场所不应配置卤代烷灭火器",
     value(Agent::Halon1211)},
    {op::kEntertainment, kBuildingGroup, "娱乐场所,地下建筑..",
     " 歌舞娱乐放映游艺场所、网吧、商场、寺庙以及地下场所等",
     value(Building::EntertainmentOrUnderground)},
    {op::kAboveGround, kBuildingGroup, "地上建筑", " 地上建筑", value(Building::AboveGround)},
}};

namespace {

// Calls `f` with every option of both arrays.
template <typename F>
void forEachOption(F f) {
    std::ranges::for_each(kOp1Options, f);
    std::ranges::for_each(kOpOptions, f);
}

core::ChoiceKind kindOf(const OptionSpec& option) {
    return static_cast<core::ChoiceKind>(option.group);
}

}  // namespace

core::Choices choicesOf(const GroupChoices& selected, double area) {
    core::Choices c;
    forEachOption([&](const OptionSpec& o) {
        if (selected.at(static_cast<std::size_t>(o.group)) == o.index) {
            core::setChoiceValue(c, kindOf(o), o.choice);
        }
    });
    c.area = area;
    return c;
}

GroupChoices optionsOf(const core::Choices& choices) {
    GroupChoices selected{};
    forEachOption([&](const OptionSpec& o) {
        if (core::choiceValue(choices, kindOf(o)) == o.choice) {
            selected.at(static_cast<std::size_t>(o.group)) = o.index;
        }
    });
    return selected;
}

std::int16_t agentOption(core::Agent agent) {
    return static_cast<std::int16_t>(agent);
}

}  // namespace ui
