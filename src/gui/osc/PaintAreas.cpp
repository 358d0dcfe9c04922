#include "osc/PaintAreas.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

namespace kvaril {

TPaintArea::TPaintArea(QWidget* parent) : QWidget(parent), Picture(10, 10, QImage::Format_RGB32) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TPaintArea::resizeEvent(QResizeEvent*) { Q_EMIT PaintNeeded(); }

bool TPaintArea::FitPicture() {
    const qreal ratio = devicePixelRatioF();
    const QSize device = (QSizeF(size()) * ratio).toSize();
    if (Picture.size() == device && Picture.devicePixelRatio() == ratio) return true;
    QImage resized(device, QImage::Format_RGB32);
    if (resized.isNull()) return false;
    resized.setDevicePixelRatio(ratio);
    Picture = resized;
    return true;
}

void TPaintArea::paintEvent(QPaintEvent* event) {
    const qreal ratio = Picture.devicePixelRatio();
    if (Picture.deviceIndependentSize() != QSizeF(size()) || ratio != devicePixelRatioF())
        Q_EMIT PaintNeeded();
    QPainter p(this);
    const QRectF target(event->rect());
    p.drawImage(target, Picture, QRectF(target.topLeft() * ratio, target.size() * ratio));
}

void TPaintArea::mousePressEvent(QMouseEvent* e) {
    Q_EMIT Pressed(static_cast<int>(e->position().x()), e->button(), e->modifiers());
}

void TPaintArea::mouseMoveEvent(QMouseEvent* e) {
    Q_EMIT Moved(static_cast<int>(e->position().x()));
}

void TPaintArea::mouseReleaseEvent(QMouseEvent* e) {
    Q_EMIT Released(static_cast<int>(e->position().x()), e->button());
}

void TPaintArea::wheelEvent(QWheelEvent* e) {
    const int steps = e->angleDelta().y() / 120;
    if (steps != 0) Q_EMIT Wheeled(static_cast<int>(e->position().x()), steps, e->modifiers());
}

TGraphArea::TGraphArea(QWidget* parent) : TPaintArea(parent) {
    setObjectName("pbGraph");
    setCursor(Qt::CrossCursor);
    setMinimumSize(10, 10);
}

void TGraphArea::SetCursorX(int x) {
    const int old = cursorX_;
    cursorX_ = x;
    if (old == x) return;
    if (old >= 0) update(QRect(old - 1, 0, 3, height()));
    if (x >= 0) update(QRect(x - 1, 0, 3, height()));
}

void TGraphArea::paintEvent(QPaintEvent* event) {
    TPaintArea::paintEvent(event);
    if (cursorX_ < 0) return;
    // Inverting the picture under the cursor: drawn twice at one place it is gone.
    QPainter p(this);
    p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    p.fillRect(QRect(cursorX_ - 1, 0, 3, height()), Qt::white);
}

TLabelStrip::TLabelStrip(QWidget* parent) : TPaintArea(parent) {
    setObjectName("pbLabels");
    setCursor(Qt::PointingHandCursor);
    setFixedHeight(16);
}

}  // namespace kvaril
