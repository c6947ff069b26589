#include "project_model.h"

#include <QBrush>
#include <QColor>
#include <QFont>
#include <QStringList>
#include <QUndoStack>
#include <algorithm>
#include <cmath>
#include <iterator>
#include <memory>
#include <utility>

#include "number_text.h"
#include "project_commands.h"
#include "schedule_columns.h"
#include "unit_texts.h"
#include "utf8_text.h"

namespace ui {

// The table's columns are the schedule's, as the window shows them.
static_assert(ProjectModel::ColumnCount == documents::kWindowColumns);

namespace {

bool hasCandidate(const core::UnitConditions& conditions, const std::string& code) {
    return std::ranges::find(conditions.candidates, code, &core::CandidateModel::code) !=
           conditions.candidates.end();
}

// A whole number as QVariant::toInt reads it, only when the variant holds one.
std::optional<int> wholeNumber(const QVariant& value) {
    bool ok = false;
    const int n = value.toInt(&ok);
    return ok ? std::optional<int>(n) : std::nullopt;
}

template <typename Enum>
std::optional<Enum> enumValue(const QVariant& value, Enum last) {
    const std::optional<int> n = wholeNumber(value);
    if (!n || *n < 0 || *n > static_cast<int>(last)) {
        return std::nullopt;
    }
    return static_cast<Enum>(*n);
}

bool breaches(const core::ClauseChecks& c) {
    return !(c.atLeastTwo && c.atMostFivePerPoint && c.reachesMinimum && c.pointReachesQe &&
             c.enoughPoints && c.reachesAreaRating);
}

QString checkToolTip(const core::Unit& unit, const core::UnitDesign& d) {
    QStringList lines;
    if (!d.configured()) {
        lines << documents::unconfigurableReason(d.fault);
    } else {
        const std::vector<std::string> breached = core::breachedClauses(d.configuration.checks);
        if (!breached.empty()) {
            lines << QStringLiteral("不满足：");
            for (const std::string& clause : breached) {
                // Placed points that no longer reach the whole room: R or the outline changed
                // since they were placed.
                lines << (clause == "7.1.3" && d.cover
                              ? QStringLiteral("7.1.3 保护距离或平面已变，请重新布置设置点")
                              : documents::clauseDescription(clause));
            }
        }
    }
    if (const QString note = documents::unitNote(unit.choices); !note.isEmpty()) {
        lines << QStringLiteral("注：") + note;
    }
    return lines.join(u'\n');
}

}  // namespace

ProjectModel::ProjectModel(QUndoStack* undoStack, QObject* parent)
    : QAbstractTableModel(parent), undoStack_(undoStack) {}

int ProjectModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(project_.units.size());
}

int ProjectModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

const core::Unit& ProjectModel::unit(int row) const {
    return project_.units.at(static_cast<std::size_t>(row));
}

const core::UnitDesign& ProjectModel::unitDesign(int row) const {
    return designs_.at(static_cast<std::size_t>(row));
}

bool ProjectModel::checkFails(int row) const {
    const core::UnitDesign& d = unitDesign(row);
    return !d.configured() || breaches(d.configuration.checks);
}

void ProjectModel::previewCover(int row, bool proven) {
    if (row < 0 || row >= rowCount() || !unitDesign(row).cover) {
        endPreview();
        return;
    }
    if (row == previewRow_ && preview_.cover->proven == proven) {
        return;
    }
    endPreview();
    previewRow_ = row;
    preview_ = unitDesign(row);
    preview_.cover->proven = proven;
    preview_.configuration.checks.enoughPoints = proven;
    emit dataChanged(index(row, Check), index(row, Check));
}

void ProjectModel::endPreview() {
    if (const int row = std::exchange(previewRow_, -1); row >= 0 && row < rowCount()) {
        emit dataChanged(index(row, Check), index(row, Check));
    }
}

QVariant ProjectModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
        section < ColumnCount) {
        return QString::fromUtf8(documents::windowColumn(section).windowHeading);
    }
    return QAbstractTableModel::headerData(section, orientation, role);
}

