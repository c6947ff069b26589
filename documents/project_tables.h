#pragma once

#include <QMimeData>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "catalogue.h"
#include "choices.h"
#include "floor_layout.h"
#include "project.h"

// The building's tables: the schedule of every unit's extinguishers (灭火器配置表) and the bill of
// materials (材料表), as the cell texts that the copies and the calculation book show.
namespace documents {

// Why the project's book, workbook or print cannot be made: "工程中没有计算单元。" for a project
// without units. The project window and the command line's export both refuse with it.
[[nodiscard]] std::optional<QString> exportRefusal(const core::Project& project);
// What an export of the book or workbook warns of: "有 2 个计算单元不满足校核" where units
// cannot be configured or break a clause; nothing where every unit passes. The project window
// asks whether to export all the same; the command line warns and exports.
[[nodiscard]] std::optional<QString> failingUnitsWarning(const core::Project& project);

// The design of each unit, in project order.
[[nodiscard]] std::vector<core::UnitDesign> designs(const core::Project& project);

// The headings of the schedule and of the bill of materials.
[[nodiscard]] const QStringList& scheduleHeadings();
[[nodiscard]] const QStringList& materialHeadings();

// The schedule: the headings, one row per unit in project order, then 合计 with the number of
// extinguishers in all. A unit that cannot be configured has "不能配置" in 校核 and no model.
[[nodiscard]] std::vector<QStringList> scheduleRows(const core::Project& project);
// The same from designs already made, one per unit.
[[nodiscard]] std::vector<QStringList> scheduleRows(const core::Project& project,
                                                    std::span<const core::UnitDesign> designs);

// The floor's table beside its plan in the book and the layout drawing's legend: 序号, 计算单元,
// 火灾种类, 危险等级, 灭火器型号, 设置点数 and 灭火器数量(具) of each of its units as the schedule
// gives them, then 合计 of the points and the extinguishers of the units that can be configured.
// rows[0] holds the headings.
[[nodiscard]] std::vector<QStringList> floorTableRows(const core::Project& project,
                                                      std::span<const core::UnitDesign> designs,
                                                      const core::FloorLayout& floor);
// The line under a floor's table: "按 GB 50140-2005、GB 55036-2022 配置".
extern const QString kPlanBasis;

// One model of the catalogue and how many the building takes.
struct Material {
    core::Agent agent = core::Agent::AmmoniumPhosphatePowder;
    const core::Model* model = nullptr;  // in core::models(agent)
    std::int64_t count = 0;
};

// The models the configured units use, each once, in catalogue order (agent as in core::kAgents,
// then row), with their numbers summed over the units. A model is its agent and code: the same
// code serves units of different fire classes.
[[nodiscard]] std::vector<Material> materials(const core::Project& project,
                                              std::span<const core::UnitDesign> designs);

// The bill of materials: 序号, 名称, 型号, 规格, 数量, 单位 and one row per model.
[[nodiscard]] std::vector<QStringList> materialRows(const core::Project& project);
[[nodiscard]] std::vector<QStringList> materialRows(std::span<const Material> materials);

// 复制配置表 and 复制材料表.
[[nodiscard]] std::unique_ptr<QMimeData> scheduleMimeData(const core::Project& project);
[[nodiscard]] std::unique_ptr<QMimeData> materialMimeData(const core::Project& project);

}  // namespace documents
