#pragma once

#include <QGraphicsView>
#include <QPointF>
#include <QRectF>
#include <functional>

class QKeyEvent;

namespace ui {

// The view of the plan's scene: it zooms about the cursor, pans with the middle button (or the
// left one with Space held), keeps a fitted floor fitted as it resizes, and hands clicks and the
// context menu on to the pane.
class PlanCanvas final : public QGraphicsView {
  public:
    PlanCanvas(QGraphicsScene* scene, QWidget* parent);

    // The most pixels per metre zoomed in (a 1 m door 400 pixels wide), unless the fitted floor
    // is larger still.
    static constexpr double kMaxScale = 400;

    // A left click that does not pan, in the scene, with its keys.
    std::function<void(QPointF scenePos, Qt::KeyboardModifiers modifiers)> clicked;
    // The mouse moved with the left button down (not panning), and the left button let go.
    std::function<void(QPointF scenePos, Qt::KeyboardModifiers modifiers)> dragged;
    std::function<void(QPointF scenePos, Qt::KeyboardModifiers modifiers)> released;
    // A left double click with Ctrl held.
    std::function<void(QPointF scenePos, Qt::KeyboardModifiers modifiers)> ctrlDoubleClicked;
    // A key pressed in the view; true when the pane took it.
    std::function<bool(const QKeyEvent& event)> keyPressed;
    // The context menu asked for at a point of the scene, to show at a point of the screen.
    std::function<void(QPointF scenePos, QPoint globalPos)> menuAsked;

    // Shows the rectangle of the scene whole, with a margin, as large as the viewport allows.
    void fit(const QRectF& rect);

    // Pixels per metre.
    [[nodiscard]] double scale() const { return transform().m11(); }
    // The floor is as fit() left it: neither zoomed nor panned since.
    [[nodiscard]] bool fitted() const { return fitted_; }

    // Scales the view by `factor` about a point of the viewport, which stays where it is. The
    // scale keeps between a quarter of the fitted one and kMaxScale.
    void zoomAt(QPointF viewportPoint, double factor);

  protected:
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void refit();
    // Space held down turns a left drag into a pan: true when the key was Space.
    bool holdSpace(QKeyEvent* event, bool held);
    void showPanCursor();

    QRectF fitRect_;
    double fitScale_ = 1;
    bool fitted_ = false;
    bool spaceHeld_ = false;
    bool panning_ = false;
    QPointF panFrom_;
};

}  // namespace ui