Qt::ItemFlags ProjectModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    if (!index.isValid() || readOnly_) {
        return flags;
    }
    const core::UnitDesign& d = unitDesign(index.row());
    switch (index.column()) {
        case Location:
        case Name:
        case FireClass:
        case Hazard:
        case Factor:
        case Building:
        case Area:
        case Agent:
            return flags | Qt::ItemIsEditable;
        case Model:
            // Without a configuration there is nothing to choose from.
            return d.configured() ? flags | Qt::ItemIsEditable : flags;
        case Points:
            // Placed points give N; they are placed again, not typed.
            return d.configured() && !d.cover ? flags | Qt::ItemIsEditable : flags;
        default:
            return flags;
    }
}

QVariant ProjectModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) {
        return {};
    }
    const core::Unit& u = unit(index.row());
    const int column = index.column();
    const core::UnitDesign& d =
        index.row() == previewRow_ && column == Check ? preview_ : unitDesign(index.row());
    const core::Choices& c = u.choices;

    if (role == Qt::EditRole) {
        switch (column) {
            case Location:
                return documents::qs(u.location);
            case Name:
                return documents::qs(u.name);
            case FireClass:
                return static_cast<int>(c.fireClass);
            case Hazard:
                return static_cast<int>(c.hazard);
            case Factor:
                return static_cast<int>(c.factor);
            case Building:
                return static_cast<int>(c.building);
            case Area:
                return c.area;
            case Agent:
                return static_cast<int>(c.agent);
            case Model:
                return u.model ? documents::qs(*u.model) : QString();
            case Points:
                return u.points ? QVariant(*u.points) : QVariant();
            default:
                break;
        }
        // The derived columns are copied as they read.
        return data(index, Qt::DisplayRole);
    }

    if (role == Qt::TextAlignmentRole) {
        return QVariant(
            (documents::windowColumn(column).alignRight ? Qt::AlignRight : Qt::AlignLeft) |
            Qt::AlignVCenter);
    }

    if (role == Qt::ForegroundRole && column == Check &&
        (!d.configured() || breaches(d.configuration.checks))) {
        return QBrush(kCheckFailedColor);
    }

    // An area typed over the one the floor plan gives is marked: set in italics, with the plan's.
    if (role == Qt::FontRole && column == Area && core::areaTypedByHand(u)) {
        QFont font;
        font.setItalic(true);
        return font;
    }

    if (role == Qt::ToolTipRole) {
        switch (column) {
            case Area:
                if (core::areaTypedByHand(u)) {
                    return QStringLiteral("面积已手动修改，平面图面积为 %1 m²")
                        .arg(documents::qs(core::decimalText(core::outlineArea(u).value_or(0))));
                }
                return {};
            case Check:
                return checkToolTip(u, d);
            case Model:
                if (d.configured() && !d.modelChosen) {
                    return u.model ? QStringLiteral("所设规格 %1 不满足要求，按自动选用的规格配置")
                                         .arg(documents::qs(*u.model))
                                   : QStringLiteral("自动选用");
                }
                return {};
            case Points:
                if (d.cover) {
                    return QStringLiteral(
                               "按平面布置，共 %1 个设置点；在平面图中编辑（估算值 N₀ = %2）")
                        .arg(u.setPoints.size())
                        .arg(d.configuration.estimate);
                }
                if (d.configured() && !u.points) {
                    return QStringLiteral("按估算值 N₀ = %1").arg(d.configuration.estimate);
                }
                return {};
            default:
                return {};
        }
    }

    if (role != Qt::DisplayRole) {
        return {};
    }
    const documents::ScheduleColumn& shown = documents::windowColumn(column);
    const documents::ScheduleRow row{static_cast<std::size_t>(index.row()), u, d};
    if (shown.windowValue) {
        return shown.windowValue(row);
    }
    if (shown.derived && !d.configured()) {
        return {};
    }
    return shown.text(row);
}

