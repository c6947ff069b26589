// write_layout_sample PROJECT FLOOR OUT: writes the floor's layout drawing of the project file to
// OUT for check_dxf.py, reads it back with the program's own reader, and lists on standard output
// each unit's 序号, model and number of extinguishers per point.
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
    if (const auto* error = std::get_if<QString>(&read)) {
        std::fputs(error->toUtf8().constData(), stderr);
        return 1;
    }
    const auto& project = std::get<core::Project>(read);
    const documents::WriteOutcome outcome =
        documents::writeLayoutDxf(project, arguments.value(2).toStdString(), arguments.value(3));
    if (!outcome.written()) {
        std::fputs(outcome.error.toUtf8().constData(), stderr);
        return 1;
    }
    const auto back = io::readDxf(arguments.value(3));
    if (const auto* error = std::get_if<QString>(&back)) {
        std::fputs(error->toUtf8().constData(), stderr);
        return 1;
    }
    for (std::size_t i = 0; i < project.units.size(); ++i) {
        const core::UnitDesign design = core::design(project.units[i]);
        if (design.configured()) {
            std::printf("%zu\t%s\t%lld\n", i + 1, design.chosenModel().code.c_str(),
                        static_cast<long long>(design.configuration.perPoint));
        }
    }
    return 0;
}
