#include "project_tables.h"

#include <QStringBuilder>
#include <algorithm>
#include <iterator>
#include <map>
#include <utility>

#include "schedule_columns.h"
#include "table_clipboard.h"
#include "unit_texts.h"

namespace documents {

const QString kPlanBasis = QStringLiteral("按 GB 50140-2005、GB 55036-2022 配置");

namespace {

const QStringList kMaterialHeadingTexts = {
    QStringLiteral("序号"), QStringLiteral("名称"), QStringLiteral("型号"),
    QStringLiteral("规格"), QStringLiteral("数量"), QStringLiteral("单位"),
};

QStringList scheduleRow(std::size_t index, const core::Unit& unit, const core::UnitDesign& d) {
    QStringList row;
    for (const ScheduleColumn& column : kScheduleColumns) {
        if (shownInBook(column)) {
            row << scheduleText(column, {index, unit, d});
        }
    }
    return row;
}

}  // namespace

const QStringList& scheduleHeadings() {
    static const QStringList kHeadings = [] {
        QStringList headings;
        for (const ScheduleColumn& column : kScheduleColumns) {
            if (shownInBook(column)) {
                headings << QString::fromUtf8(column.heading);
            }
        }
        return headings;
    }();
    return kHeadings;
}

const QStringList& materialHeadings() {
    return kMaterialHeadingTexts;
}

std::optional<QString> exportRefusal(const core::Project& project) {
    if (project.units.empty()) {
        return QStringLiteral("工程中没有计算单元。");
    }
    return std::nullopt;
}

std::optional<QString> failingUnitsWarning(const core::Project& project) {
    const auto failing = std::ranges::count_if(
        project.units, [](const core::Unit& unit) { return failsCheck(core::design(unit)); });
    if (failing == 0) {
        return std::nullopt;
    }
    return QStringLiteral("有 %1 个计算单元不满足校核").arg(failing);
}

std::vector<core::UnitDesign> designs(const core::Project& project) {
    std::vector<core::UnitDesign> out;
    out.reserve(project.units.size());
    std::ranges::transform(project.units, std::back_inserter(out), core::design);
    return out;
}

std::vector<QStringList> scheduleRows(const core::Project& project) {
    return scheduleRows(project, designs(project));
}

std::vector<QStringList> scheduleRows(const core::Project& project,
                                      std::span<const core::UnitDesign> unitDesigns) {
    std::vector<QStringList> rows;
    rows.reserve(project.units.size() + 2);
    rows.push_back(scheduleHeadings());
    std::int64_t total = 0;
    for (std::size_t i = 0; i < project.units.size() && i < unitDesigns.size(); ++i) {
        rows.push_back(scheduleRow(i, project.units[i], unitDesigns[i]));
        if (unitDesigns[i].configured()) {
            total += unitDesigns[i].configuration.total;
        }
    }
    QStringList sum;
    for (const ScheduleColumn& column : kScheduleColumns) {
        if (shownInBook(column)) {
            sum << (column.summed ? QString::number(total) : QString());
        }
    }
    sum[0] = QStringLiteral("合计");
    rows.push_back(sum);
    return rows;
}

std::vector<Material> materials(const core::Project& project,
                                std::span<const core::UnitDesign> unitDesigns) {
    // Keyed by the agent's place in kAgents and the model's place in its table: catalogue order.
    std::map<std::pair<std::size_t, std::size_t>, std::int64_t> counts;
    for (std::size_t i = 0; i < project.units.size() && i < unitDesigns.size(); ++i) {
        const core::UnitDesign& d = unitDesigns[i];
        if (!d.configured()) {
            continue;
        }
        const core::Agent agent = project.units[i].choices.agent;
        const auto table = core::models(agent);
        const auto model = std::ranges::find(table, d.chosenModel().code, &core::Model::code);
        if (model == table.end()) {
            continue;  // every candidate comes from the agent's table
        }
        const auto agentIndex = static_cast<std::size_t>(std::ranges::find(core::kAgents, agent) -
                                                         core::kAgents.begin());
        counts[{agentIndex, static_cast<std::size_t>(model - table.begin())}] +=
            d.configuration.total;
    }
    std::vector<Material> out;
    out.reserve(counts.size());
    for (const auto& [key, count] : counts) {
        const core::Agent agent = core::kAgents.at(key.first);
        out.push_back({agent, &core::models(agent)[key.second], count});
    }
    return out;
}

std::vector<QStringList> materialRows(const core::Project& project) {
    return materialRows(materials(project, designs(project)));
}

std::vector<QStringList> materialRows(std::span<const Material> list) {
    std::vector<QStringList> rows;
    rows.reserve(list.size() + 1);
    rows.push_back(materialHeadings());
    int number = 0;
    for (const Material& m : list) {
        rows.push_back({QString::number(++number), extinguisherName(m.model->mount, m.agent),
                        qs(m.model->code), qs(m.model->charge), QString::number(m.count),
                        QStringLiteral("具")});
    }
    return rows;
}

std::unique_ptr<QMimeData> scheduleMimeData(const core::Project& project) {
    return tableMimeData(scheduleRows(project), true);
}

std::unique_ptr<QMimeData> materialMimeData(const core::Project& project) {
    return tableMimeData(materialRows(project), true);
}

namespace {

// The schedule's columns that a floor's table shows, in order.
constexpr const char* kFloorColumns[] = {"序号",       "计算单元", "火灾种类",      "危险等级",
                                         "灭火器型号", "设置点数", "灭火器数量(具)"};

const ScheduleColumn& scheduleColumn(const char* heading) {
    return *std::ranges::find_if(kScheduleColumns, [heading](const ScheduleColumn& column) {
        return std::string_view(column.heading) == heading;
    });
}

}  // namespace

std::vector<QStringList> floorTableRows(const core::Project& project,
                                        std::span<const core::UnitDesign> designs,
                                        const core::FloorLayout& floor) {
    std::vector<QStringList> rows(1);
    for (const char* heading : kFloorColumns) {
        rows.front() << QString::fromUtf8(heading);
    }
    std::int64_t points = 0;
    std::int64_t extinguishers = 0;
    for (const std::size_t index : floor.units) {
        const core::UnitDesign& design = designs[index];
        const ScheduleRow row{index, project.units[index], design};
        QStringList cells;
        for (const char* heading : kFloorColumns) {
            cells << scheduleText(scheduleColumn(heading), row);
        }
        rows.push_back(cells);
        if (design.configured()) {
            points += design.configuration.points;
            extinguishers += design.configuration.total;
        }
    }
    rows.push_back({QStringLiteral("合计"),
                    {},
                    {},
                    {},
                    {},
                    QString::number(points),
                    QString::number(extinguishers)});
    return rows;
}

}  // namespace documents