std::optional<core::Unit> ProjectModel::edited(const core::Unit& unit, int column,
                                               const QVariant& value) {
    core::Unit out = unit;
    core::Choices& c = out.choices;
    switch (column) {
        case Location:
        case Name: {
            const QString text = value.toString();
            if (text.size() > core::kMaxNameLength) {
                return std::nullopt;
            }
            (column == Name ? out.name : out.location) = io::utf8(text);
            break;
        }
        case FireClass: {
            const auto fireClass = enumValue(value, core::FireClass::E);
            if (!fireClass || *fireClass == core::FireClass::D) {
                return std::nullopt;
            }
            c.fireClass = *fireClass;
            if (!core::agentAllowed(c.fireClass, c.agent)) {
                c.agent = core::Agent::AmmoniumPhosphatePowder;
            }
            break;
        }
        case Hazard: {
            const auto hazard = enumValue(value, core::Hazard::Serious);
            if (!hazard) {
                return std::nullopt;
            }
            c.hazard = *hazard;
            break;
        }
        case Factor: {
            const auto factor = enumValue(value, core::Factor::K03);
            if (!factor) {
                return std::nullopt;
            }
            c.factor = *factor;
            break;
        }
        case Building: {
            const auto building = enumValue(value, core::Building::EntertainmentOrUnderground);
            if (!building) {
                return std::nullopt;
            }
            c.building = *building;
            break;
        }
        case Agent: {
            const auto agent = enumValue(value, core::Agent::Halon1211);
            if (!agent || !core::agentAllowed(c.fireClass, *agent)) {
                return std::nullopt;
            }
            c.agent = *agent;
            break;
        }
        case Area: {
            bool ok = false;
            const double area = value.toDouble(&ok);
            if (!ok || !std::isfinite(area) || area < 0 || area > core::kMaxUnitArea) {
                return std::nullopt;
            }
            c.area = area;
            break;
        }
        case Model: {
            const QString code = value.toString().trimmed();
            if (code.isEmpty()) {
                out.model.reset();
                break;
            }
            const auto conditions = core::conditionsOf(c);
            if (!conditions || !hasCandidate(*conditions, io::utf8(code))) {
                return std::nullopt;
            }
            out.model = io::utf8(code);
            break;
        }
        case Points: {
            if (value.isNull() || value.toString().trimmed().isEmpty()) {
                out.points.reset();
                break;
            }
            const std::optional<int> n = wholeNumber(value);
            if (!n || *n < 1 || *n > core::kMaxPoints) {
                return std::nullopt;
            }
            out.points = *n;
            break;
        }
        default:
            return std::nullopt;
    }
    // A model that the new choices no longer count as adequate gives way to the default.
    if (out.model && column != Model) {
        const auto conditions = core::conditionsOf(c);
        if (!conditions || !hasCandidate(*conditions, *out.model)) {
            out.model.reset();
        }
    }
    return out;
}

bool ProjectModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || !index.isValid() || !(flags(index) & Qt::ItemIsEditable)) {
        return false;
    }
    const core::Unit& before = unit(index.row());
    const std::optional<core::Unit> after = edited(before, index.column(), value);
    if (!after) {
        return false;
    }
    if (*after != before) {
        undoStack_->push(new ReplaceUnitCommand(
            this, index.row(), before, *after,
            QStringLiteral("修改%1").arg(
                headerData(index.column(), Qt::Horizontal, Qt::DisplayRole).toString())));
    }
    return true;
}

QStringList ProjectModel::setDataOfRows(const std::vector<int>& rows, int column,
                                        const QVariant& value) {
    QStringList refused;
    const QString text = QStringLiteral("修改%1").arg(
        headerData(column, Qt::Horizontal, Qt::DisplayRole).toString());
    auto step = std::make_unique<QUndoCommand>(text);
    for (const int row : rows) {
        const core::Unit& before = unit(row);
        const std::optional<core::Unit> after = flags(index(row, column)) & Qt::ItemIsEditable
                                                    ? edited(before, column, value)
                                                    : std::nullopt;
        if (!after) {
            refused << documents::qs(before.name);
        } else if (*after != before) {
            new ReplaceUnitCommand(this, row, before, *after, QString(), step.get());
        }
    }
    if (step->childCount() > 0) {
        undoStack_->push(step.release());
    }
    return refused;
}

