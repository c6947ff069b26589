// The program's icon, drawn from the SVG built into the program (which needs Qt's SVG plugins at
// run time) at every size a desktop asks for, down to 16 px: a mostly red shape on a clear
// background, neither blank nor a filled square, with a clear margin round it.
#include <gtest/gtest.h>

#include <QIcon>
#include <QImage>
#include <QImageReader>

#include "app_identity.h"

namespace {

TEST(ApplicationIcon, DrawsARedExtinguisherInsideAMarginAtEveryDesktopSize) {
    if (!QImageReader::supportedImageFormats().contains("svg")) {
        GTEST_SKIP() << "Qt has no SVG plugin here (none is built for MinGW): the icon is drawn "
                        "from its SVG only where there is one";
    }
    for (const int size : {16, 22, 24, 32, 48, 64, 256}) {
        const QImage image = app::applicationIcon().pixmap(size).toImage();
        ASSERT_EQ(image.size(), QSize(size, size));
        int opaque = 0;
        int red = 0;
        int edge = 0;  // pixels drawn on the outer rows and columns
        for (int y = 0; y < size; ++y) {
            for (int x = 0; x < size; ++x) {
                const QColor pixel = image.pixelColor(x, y);
                const bool seen = pixel.alpha() >= 128;
                opaque += seen ? 1 : 0;
                red += seen && pixel.red() > 150 && qMax(pixel.green(), pixel.blue()) < 100 ? 1 : 0;
                edge += (x % (size - 1) == 0 || y % (size - 1) == 0) && pixel.alpha() > 0 ? 1 : 0;
            }
        }
        EXPECT_EQ(edge, 0) << size << " px: drawn on the outer rows or columns";
        EXPECT_GT(opaque, size * size / 4) << size << " px: too little is drawn";
        EXPECT_LT(opaque, size * size * 3 / 5) << size << " px: the background is not clear";
        EXPECT_GT(red * 5, opaque * 2) << size << " px: red is not the main colour";
    }
}

}  // namespace
