#include "unit_texts.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "combined_units.h"
#include "number_text.h"

namespace documents {

QString fireClassName(core::FireClass fireClass) {
    return QChar::fromLatin1(core::fireClassLetter(fireClass)) + QStringLiteral("类");
}

QString hazardName(core::Hazard hazard) {
    switch (hazard) {
        case core::Hazard::Serious:
            return QStringLiteral("严重危险级");
        case core::Hazard::Medium:
            return QStringLiteral("中危险级");
        case core::Hazard::Light:
            break;
    }
    return QStringLiteral("轻危险级");
}

QString factorText(core::Factor factor) {
    return QString::number(core::factorTimesTen(factor) / 10.0, 'f', 1);
}

QString buildingName(core::Building building) {
    return building == core::Building::EntertainmentOrUnderground
               ? QStringLiteral("歌舞娱乐放映游艺场所、网吧、商场、寺庙以及地下场所等")
               : QStringLiteral("地上建筑");
}

QString buildingShortName(core::Building building) {
    return building == core::Building::EntertainmentOrUnderground
               ? QStringLiteral("娱乐场所/地下建筑")
               : QStringLiteral("地上建筑");
}

QString agentName(core::Agent agent) {
    return qs(core::agentCaption(agent));
}

QChar ratingLetter(core::FireClass fireClass) {
    return core::ratingClassOf(fireClass) == core::RatingClass::A ? u'A' : u'B';
}

QString ratingText(std::int64_t rating, core::FireClass fireClass) {
    return QString::number(rating) + ratingLetter(fireClass);
}

QString modelText(const core::CandidateModel& model) {
    return qs(model.code) + QStringLiteral(" (") + qs(model.ratingText) + u')';
}

const QString kBasis =
    QStringLiteral("《消防设施通用规范》GB 55036-2022，《建筑灭火器配置设计规范》GB 50140-2005");

QString unitNote(const core::Choices& choices) {
    if (choices.fireClass == core::FireClass::A &&
        (choices.agent == core::Agent::Water || choices.agent == core::Agent::Foam)) {
        return QStringLiteral(
            "A类火灾场所应选用同时适用于A类、E类火灾的灭火器（GB 55036-2022 第10.0.1条）："
            "所选水型/泡沫灭火器须确认可用于E类火灾");
    }
    if (choices.fireClass == core::FireClass::E) {
        QString note = QStringLiteral(
            "E类火灾场所内不能断电的1kV以上带电设备，不应使用灭火器带电扑救"
            "（GB 55036-2022 第10.0.1条）");
        if (choices.agent == core::Agent::CarbonDioxide) {
            note += QStringLiteral(
                "；E类火灾场所不得选用装有金属喇叭喷筒的二氧化碳灭火器（GB 50140-2005 "
                "第4.2.5条）");
        }
        return note;
    }
    return {};
}

QString extinguisherName(core::Mount mount, core::Agent agent) {
    QString name;
    switch (agent) {
        case core::Agent::CarbonDioxide:
            name = QStringLiteral("二氧化碳");
            break;
        case core::Agent::Water:
            name = QStringLiteral("水型");
            break;
        case core::Agent::SodiumBicarbonatePowder:
            name = QStringLiteral("碳酸氢钠干粉");
            break;
        case core::Agent::Foam:
            name = QStringLiteral("化学泡沫");
            break;
        case core::Agent::AmmoniumPhosphatePowder:
            name = QStringLiteral("磷酸铵盐干粉");
            break;
        case core::Agent::Halon1211:
            name = QStringLiteral("1211");
            break;
    }
    return qs(core::mountLabel(mount)) + name + QStringLiteral("灭火器");
}

QString providedRatingText(double rating, core::FireClass fireClass) {
    return qs(core::decimalText(rating)) + ratingLetter(fireClass);
}

// A distance and a count of decimals: a double and an int, never mixed up.
// NOLINTNEXTLINE(bugprone-easily-swappable-parameters)
double farthestRoundedUp(double farthest, int places) {
    const double scale = std::pow(10.0, places);
    double steps = farthest * scale;
    const double nearest = std::round(steps);
    if (std::abs(steps - nearest) <= 1e-6) {
        steps = nearest;
    }
    return std::ceil(steps) / scale;
}

QString reachText(const core::PlacedCover& cover, core::PlacingFault fault) {
    switch (fault) {
        case core::PlacingFault::None:
            break;
        case core::PlacingFault::TooLarge:
            return QStringLiteral("面积超过 %1 m²，未校核").arg(core::kMaxPlacedArea);
        case core::PlacingFault::TooIntricate:
            return QStringLiteral("轮廓超过 %1 个顶点或 %2 个凹角，未校核")
                .arg(core::kMaxPlacedVertices)
                .arg(core::kMaxPlacedCorners);
    }
    if (!std::isfinite(cover.farthest)) {
        // A combined unit's room that no door joins to the rooms with points is out of reach of
        // them all, though they stand in the unit.
        const bool anyInside =
            std::ranges::any_of(cover.shares, [](double share) { return std::isfinite(share); });
        return anyInside ? QStringLiteral("有房间不能到达任一设置点")
                         : QStringLiteral("设置点均不在计算单元内");
    }
    return QStringLiteral("最大 %1 m").arg(farthestRoundedUp(cover.farthest, 1), 0, 'f', 1);
}

QString notCoveredText() {
    return QStringLiteral(
               "设置点未能覆盖全部平面（如有宽度不足 %1 m 的狭窄部分），请在平面图上检查")
        .arg(QString::number(2 * core::kWallClearance));
}

QString clauseDescription(std::string_view clause) {
    static constexpr std::pair<std::string_view, const char*> kClauses[] = {
        {"6.1.1", "一个计算单元内配置的灭火器数量不得少于2具"},
        {"6.1.2", "每个设置点的灭火器配置数量不宜多于5具"},
        {"6.2.1", "单具灭火器不小于最小配置灭火级别"},
        {"7.1.2", "每个设置点实配灭火级别不小于 Qe"},
        {"7.1.3", "设置点数不少于估算值 N₀"},
        {"10.0.3", "全部设置点的实配灭火级别合计不小于 S/U"},
    };
    for (const auto& [number, words] : kClauses) {
        if (number == clause) {
            return qs(clause) + u' ' + QString::fromUtf8(words);
        }
    }
    return qs(clause);
}

QString checkText(const core::UnitDesign& d) {
    if (!d.configured()) {
        return QStringLiteral("不能配置");
    }
    const std::vector<std::string> breached = core::breachedClauses(d.configuration.checks);
    if (breached.empty()) {
        return QStringLiteral("满足");
    }
    QStringList clauses;
    for (const std::string& clause : breached) {
        clauses << qs(clause);
    }
    return QStringLiteral("不满足 ") + clauses.join(u'、');
}

bool failsCheck(const core::UnitDesign& d) {
    return !d.configured() || !core::breachedClauses(d.configuration.checks).empty();
}

QString unconfigurableReason(core::Unconfigurable fault) {
    switch (fault) {
        case core::Unconfigurable::None:
            break;
        case core::Unconfigurable::ClassD:
            return QStringLiteral(
                "D类火灾场所的灭火器配置应根据金属的种类、物态及其特性等研究确定，不编制计算"
                "书");
        case core::Unconfigurable::AreaInvalid:
            return QStringLiteral("建筑面积无法计算，不能编制计算书");
        case core::Unconfigurable::NothingRequired:
            return QStringLiteral("需配灭火级别为 0，不需编制计算书");
        case core::Unconfigurable::NoAdequateModel:
            return QStringLiteral("表中没有满足最低配置基准的灭火器规格，请另选灭火器类型");
    }
    return {};
}

QString combineRefusalText(const core::Project& project, const core::CombineRefusal& refusal) {
    const auto name = [&project](std::size_t i) {
        return i < project.units.size() ? qs(project.units[i].name) : QString();
    };
    const QString unit = name(refusal.unit);
    const QString first = name(refusal.first);
    const QString clause = QStringLiteral("，不能合并为组合单元（GB 50140-2005 第7.2.1条）");
    switch (refusal.fault) {
        case core::CombineFault::OtherFloor:
            return QStringLiteral("「%1」与「%2」不在同一楼层").arg(unit, first) + clause;
        case core::CombineFault::OtherClass:
            return QStringLiteral("「%1」的火灾种类与「%2」不同").arg(unit, first) + clause;
        case core::CombineFault::OtherHazard:
            return QStringLiteral("「%1」的危险等级与「%2」不同").arg(unit, first) + clause;
        case core::CombineFault::NoOutline:
            return QStringLiteral("「%1」没有房间轮廓，不能合并为组合单元").arg(unit);
        case core::CombineFault::TooFew:
        case core::CombineFault::None:
            break;
    }
    return QStringLiteral("请选择两个或更多计算单元");
}

}  // namespace documents
