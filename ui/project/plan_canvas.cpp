#include "plan_canvas.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

namespace ui {

namespace {

// How far out the view may go, as a part of the fitted scale.
constexpr double kMinFitPart = 0.25;
// A floor fitted to the view leaves this part of its size free on each side.
constexpr double kFitMargin = 0.03;
// The zoom of one notch of the wheel (120 eighths of a degree).
constexpr double kNotchZoom = 1.25;

}  // namespace

PlanCanvas::PlanCanvas(QGraphicsScene* scene, QWidget* parent) : QGraphicsView(scene, parent) {
    setTransformationAnchor(QGraphicsView::NoAnchor);
    setResizeAnchor(QGraphicsView::AnchorViewCenter);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setDragMode(QGraphicsView::NoDrag);
    setOptimizationFlags(QGraphicsView::DontSavePainterState);
    setViewportUpdateMode(QGraphicsView::SmartViewportUpdate);
    setRenderHint(QPainter::Antialiasing, false);
    setRenderHint(QPainter::TextAntialiasing, true);
    setBackgroundBrush(Qt::white);
    setFocusPolicy(Qt::StrongFocus);
    setFrameShape(QFrame::NoFrame);
}

void PlanCanvas::fit(const QRectF& rect) {
    fitRect_ = rect;
    fitted_ = true;
    refit();
}

void PlanCanvas::zoomAt(QPointF viewportPoint, double factor) {
    const QPointF scenePos = viewportTransform().inverted().map(viewportPoint);
    const double from = scale();
    const double to =
        std::clamp(from * factor, fitScale_ * kMinFitPart, std::max(kMaxScale, fitScale_));
    if (!(to > 0) || to == from) {
        return;
    }
    fitted_ = false;
    setTransform(QTransform::fromScale(to, to));
    horizontalScrollBar()->setValue(
        static_cast<int>(std::lround(scenePos.x() * to - viewportPoint.x())));
    verticalScrollBar()->setValue(
        static_cast<int>(std::lround(scenePos.y() * to - viewportPoint.y())));
}

void PlanCanvas::wheelEvent(QWheelEvent* event) {
    const int eighths = event->angleDelta().y();
    if (eighths != 0) {
        zoomAt(event->position(), std::pow(kNotchZoom, eighths / 120.0));
    }
    event->accept();
}

void PlanCanvas::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::MiddleButton || (event->button() == Qt::LeftButton && spaceHeld_)) {
        panning_ = true;
        panFrom_ = event->position();
        viewport()->setCursor(Qt::ClosedHandCursor);
        event->accept();
        return;
    }
    if (event->button() == Qt::LeftButton) {
        setFocus(Qt::MouseFocusReason);
        if (clicked) {
            clicked(viewportTransform().inverted().map(event->position()), event->modifiers());
        }
        event->accept();
        return;
    }
    QGraphicsView::mousePressEvent(event);
}

void PlanCanvas::contextMenuEvent(QContextMenuEvent* event) {
    if (menuAsked) {
        menuAsked(viewportTransform().inverted().map(QPointF(event->pos())), event->globalPos());
    }
    event->accept();
}

void PlanCanvas::mouseMoveEvent(QMouseEvent* event) {
    if (!panning_) {
        if ((event->buttons() & Qt::LeftButton) != 0 && dragged) {
            dragged(viewportTransform().inverted().map(event->position()), event->modifiers());
        }
        QGraphicsView::mouseMoveEvent(event);
        return;
    }
    const QPointF by = event->position() - panFrom_;
    panFrom_ = event->position();
    fitted_ = false;
    horizontalScrollBar()->setValue(horizontalScrollBar()->value() - qRound(by.x()));
    verticalScrollBar()->setValue(verticalScrollBar()->value() - qRound(by.y()));
    event->accept();
}

void PlanCanvas::mouseReleaseEvent(QMouseEvent* event) {
    if (panning_ && (event->button() == Qt::MiddleButton || event->button() == Qt::LeftButton)) {
        panning_ = false;
        showPanCursor();
        event->accept();
        return;
    }
    if (event->button() == Qt::LeftButton && released) {
        released(viewportTransform().inverted().map(event->position()), event->modifiers());
    }
    QGraphicsView::mouseReleaseEvent(event);
}

void PlanCanvas::mouseDoubleClickEvent(QMouseEvent* event) {
    // The first click selected already; a second would take a Ctrl+click back. A pan may
    // start on the second press.
    if (event->button() == Qt::MiddleButton || (event->button() == Qt::LeftButton && spaceHeld_)) {
        mousePressEvent(event);
        return;
    }
    if (event->button() == Qt::LeftButton && (event->modifiers() & Qt::ControlModifier) != 0 &&
        ctrlDoubleClicked) {
        ctrlDoubleClicked(viewportTransform().inverted().map(event->position()),
                          event->modifiers());
    }
    event->accept();
}

bool PlanCanvas::holdSpace(QKeyEvent* event, bool held) {
    if (event->key() != Qt::Key_Space) {
        return false;
    }
    if (!event->isAutoRepeat()) {
        spaceHeld_ = held;
        showPanCursor();
    }
    event->accept();
    return true;
}

void PlanCanvas::keyPressEvent(QKeyEvent* event) {
    if (keyPressed && keyPressed(*event)) {
        event->accept();
        return;
    }
    if (!holdSpace(event, true)) {
        QGraphicsView::keyPressEvent(event);
    }
}

void PlanCanvas::keyReleaseEvent(QKeyEvent* event) {
    if (!holdSpace(event, false)) {
        QGraphicsView::keyReleaseEvent(event);
    }
}

void PlanCanvas::focusOutEvent(QFocusEvent* event) {
    spaceHeld_ = false;
    showPanCursor();
    QGraphicsView::focusOutEvent(event);
}

void PlanCanvas::resizeEvent(QResizeEvent* event) {
    QGraphicsView::resizeEvent(event);
    // A floor that was fitted stays fitted.
    if (fitted_) {
        refit();
    }
}

void PlanCanvas::refit() {
    if (fitRect_.isEmpty()) {
        return;
    }
    const double margin = kFitMargin * std::max(fitRect_.width(), fitRect_.height());
    const QRectF rect = fitRect_.adjusted(-margin, -margin, margin, margin);
    const QRectF seen = viewport()->rect();
    if (seen.isEmpty()) {
        return;
    }
    fitScale_ = std::min(seen.width() / rect.width(), seen.height() / rect.height());
    setTransform(QTransform::fromScale(fitScale_, fitScale_));
    centerOn(rect.center());
}

void PlanCanvas::showPanCursor() {
    if (panning_) {
        viewport()->setCursor(Qt::ClosedHandCursor);
    } else if (spaceHeld_) {
        viewport()->setCursor(Qt::OpenHandCursor);
    } else {
        viewport()->unsetCursor();
    }
}

}  // namespace ui
