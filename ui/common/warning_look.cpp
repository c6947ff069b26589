#include "warning_look.h"

#include <QColor>
#include <QPalette>
#include <QTimer>
#include <QWidget>

namespace ui {

namespace {

constexpr int kFlashMs = 700;

}  // namespace

void setWarningLook(QWidget* box, bool warning) {
    QPalette palette = box->parentWidget()->palette();
    if (warning) {
        palette.setColor(QPalette::Base, kWarningColor);
    }
    box->setPalette(palette);
}

void flashWarningLook(QWidget* box) {
    static const QString kTimerName = QStringLiteral("warningFlash");
    auto* timer = box->findChild<QTimer*>(kTimerName, Qt::FindDirectChildrenOnly);
    if (timer == nullptr) {
        timer = new QTimer(box);
        timer->setObjectName(kTimerName);
        timer->setSingleShot(true);
        timer->setInterval(kFlashMs);
        QObject::connect(timer, &QTimer::timeout, box, [box] { setWarningLook(box, false); });
    }
    setWarningLook(box, true);
    timer->start();
}

}  // namespace ui
