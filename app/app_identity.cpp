#include "app_identity.h"

#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace app {

QIcon applicationIcon() {
    const QIcon svg(QStringLiteral(":/icons/" APPLICATION_ID ".svg"));
    if (!svg.pixmap(16).isNull()) {
        return svg;
    }
    // No SVG plugins (the Windows build): the PNGs of each size that the build drew from the SVG.
    QIcon png;
    const QDir folder(QStringLiteral(":/icons/" APPLICATION_ID));
    for (const QString& name : folder.entryList({QStringLiteral("*.png")})) {
        png.addFile(folder.filePath(name));
    }
    return png;
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
    const QStringList folders{
        QLibraryInfo::path(QLibraryInfo::TranslationsPath),
        QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("translations"))};
    auto* translator = new QTranslator(qApp);
    for (const QString& folder : folders) {
        if (translator->load(QStringLiteral("qtbase_zh_CN"), folder)) {
            QCoreApplication::installTranslator(translator);
            return;
        }
    }
    qWarning("Qt's Chinese texts were not found in %s",
             qPrintable(folders.join(QStringLiteral(", "))));
    delete translator;
}

void useChineseDates() {
#ifndef Q_OS_WIN
    // The variables in the order that decides the time locale.
    QByteArray time = qgetenv("LC_ALL");
    for (const char* name : {"LC_TIME", "LANG"}) {
        if (time.isEmpty()) {
            time = qgetenv(name);
        }
    }
    if (time.startsWith("zh_CN")) {
        return;
    }
    if (const QByteArray all = qgetenv("LC_ALL"); !all.isEmpty()) {
        qunsetenv("LC_ALL");
        qputenv("LANG", all);
    }
    qputenv("LC_TIME", "zh_CN.UTF-8");
#endif
}

}  // namespace app
