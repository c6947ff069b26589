// write_layout_sample PROJECT FLOOR OUT: writes the floor's layout drawing of the project file to
// OUT for check_dxf.py and reads it back with the program's own reader; lists on standard output
// each configured unit's 序号, model and extinguishers per point.
#include <QCoreApplication>
#include <cstdio>
#include <variant>

#include "dxf_reader.h"
#include "layout_dxf.h"
#include "project_file.h"

int main(int argc, char** argv) {
    const QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    const auto read = io::readProject(arguments.value(1));
    const auto* project = std::get_if<core::Project>(&read);
    const documents::WriteOutcome outcome =
        project == nullptr
            ? documents::WriteOutcome{documents::WriteStatus::Failed, std::get<QString>(read)}
            : documents::writeLayoutDxf(*project, arguments.value(2).toStdString(),
                                        arguments.value(3));
    const auto back = io::readDxf(arguments.value(3));
    if (!outcome.written() || std::holds_alternative<QString>(back)) {
        const QString error = outcome.written() ? std::get<QString>(back) : outcome.error;
        std::fputs(error.toUtf8().constData(), stderr);
        return 1;
    }
    for (std::size_t i = 0; i < project->units.size(); ++i) {
        if (const core::UnitDesign design = core::design(project->units[i]); design.configured()) {
            std::printf("%zu\t%s\t%lld\n", i + 1, design.chosenModel().code.c_str(),
                        static_cast<long long>(design.configuration.perPoint));
        }
    }
    return 0;
}
