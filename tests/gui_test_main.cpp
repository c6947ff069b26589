// Entry point of the widget tests: one QApplication for all of them, offscreen unless the
// environment names another platform. Built with SCREEN_CONFIG, they run on that 1280×1024 screen
// shown at twice the size (QT_SCALE_FACTOR=2, as a user sets it), which leaves the widgets 640×512
// device-independent pixels, whatever the environment says.
#include <gtest/gtest.h>

#include <QApplication>

int main(int argc, char** argv) {
#ifdef SCREEN_CONFIG
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" SCREEN_CONFIG);
    qputenv("QT_SCALE_FACTOR", "2");
#else
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
#endif
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