ProjectModel::Summary ProjectModel::summary() const {
    Summary s;
    s.units = rowCount();
    for (const core::UnitDesign& d : designs_) {
        if (!d.configured()) {
            ++s.unconfigurable;
            continue;
        }
        s.extinguishers += d.configuration.total;
        if (breaches(d.configuration.checks)) {
            ++s.breaching;
        }
    }
    return s;
}

void ProjectModel::setProject(core::Project project) {
    beginResetModel();
    previewRow_ = -1;
    project_ = std::move(project);
    designs_.clear();
    designs_.reserve(project_.units.size());
    for (const core::Unit& u : project_.units) {
        designs_.push_back(core::design(u));
    }
    endResetModel();
    emit detailsChanged();
}

void ProjectModel::replaceUnit(int row, const core::Unit& unit) {
    const auto at = static_cast<std::size_t>(row);
    project_.units.at(at) = unit;
    designs_.at(at) = core::design(unit);
    if (row == previewRow_) {
        previewRow_ = -1;
    }
    emit dataChanged(index(row, 0), index(row, ColumnCount - 1));
}

void ProjectModel::insertUnits(int row, std::span<const core::Unit> units) {
    if (units.empty()) {
        return;
    }
    const auto count = static_cast<int>(units.size());
    previewRow_ = -1;  // the rows it was for move
    beginInsertRows({}, row, row + count - 1);
    project_.units.insert(project_.units.begin() + row, units.begin(), units.end());
    std::vector<core::UnitDesign> designs;
    designs.reserve(units.size());
    for (const core::Unit& unit : units) {
        designs.push_back(core::design(unit));
    }
    designs_.insert(designs_.begin() + row, std::make_move_iterator(designs.begin()),
                    std::make_move_iterator(designs.end()));
    endInsertRows();
    // The numbers of the rows below have moved on.
    if (row + count < rowCount()) {
        emit dataChanged(index(row + count, Number), index(rowCount() - 1, Number));
    }
}

void ProjectModel::removeUnits(int row, int count) {
    if (count <= 0) {
        return;
    }
    previewRow_ = -1;  // the rows it was for move
    beginRemoveRows({}, row, row + count - 1);
    project_.units.erase(project_.units.begin() + row, project_.units.begin() + row + count);
    designs_.erase(designs_.begin() + row, designs_.begin() + row + count);
    endRemoveRows();
    if (row < rowCount()) {
        emit dataChanged(index(row, Number), index(rowCount() - 1, Number));
    }
}

void ProjectModel::moveUnit(int from, int to) {
    if (from == to) {
        return;
    }
    previewRow_ = -1;  // the rows it was for move
    // beginMoveRows takes the row the unit goes before, in the list as it was.
    beginMoveRows({}, from, from, {}, to > from ? to + 1 : to);
    const auto f = static_cast<std::size_t>(from);
    core::Unit moved = std::move(project_.units[f]);
    core::UnitDesign movedDesign = std::move(designs_[f]);
    project_.units.erase(project_.units.begin() + from);
    designs_.erase(designs_.begin() + from);
    project_.units.insert(project_.units.begin() + to, std::move(moved));
    designs_.insert(designs_.begin() + to, std::move(movedDesign));
    endMoveRows();
    emit dataChanged(index(std::min(from, to), Number), index(std::max(from, to), Number));
}

void ProjectModel::setReadOnly(bool readOnly) {
    readOnly_ = readOnly;  // the views ask flags() whenever an edit would start
}

void ProjectModel::setDoors(std::vector<core::PlanDoor> doors,
                            std::vector<core::PlanFloor> floors) {
    project_.doors = std::move(doors);
    project_.floors = std::move(floors);
    emit doorsChanged();
}

void ProjectModel::setDetails(const ProjectDetails& details) {
    project_.name = details.name;
    project_.info = details.info;
    emit detailsChanged();
}

}  // namespace ui
