// Writes the sample building's workbook to the path given, for check_workbook.py.
#include <QString>
#include <cstdio>

#include "outputs_sample.h"
#include "workbook.h"

int main(int argc, char** argv) {
    const documents::WriteOutcome outcome = documents::writeWorkbook(
        tests::outputsSample(), QString::fromLocal8Bit(argc == 2 ? argv[1] : ""));
    std::fputs(outcome.error.toLocal8Bit().constData(), stderr);
    return outcome.written() ? 0 : 1;
}
