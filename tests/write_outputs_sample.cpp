// write_outputs_sample PATH [NAME [NUMBER [DATE]]]: writes the sample building's workbook to PATH
// for check_workbook.py, the project named NAME with the number and the date (yyyy-MM-dd) given.
#include <QDate>
#include <QString>
#include <chrono>
#include <cstdio>

#include "outputs_sample.h"
#include "workbook.h"

int main(int argc, char** argv) {
    if (argc < 2 || argc > 5) {
        std::fputs("usage: write_outputs_sample PATH [NAME [NUMBER [DATE]]]\n", stderr);
        return 2;
    }
    core::Project project = tests::outputsSample();
    if (argc > 2) {
        project.name = argv[2];
    }
    if (argc > 3) {
        project.info.number = argv[3];
    }
    if (argc > 4) {
        const QDate date = QDate::fromString(QString::fromUtf8(argv[4]), Qt::ISODate);
        if (!date.isValid()) {
            std::fputs("write_outputs_sample: the date is not yyyy-MM-dd\n", stderr);
            return 2;
        }
        project.info.date = std::chrono::year_month_day(
            std::chrono::year(date.year()), std::chrono::month(static_cast<unsigned>(date.month())),
            std::chrono::day(static_cast<unsigned>(date.day())));
    }
    const documents::WriteOutcome outcome =
        documents::writeWorkbook(project, QString::fromLocal8Bit(argv[1]));
    std::fputs(outcome.error.toLocal8Bit().constData(), stderr);
    return outcome.written() ? 0 : 1;
}
