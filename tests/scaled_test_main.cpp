// Entry point of widget tests on a 1280×1024 screen shown at twice the size (QT_SCALE_FACTOR=2,
// as a user sets it), which leaves the widgets 640×512 device-independent pixels: the offscreen
// platform with the screen of screen_1280x1024.json, whatever the environment says.
#include <gtest/gtest.h>

#include <QApplication>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" SCREEN_CONFIG);
    qputenv("QT_SCALE_FACTOR", "2");
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
