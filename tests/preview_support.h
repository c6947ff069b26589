#pragma once
// A print preview looked at without blocking the suite: shown, measured, grabbed and closed.
#include <gtest/gtest.h>

#include <QtPrintSupport>
#include <QtWidgets>

namespace tests {

struct PreviewSeen {
    int pages = 0;
    int landscape = 0;  // pages wider than tall
    QImage picture;     // the preview as it opens
};

// With PREVIEW_PICTURES set, keeps a picture of the widget there as `name`.png, to be looked at.
inline void keepPicture(QWidget& widget, const QString& name) {
    if (const QString folder = qEnvironmentVariable("PREVIEW_PICTURES"); !folder.isEmpty()) {
        widget.grab().save(QDir(folder).filePath(name + QStringLiteral(".png")));
    }
}

// Shows the preview, as a user would see it, and closes it. With PREVIEW_PICTURES set, the
// picture is also kept there as `name`.png, to be looked at.
inline PreviewSeen lookAt(QPrintPreviewDialog& preview, const QString& name) {
    PreviewSeen seen;
    preview.resize(900, 1000);
    preview.show();
    auto* widget = preview.findChild<QPrintPreviewWidget*>();
    if (widget == nullptr) {
        ADD_FAILURE() << "no preview widget";
        return seen;
    }
    QCoreApplication::processEvents();
    seen.pages = widget->pageCount();
    widget->setViewMode(QPrintPreviewWidget::FacingPagesView);
    widget->fitInView();
    QCoreApplication::processEvents();
    seen.picture = preview.grab().toImage();
    keepPicture(preview, name);
    preview.close();
    return seen;
}

// The number of pixels darker than mid grey: text and rules drawn on the pages.
inline int darkPixels(const QImage& image) {
    int dark = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            dark += qGray(image.pixel(x, y)) < 96 ? 1 : 0;
        }
    }
    return dark;
}

}  // namespace tests
