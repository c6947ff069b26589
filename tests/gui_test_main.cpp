// Entry point of the widget tests: one QApplication, offscreen unless the environment names another
// platform, the settings in INI files; built with SCREEN_CONFIG, on that 1280×1024 screen at
// QT_SCALE_FACTOR=2 (640×512).
#include <gtest/gtest.h>

#include <QApplication>
#include <QSettings>

int main(int argc, char** argv) {
#ifdef SCREEN_CONFIG
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" SCREEN_CONFIG);
    qputenv("QT_SCALE_FACTOR", "2");
#else
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
#endif
    // The settings in INI files, which each test places in a folder of its own, on Windows too.
    QSettings::setDefaultFormat(QSettings::IniFormat);
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
