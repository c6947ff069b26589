#pragma once

#include <QString>
#include <QStringList>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "catalogue.h"
#include "choices.h"
#include "project.h"
#include "setting_points.h"
#include "utf8_text.h"

// The texts of a calculation unit's values, one writer for each, shared by the sheet, the project
// window and the project's outputs.
namespace documents {

// The texts of core, UTF-8, as QStrings: io's one conversion.
using io::qs;

// "A类"
[[nodiscard]] QString fireClassName(core::FireClass fireClass);
// "中危险级"
[[nodiscard]] QString hazardName(core::Hazard hazard);
// K with one decimal: "0.9", "1.0".
[[nodiscard]] QString factorText(core::Factor factor);
// "地上建筑", or the long name of entertainment venues and underground spaces.
[[nodiscard]] QString buildingName(core::Building building);
// The short form the project's table shows: "地上建筑", "娱乐场所/地下建筑".
[[nodiscard]] QString buildingShortName(core::Building building);
// The agent as the window's option names it: "干粉(磷酸铵盐)".
[[nodiscard]] QString agentName(core::Agent agent);
// The rating letter of the fire class: 'A' for class A, else 'B'.
[[nodiscard]] QChar ratingLetter(core::FireClass fireClass);
// A whole rating with its letter: "18A", "900B".
[[nodiscard]] QString ratingText(std::int64_t rating, core::FireClass fireClass);
// The model as the sheet's combo box offers it: "MF/ABC3 (2A)".
[[nodiscard]] QString modelText(const core::CandidateModel& model);

// The codes a sheet follows: "《消防设施通用规范》GB 55036-2022，《建筑灭火器配置设计规范》GB
// 50140-2005".
extern const QString kBasis;

// What the designer must judge for these choices (GB 55036-2022 10.0.1): class A with water or
// foam extinguishers, which must also suit class E fires; class E, live equipment above 1 kV, and
// with carbon dioxide no extinguisher with a metal horn (GB 50140-2005 4.2.5).
// Empty where there is nothing to note.
[[nodiscard]] QString unitNote(const core::Choices& choices);
// The extinguisher as a bill of materials names it: mount, agent and "灭火器":
// "手提式磷酸铵盐干粉灭火器", "推车式二氧化碳灭火器", "手提式1211灭火器".
[[nodiscard]] QString extinguisherName(core::Mount mount, core::Agent agent);
// A provided rating, which may not be whole, with its letter: "6A", "1.5A", "178B".
[[nodiscard]] QString providedRatingText(double rating, core::FireClass fireClass);

// A farthest distance in metres rounded up to so many decimals, so that it never reads shorter
// than it is; a sum or root that misses a whole step by binary noise alone (19.4 as
// 19.400000000000002) is that step, not the next.
[[nodiscard]] double farthestRoundedUp(double farthest, int places);

// What a placed unit's setting points reach: the largest distance from a point of the unit to
// its nearest setting point (core::PlacedCover::farthest), rounded up to 0.1 m so that it never
// reads shorter than it is, "最大 15.1 m"; "设置点均不在计算单元内" where it is infinite; and where
// the outline is too large or intricate to check (`fault`, core::placingFault() of the unit's
// outline), why it is not checked: "面积超过 40000 m²，未校核".
[[nodiscard]] QString reachText(const core::PlacedCover& cover, core::PlacingFault fault);

// What is said of a unit whose setting points, placed as well as they can be, do not reach all of
// it, after its name and "的": "设置点未能覆盖全部平面（如有宽度不足 0.6 m
// 的狭窄部分），请在平面图上检查".
[[nodiscard]] QString notCoveredText();

// A clause that breachedClauses names, in words: "6.1.2 每个设置点的灭火器配置数量不宜多于5具".
[[nodiscard]] QString clauseDescription(std::string_view clause);

// The unit's 校核 as the project's tables show it: "满足", the clauses it breaks after "不满足"
// ("不满足 6.1.2、7.1.3"), or "不能配置".
[[nodiscard]] QString checkText(const core::UnitDesign& design);
// The unit cannot be configured or breaks a clause: its 校核 is not "满足".
[[nodiscard]] bool failsCheck(const core::UnitDesign& design);

// Why a unit has no configuration, in the calculator window's words; empty for None.
[[nodiscard]] QString unconfigurableReason(core::Unconfigurable fault);

}  // namespace documents

namespace core {
struct CombineRefusal;
}

namespace documents {

// Why units are not combined into one, naming the unit that breaks the rule and the first one,
// whose floor, class and hazard the others must share, with the clause: "「走廊」与「办公室」不在
// 同一楼层，不能合并为组合单元（GB 50140-2005 第7.2.1条）".
[[nodiscard]] QString combineRefusalText(const core::Project& project,
                                         const core::CombineRefusal& refusal);

}  // namespace documents
