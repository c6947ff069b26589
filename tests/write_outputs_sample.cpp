// Writes the sample building's workbook to the path given, for check_workbook.py.
#include <QString>
#include <cstdio>

#include "outputs_sample.h"
#include "workbook.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: write_outputs_sample FILE.xlsx\n", stderr);
        return 2;
    }
    const documents::WriteOutcome outcome =
        documents::writeWorkbook(tests::outputsSample(), QString::fromLocal8Bit(argv[1]));
    if (!outcome.written()) {
        std::fputs(outcome.error.toLocal8Bit().constData(), stderr);
        return 1;
    }
    return 0;
}
