#include "osc/PaintAreas.h"

#include <QMouseEvent>
#include <QPainter>

namespace kvaril {

TGraphArea::TGraphArea(QWidget* parent) : QWidget(parent), Picture(10, 10, QImage::Format_RGB32) {
    setObjectName("pbGraph");
    setCursor(Qt::CrossCursor);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(10, 10);
}

void TGraphArea::SetCursorX(int x) {
    const int old = CursorX;
    CursorX = x;
    if (old >= 0) update(QRect(old - 1, 0, 3, height()));
    if (x >= 0) update(QRect(x - 1, 0, 3, height()));
}

void TGraphArea::resizeEvent(QResizeEvent*) {
    if (OnPaintNeeded) OnPaintNeeded();
}

void TGraphArea::paintEvent(QPaintEvent* event) {
    if (Picture.size() != size() && OnPaintNeeded) OnPaintNeeded();
    QPainter p(this);
    p.drawImage(event->rect().topLeft(), Picture, event->rect());
    if (CursorX >= 0) {
        // Inverting the picture under the cursor: drawn twice at one place it is gone.
        p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        p.fillRect(QRect(CursorX - 1, 0, 3, height()), Qt::white);
    }
}

TLabelStrip::TLabelStrip(QWidget* parent) : QWidget(parent), Picture(10, 10, QImage::Format_RGB32) {
    setObjectName("pbLabels");
    setCursor(Qt::PointingHandCursor);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFixedHeight(16);
}

void TLabelStrip::resizeEvent(QResizeEvent*) {
    if (OnPaintNeeded) OnPaintNeeded();
}

void TLabelStrip::paintEvent(QPaintEvent* event) {
    if (Picture.size() != size() && OnPaintNeeded) OnPaintNeeded();
    QPainter p(this);
    p.drawImage(event->rect().topLeft(), Picture, event->rect());
}

}  // namespace kvaril
