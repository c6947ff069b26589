#include "app_identity.h"

#include <QGuiApplication>

namespace app {

QIcon applicationIcon() {
    return QIcon(QStringLiteral(":/icons/" APPLICATION_ID ".svg"));
}

void identifyApplication() {
    QGuiApplication::setDesktopFileName(QStringLiteral(APPLICATION_ID));
    QGuiApplication::setWindowIcon(applicationIcon());
}

}  // namespace app
