#include "selection.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

namespace core {

OptionArray::OptionArray(std::vector<Option> options) : options_(std::move(options)) {}

const Option& OptionArray::option(std::int16_t index) const {
    const auto it = std::find_if(options_.begin(), options_.end(),
                                 [index](const Option& o) { return o.index == index; });
    if (it == options_.end()) {
        throw std::out_of_range("no option with index " + std::to_string(index));
    }
    return *it;
}

Option& OptionArray::at(std::int16_t index) {
    return const_cast<Option&>(std::as_const(*this).option(index));
}

void OptionArray::select(std::int16_t index) {
    Option& chosen = at(index);
    for (Option& other : options_) {
        if (other.group == chosen.group) {
            other.selected = false;
        }
    }
    chosen.selected = true;
}

void OptionArray::setValue(std::int16_t index, bool value) {
    if (value) {
        select(index);
    } else {
        at(index).selected = false;
    }
}

void OptionArray::setEnabled(std::int16_t index, bool enabled) {
    at(index).enabled = enabled;
}

namespace {

std::vector<Option> fireOptions() {
    return {
        {op1::kClassA, kFireClassGroup, "A类",
         "指固体物质火灾。如木材、棉、毛、麻、纸张及其制品等燃烧的火灾", true, true},
        {op1::kClassB, kFireClassGroup, "B类",
         "指液体火灾或可熔化固体物质火灾。如汽油、煤油、柴油、原油、甲醇、乙醇、沥青、石蜡等燃烧的"
         "火灾",
         false, true},
        {op1::kClassC, kFireClassGroup, "C类",
         "指气体火灾。如煤气、天然气、甲烷、乙烷、丙烷、氢气等燃烧的火灾", false, true},
        {op1::kClassD, kFireClassGroup, "D类",
         "指金属火灾。如钾、钠、镁、钛、锆、锂、铝镁合金等燃烧的火灾。", false, true},
        {op1::kClassE, kFireClassGroup, "E类",
         "带电火灾，指带电物体的火灾。如发电机房、变压器室、配电间、仪器仪表间和电子计算机房等...",
         false, true},
        {op1::kLight, kHazardGroup, "轻危险级", "", false, true},
        {op1::kMedium, kHazardGroup, "中危险级", "", true, true},
        {op1::kSerious, kHazardGroup, "严重危险级", "", false, true},
        {op1::kFactor10, kFactorGroup, "未设室内消火栓和灭火系统", "未设室内消火栓和灭火系统K=1.0",
         false, true},
        {op1::kFactor09, kFactorGroup, "设有室内消火栓系统", "设有消火栓K=0.9", true, true},
        {op1::kFactor07, kFactorGroup, "设有灭火系统", "设有灭火系统K=0.7", false, true},
        {op1::kFactor05, kFactorGroup, "设有室内消火栓和灭火系统", " 设有室内消火栓和灭火系统K=0.5",
         false, true},
        {op1::kFactor03, kFactorGroup, "可燃物露天堆场，甲、乙..",
         " 可燃物露天堆场，甲、乙、丙类液体贮罐区，可燃气体贮罐区 K=0.3", false, true},
    };
}

std::vector<Option> agentOptions() {
    return {
        {op::kCarbonDioxide, kAgentGroup, "二氧化碳(CO2)", "", false, false},
        {op::kWater, kAgentGroup, "水型", "", false, true},
        {op::kSodiumPowder, kAgentGroup, "干粉(碳酸氢钠)", "", false, false},
        {op::kFoam, kAgentGroup, "泡沫(化学泡沫)", "", false, true},
        {op::kPhosphatePowder, kAgentGroup, "干粉(磷酸铵盐)", "", true, true},
        {op::kHalon, kAgentGroup, "卤代烷(1211)", "非必要场所不应配置卤代烷灭火器", false, true},
        {op::kEntertainment, kBuildingGroup, "娱乐场所,地下建筑..",
         " 歌舞娱乐放映游艺场所、网吧、商场、寺庙以及地下场所等", false, true},
        {op::kAboveGround, kBuildingGroup, "地上建筑", " 地上建筑", true, true},
    };
}

}  // namespace

Selection::Selection() : Op1(fireOptions()), Op(agentOptions()) {}

std::optional<FireClass> Selection::fireClass() const {
    const std::pair<std::int16_t, FireClass> order[] = {
        {op1::kClassA, FireClass::A}, {op1::kClassB, FireClass::B}, {op1::kClassC, FireClass::C},
        {op1::kClassE, FireClass::E}, {op1::kClassD, FireClass::D},
    };
    for (const auto& [index, fireClass] : order) {
        if (Op1.selected(index)) {
            return fireClass;
        }
    }
    return std::nullopt;
}

Hazard Selection::hazard() const {
    if (Op1.selected(op1::kSerious)) {
        return Hazard::Serious;
    }
    if (Op1.selected(op1::kMedium)) {
        return Hazard::Medium;
    }
    return Hazard::Light;
}

int Selection::factorTimesTen() const {
    if (Op1.selected(op1::kFactor10)) {
        return 10;
    }
    if (Op1.selected(op1::kFactor09)) {
        return 9;
    }
    if (Op1.selected(op1::kFactor07)) {
        return 7;
    }
    if (Op1.selected(op1::kFactor05)) {
        return 5;
    }
    return 3;
}

int Selection::buildingTimesTen() const {
    return Op.selected(op::kEntertainment) ? 13 : 10;
}

std::optional<int> Selection::agentType() const {
    for (const std::int16_t index : {op::kCarbonDioxide, op::kPhosphatePowder, op::kSodiumPowder,
                                     op::kFoam, op::kHalon, op::kWater}) {
        if (Op.selected(index)) {
            return index;
        }
    }
    return std::nullopt;
}

std::int16_t firstStartChoice(int group) {
    const Selection firstStart;
    const OptionArray& array = group <= kFactorGroup ? firstStart.Op1 : firstStart.Op;
    for (const Option& option : array.options()) {
        if (option.group == group && option.selected) {
            return option.index;
        }
    }
    throw std::out_of_range("no group " + std::to_string(group));
}

}  // namespace core
