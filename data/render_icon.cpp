// Build step: draws the program's SVG icon as a square PNG of one size for the desktop's
// hicolor icon theme. It reads the SVG with Qt's SVG image plugin, the renderer that also draws
// the window's icon, so the menu and the window show the same picture.
// Usage: render_icon <icon.svg> <size> <icon.png>
#include <QImage>
#include <QImageReader>
#include <QString>
#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fputs("usage: render_icon <icon.svg> <size> <icon.png>\n", stderr);
        return 2;
    }
    const int size = QString::fromLocal8Bit(argv[2]).toInt();
    QImageReader reader(QString::fromLocal8Bit(argv[1]));
    reader.setScaledSize(QSize(size, size));
    const QImage image = reader.read();
    if (image.isNull()) {
        std::fprintf(stderr, "render_icon: %s: %s (is Qt's SVG image plugin installed?)\n", argv[1],
                     qPrintable(reader.errorString()));
        return 1;
    }
    if (!image.save(QString::fromLocal8Bit(argv[3]), "PNG")) {
        std::fprintf(stderr, "render_icon: cannot write %s\n", argv[3]);
        return 1;
    }
    return 0;
}
