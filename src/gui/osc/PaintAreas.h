#pragma once
// The trace area (pbGraph) and the label strip (pbLabels) of the oscilloscope window: each
// keeps its off-screen picture, paints it, and hands the mouse to the window.

#include <QImage>
#include <QWidget>
#include <functional>

namespace kvaril {

struct TMouseHooks {
    std::function<void(QMouseEvent*)> Press, Move, Release;
    std::function<void(QWheelEvent*)> Wheel;
};

class TGraphArea : public QWidget {
    Q_OBJECT
  public:
    explicit TGraphArea(QWidget* parent);

    QImage Picture;    // what PaintGraph drew
    int CursorX = -1;  // the measurement cursor's column, −1 when none is shown
    TMouseHooks Mouse;
    std::function<void()> OnPaintNeeded;  // redraw the picture (size changed, first show)

    // Shows the cursor at column x (−1: none) by repainting only the old and new places.
    void SetCursorX(int x);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* e) override {
        if (Mouse.Press) Mouse.Press(e);
    }
    void mouseMoveEvent(QMouseEvent* e) override {
        if (Mouse.Move) Mouse.Move(e);
    }
    void mouseReleaseEvent(QMouseEvent* e) override {
        if (Mouse.Release) Mouse.Release(e);
    }
    void wheelEvent(QWheelEvent* e) override {
        if (Mouse.Wheel) Mouse.Wheel(e);
    }
};

class TLabelStrip : public QWidget {
    Q_OBJECT
  public:
    explicit TLabelStrip(QWidget* parent);

    QImage Picture;
    TMouseHooks Mouse;
    std::function<void()> OnPaintNeeded;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* e) override {
        if (Mouse.Press) Mouse.Press(e);
    }
    void mouseMoveEvent(QMouseEvent* e) override {
        if (Mouse.Move) Mouse.Move(e);
    }
    void mouseReleaseEvent(QMouseEvent* e) override {
        if (Mouse.Release) Mouse.Release(e);
    }
};

}  // namespace kvaril
