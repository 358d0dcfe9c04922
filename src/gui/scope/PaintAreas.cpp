#include "scope/PaintAreas.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>

#include "scope/OscPainter.h"
#include "scope/WidgetPixels.h"

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
    mouseModifiers_ = e->modifiers();
    Q_EMIT Pressed(static_cast<int>(e->position().x()), e->button(), e->modifiers());
}

void TPaintArea::mouseMoveEvent(QMouseEvent* e) {
    mouseModifiers_ = e->modifiers();
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

void TGraphArea::ShowPicture(const TGraphPicture* picture, const TGridLayout* grid) {
    picture_ = picture;
    grid_ = grid;
    rendered_ = false;
    update();
}

const QImage& TGraphArea::Rendered() {
    if (!rendered_ && picture_ && FitPicture()) {
        PaintGraphOn(Picture, *picture_, grid_);
        if (!markLines_.empty()) {
            QPainter p(&Picture);
            PaintMarkLines(p, markLines_, size(), picture_, grid_);
        }
        rendered_ = true;
    }
    return Picture;
}

void TGraphArea::paintEvent(QPaintEvent* event) {
    if (!picture_ || QSize(picture_->Width, picture_->Height) != size()) Q_EMIT PaintNeeded();
    QPainter p(this);
    const QRect cursor = cursorX_ >= 0 ? QRect(cursorX_ - 1, 0, 3, height()) : QRect();
    // Straight into the window's memory where it can be: a whole repaint (a zoom, a pan, new
    // beams) saves drawing the traces off screen and copying them, and the cursor's thin, tall
    // strips would cost Qt's painter more than the pixels themselves.
    const TWidgetPixels pixels = WidgetPixels(p, size());
    if (pixels.Pixels.Bits) {
        if (picture_ && pixels.Writable == QRegion(rect())) {
            PaintGraphPixels(p, pixels.Pixels, *picture_, grid_);
            PaintMarkLines(p, markLines_, size(), picture_, grid_);
        } else {
            const QImage& picture = Rendered();
            const bool fits = picture.devicePixelRatio() == 1 && picture.size() == size();
            for (const QRect& r : pixels.Writable) {
                if (fits)
                    CopyPixels(picture, pixels.Pixels, r);
                else
                    p.drawImage(r, picture, r);
            }
        }
        // Inverting the picture under the cursor: drawn twice at one place it is gone.
        if (!cursor.isEmpty())
            for (const QRect& r : pixels.Writable) InvertPixels(pixels.Pixels, r & cursor);
        return;
    }
    const QImage& picture = Rendered();
    const qreal ratio = picture.devicePixelRatio();
    for (const QRect& r : event->region()) {
        const QRectF target(r);
        p.drawImage(target, picture, QRectF(target.topLeft() * ratio, target.size() * ratio));
    }
    if (cursor.isEmpty()) return;
    p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    p.fillRect(cursor, Qt::white);
}

void TGraphArea::SetMarkLines(std::vector<TMarkLine> lines) {
    const auto same = [](const TMarkLine& a, const TMarkLine& b) {
        return a.X == b.X && a.Dashed == b.Dashed && a.Label == b.Label;
    };
    if (std::equal(lines.begin(), lines.end(), markLines_.begin(), markLines_.end(), same)) return;
    markLines_ = std::move(lines);
    rendered_ = false;
    update();
}

TLabelStrip::TLabelStrip(QWidget* parent) : TPaintArea(parent) {
    setObjectName("pbLabels");
    setCursor(Qt::PointingHandCursor);
    setFixedHeight(16);
}

}  // namespace kvaril
