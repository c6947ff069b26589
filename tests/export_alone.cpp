// The command line's export linked alone: a calculation book or workbook written with no widget
// library in the process. CMake's test checks with ldd that QtWidgets is not loaded.
#include <QGuiApplication>

#include "export_command.h"

int main(int argc, char** argv) {
    QGuiApplication application(argc, argv);
    const QStringList arguments = QGuiApplication::arguments();
    if (arguments.size() != 3) {
        return 2;
    }
    return app::exportProject({arguments.at(2), arguments.at(1)});
}
