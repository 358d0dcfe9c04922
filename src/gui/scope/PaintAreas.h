#pragma once
// The trace area (pbGraph) and the label strip (pbLabels) of the oscilloscope window: each
// paints its picture and reports the mouse to the window. The label strip keeps its picture
// drawn off screen; the trace area draws its traces straight into the window when it can and
// keeps an off-screen copy only for the small repaints of the cursor.

#include <QImage>
#include <QWidget>
#include <vector>

#include "osc/MarkLines.h"

namespace kvaril {

class TPaintArea : public QWidget {
    Q_OBJECT
  public:
    explicit TPaintArea(QWidget* parent);

    QImage Picture;  // the off-screen picture, in device pixels

    // Gives Picture the area's size at the screen's pixel ratio (a high-density screen gets
    // every device pixel); the old content stays when it fits. False when memory fails.
    bool FitPicture();
    // The keyboard modifiers of the last mouse event (a drag with Ctrl held).
    Qt::KeyboardModifiers MouseModifiers() const { return mouseModifiers_; }

  Q_SIGNALS:
    void PaintNeeded();  // the size changed, or it is shown for the first time
    void Pressed(int x, Qt::MouseButton button, Qt::KeyboardModifiers modifiers);
    void Moved(int x);
    void Released(int x, Qt::MouseButton button);
    void Wheeled(int x, int steps, Qt::KeyboardModifiers modifiers);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

  private:
    Qt::KeyboardModifiers mouseModifiers_;
};

struct TGraphPicture;
struct TGridLayout;

class TGraphArea : public TPaintArea {
    Q_OBJECT
  public:
    explicit TGraphArea(QWidget* parent);

    // The laid-out traces to show, with the grid or null; both stay the caller's and must live
    // until the next call. Repaints the area.
    void ShowPicture(const TGraphPicture* picture, const TGridLayout* grid);
    // The traces as the area shows them, in device pixels: Picture, drawn first if the area
    // has painted straight into the window since.
    const QImage& Rendered();

    int CursorX() const { return cursorX_; }
    // Shows the cursor at column x (−1: none) by repainting only the old and new places.
    void SetCursorX(int x);

    // The A/B cursors' and markers' lines drawn over the traces (none: the classic picture).
    void SetMarkLines(std::vector<TMarkLine> lines);
    const std::vector<TMarkLine>& MarkLines() const { return markLines_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    const TGraphPicture* picture_ = nullptr;
    const TGridLayout* grid_ = nullptr;
    bool rendered_ = false;  // Picture holds the traces of picture_
    int cursorX_ = -1;
    std::vector<TMarkLine> markLines_;
};

class TLabelStrip : public TPaintArea {
    Q_OBJECT
  public:
    explicit TLabelStrip(QWidget* parent);
};

}  // namespace kvaril
