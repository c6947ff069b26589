// The program's icon as the desktop shows it: drawn from the SVG built into the program (which
// needs Qt's SVG plugins at run time) and legible at every size a desktop asks for, down to
// 16 px: a mostly red shape on a clear background, neither blank nor a filled square.
#include <gtest/gtest.h>

#include <QIcon>
#include <QImage>
#include <array>

#include "app_identity.h"

namespace {

struct PixelCount {
    int opaque = 0;
    int red = 0;
};

PixelCount countPixels(const QImage& image) {
    constexpr int kOpaqueAlpha = 128;
    PixelCount count;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            if (pixel.alpha() < kOpaqueAlpha) {
                continue;
            }
            ++count.opaque;
            if (pixel.red() > 150 && pixel.green() < 100 && pixel.blue() < 100) {
                ++count.red;
            }
        }
    }
    return count;
}

constexpr std::array kDesktopSizes = {16, 22, 24, 32, 48, 64, 256};

TEST(ApplicationIcon, DrawsARedExtinguisherAtEveryDesktopSize) {
    const QIcon icon = app::applicationIcon();
    for (const int size : kDesktopSizes) {
        SCOPED_TRACE(size);
        const QImage image = icon.pixmap(size).toImage();
        ASSERT_EQ(image.size(), QSize(size, size));
        const PixelCount count = countPixels(image);
        const int area = size * size;
        EXPECT_GT(count.opaque, area / 4) << "too little is drawn";
        EXPECT_LT(count.opaque, area * 3 / 5) << "the background is not clear";
        EXPECT_GT(count.red * 5, count.opaque * 2) << "red is not the main colour";
    }
}

}  // namespace
