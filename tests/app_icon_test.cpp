// The program's icon as the desktop shows it: drawn from the SVG built into the program (which
// needs Qt's SVG plugins at run time) and legible at every size a desktop asks for, down to
// 16 px: a mostly red shape on a clear background, neither blank nor a filled square, with a clear
// margin round it.
#include <gtest/gtest.h>

#include <QIcon>
#include <QImage>

#include "app_identity.h"

namespace {

TEST(ApplicationIcon, DrawsARedExtinguisherInsideAMarginAtEveryDesktopSize) {
    constexpr int kOpaqueAlpha = 128;
    const QIcon icon = app::applicationIcon();
    for (const int size : {16, 22, 24, 32, 48, 64, 256}) {
        SCOPED_TRACE(size);
        const QImage image = icon.pixmap(size).toImage();
        ASSERT_EQ(image.size(), QSize(size, size));
        int opaque = 0;
        int red = 0;
        for (int y = 0; y < size; ++y) {
            for (int x = 0; x < size; ++x) {
                const QColor pixel = image.pixelColor(x, y);
                const bool seen = pixel.alpha() >= kOpaqueAlpha;
                opaque += seen ? 1 : 0;
                red +=
                    seen && pixel.red() > 150 && pixel.green() < 100 && pixel.blue() < 100 ? 1 : 0;
            }
        }
        // A margin all round: nothing is drawn on the picture's outer rows and columns.
        for (int i = 0; i < size; ++i) {
            for (const QPoint edge :
                 {QPoint(i, 0), QPoint(i, size - 1), QPoint(0, i), QPoint(size - 1, i)}) {
                ASSERT_EQ(image.pixelColor(edge).alpha(), 0)
                    << "drawn at the edge, at " << edge.x() << "," << edge.y();
            }
        }
        EXPECT_GT(opaque, size * size / 4) << "too little is drawn";
        EXPECT_LT(opaque, size * size * 3 / 5) << "the background is not clear";
        EXPECT_GT(red * 5, opaque * 2) << "red is not the main colour";
    }
}

}  // namespace
