#include "app_identity.h"

#include <QFont>
#include <QGuiApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace app {

QIcon applicationIcon() {
    QIcon icon(QStringLiteral(":/icons/" APPLICATION_ID ".svg"));
    if (icon.isNull()) {
        // No SVG plugins (the Windows build): the PNGs drawn from the SVG when it was built.
        for (const int size : {16, 24, 32, 48, 64, 256}) {
            icon.addFile(QStringLiteral(":/icons/" APPLICATION_ID "/%1.png").arg(size));
        }
    }
    return icon;
}

void identifyApplication() {
    QGuiApplication::setDesktopFileName(QStringLiteral(APPLICATION_ID));
    QGuiApplication::setWindowIcon(applicationIcon());
}

void useChineseTexts() {
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
    // A window font that covers Chinese, so that the first text measured does not search the
    // system's fonts for one.
    QFont font = QGuiApplication::font();
    font.setFamilies(
        {QStringLiteral("WenQuanYi Zen Hei"), QStringLiteral("Noto Sans CJK SC"), font.family()});
    QGuiApplication::setFont(font);
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    auto* translator = new QTranslator(qApp);
    if (translator->load(QStringLiteral("qtbase_zh_CN"), folder)) {
        QCoreApplication::installTranslator(translator);
    } else {
        qWarning("Qt's Chinese texts were not found in %s", qPrintable(folder));
        delete translator;
    }
}

}  // namespace app
