// write_outputs_sample PATH [NAME [NUMBER [DATE]]]: writes the sample building's workbook to PATH
// for check_workbook.py, the project named NAME with the number and the date (yyyy-MM-dd) given.
// write_outputs_sample PATH --placed: the sample with a corridor and an L whose setting points are
// placed on their plan after it, the L on a floor of its own drawn in metres, then a room whose
// point lies outside it and one too large to check.
// write_outputs_sample PATH --combined: the office floor of placed_rooms.h made one combined unit.
#include <QCoreApplication>
#include <QDate>
#include <QString>
#include <chrono>
#include <cstdio>

#include "outputs_sample.h"
#include "placed_rooms.h"
#include "workbook.h"

int main(int argc, char** argv) {
    const QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();  // whole on Windows too
    core::Project project = tests::outputsSample();
    if (arguments.value(2) == QStringLiteral("--placed")) {
        project.units.push_back(tests::placedCorridor());
        core::Unit hall = tests::placedL();
        hall.location = "二层";
        hall.plan = core::PlanSource{"二层.dxf", "房间", "2A", "m", "二层"};
        project.units.push_back(hall);
        // A point that a new outline left outside, and a room too large to check.
        project.units.push_back(
            tests::placedRoom("储藏室", tests::kLOutline, {{12, 12}}, core::Hazard::Medium));
        project.units.push_back(tests::placedRoom("库房", {{0, 0}, {201, 0}, {201, 201}, {0, 201}},
                                                  {{100, 100}}, core::Hazard::Medium));
    } else if (arguments.value(2) == QStringLiteral("--combined")) {
        project = tests::combinedOffices();
    } else if (arguments.size() > 2) {
        project.name = arguments[2].toStdString();
    }
    if (arguments.size() > 3) {
        project.info.number = arguments[3].toStdString();
    }
    if (arguments.size() > 4) {
        const QDate date = QDate::fromString(arguments[4], Qt::ISODate);
        project.info.date = std::chrono::year(date.year()) / date.month() / date.day();
    }
    const documents::WriteOutcome outcome = documents::writeWorkbook(project, arguments.value(1));
    std::fputs(outcome.error.toUtf8().constData(), stderr);
    return outcome.written() ? 0 : 1;
}
