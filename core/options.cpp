#include "options.h"

#include <stdexcept>
#include <string>

namespace core {

const std::array<OptionSpec, 13> kOp1Options = {{
    {op1::kClassA, kFireClassGroup, "A类",
     "指固体物质火灾。如木材、棉、毛、麻、纸张及其制品等燃烧的火灾", true},
    {op1::kClassB, kFireClassGroup, "B类",
     "指液体火灾或可熔化固体物质火灾。如汽油、煤油、柴油、原油、甲醇、乙醇、沥青、石蜡等燃烧的"
     "火灾",
     false},
    {op1::kClassC, kFireClassGroup, "C类",
     "指气体火灾。如煤气、天然气、甲烷、乙烷、丙烷、氢气等燃烧的火灾", false},
    {op1::kClassD, kFireClassGroup, "D类",
     "指金属火灾。如钾、钠、镁、钛、锆、锂、铝镁合金等燃烧的火灾。", false},
    {op1::kClassE, kFireClassGroup, "E类",
     "带电火灾，指带电物体的火灾。如发电机房、变压器室、配电间、仪器仪表间和电子计算机房等...",
     false},
    {op1::kLight, kHazardGroup, "轻危险级", "", false},
    {op1::kMedium, kHazardGroup, "中危险级", "", true},
    {op1::kSerious, kHazardGroup, "严重危险级", "", false},
    {op1::kFactor10, kFactorGroup, "未设室内消火栓和灭火系统", "未设室内消火栓和灭火系统K=1.0",
     false},
    {op1::kFactor09, kFactorGroup, "设有室内消火栓系统", "设有消火栓K=0.9", true},
    {op1::kFactor07, kFactorGroup, "设有灭火系统", "设有灭火系统K=0.7", false},
    {op1::kFactor05, kFactorGroup, "设有室内消火栓和灭火系统", " 设有室内消火栓和灭火系统K=0.5",
     false},
    {op1::kFactor03, kFactorGroup, "可燃物露天堆场，甲、乙..",
     " 可燃物露天堆场，甲、乙、丙类液体贮罐区，可燃气体贮罐区 K=0.3", false},
}};

const std::array<OptionSpec, 8> kOpOptions = {{
    {op::kCarbonDioxide, kAgentGroup, "二氧化碳(CO2)", "", false},
    {op::kWater, kAgentGroup, "水型", "", false},
    {op::kSodiumPowder, kAgentGroup, "干粉(碳酸氢钠)", "", false},
    {op::kFoam, kAgentGroup, "泡沫(化学泡沫)", "", false},
    {op::kPhosphatePowder, kAgentGroup, "干粉(磷酸铵盐)", "", true},
    {op::kHalon, kAgentGroup, "卤代烷(1211)", "非必要场所不应配置卤代烷灭火器", false},
    {op::kEntertainment, kBuildingGroup, "娱乐场所,地下建筑..",
     " 歌舞娱乐放映游艺场所、网吧、商场、寺庙以及地下场所等", false},
    {op::kAboveGround, kBuildingGroup, "地上建筑", " 地上建筑", true},
}};

std::int16_t firstStartChoice(int group) {
    for (const auto* options : {kOp1Options.data(), kOpOptions.data()}) {
        const std::size_t count =
            options == kOp1Options.data() ? kOp1Options.size() : kOpOptions.size();
        for (std::size_t i = 0; i < count; ++i) {
            if (options[i].group == group && options[i].firstStart) {
                return options[i].index;
            }
        }
    }
    throw std::out_of_range("no group " + std::to_string(group));
}

core::Choices choicesOf(const GroupChoices& selected, double area) {
    core::Choices c;
    switch (selected[kFireClassGroup]) {
        case op1::kClassB:
            c.fireClass = core::FireClass::B;
            break;
        case op1::kClassC:
            c.fireClass = core::FireClass::C;
            break;
        case op1::kClassD:
            c.fireClass = core::FireClass::D;
            break;
        case op1::kClassE:
            c.fireClass = core::FireClass::E;
            break;
        default:
            c.fireClass = core::FireClass::A;
    }
    c.hazard = selected[kHazardGroup] == op1::kSerious  ? core::Hazard::Serious
               : selected[kHazardGroup] == op1::kMedium ? core::Hazard::Medium
                                                        : core::Hazard::Light;
    switch (selected[kFactorGroup]) {
        case op1::kFactor10:
            c.factor = core::Factor::K10;
            break;
        case op1::kFactor09:
            c.factor = core::Factor::K09;
            break;
        case op1::kFactor07:
            c.factor = core::Factor::K07;
            break;
        case op1::kFactor05:
            c.factor = core::Factor::K05;
            break;
        default:
            c.factor = core::Factor::K03;
    }
    // The agent options are numbered in the order of the agents.
    c.agent = core::kAgents.at(static_cast<std::size_t>(selected[kAgentGroup]));
    c.building = selected[kBuildingGroup] == op::kEntertainment
                     ? core::Building::EntertainmentOrUnderground
                     : core::Building::AboveGround;
    c.area = area;
    return c;
}

std::int16_t agentOption(core::Agent agent) {
    return static_cast<std::int16_t>(agent);
}

}  // namespace core
