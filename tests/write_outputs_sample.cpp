// write_outputs_sample PATH [NAME [NUMBER [DATE]]]: writes the sample building's workbook to PATH
// for check_workbook.py, the project named NAME with the number and the date (yyyy-MM-dd) given.
#include <QDate>
#include <QString>
#include <chrono>
#include <cstdio>

#include "outputs_sample.h"
#include "workbook.h"

int main(int argc, char** argv) {
    core::Project project = tests::outputsSample();
    if (argc > 2) {
        project.name = argv[2];
    }
    if (argc > 3) {
        project.info.number = argv[3];
    }
    if (argc > 4) {
        const QDate date = QDate::fromString(QString::fromUtf8(argv[4]), Qt::ISODate);
        project.info.date = std::chrono::year(date.year()) / date.month() / date.day();
    }
    const documents::WriteOutcome outcome =
        documents::writeWorkbook(project, QString::fromLocal8Bit(argc > 1 ? argv[1] : ""));
    std::fputs(outcome.error.toLocal8Bit().constData(), stderr);
    return outcome.written() ? 0 : 1;
}
