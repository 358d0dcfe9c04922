#include "scope/WidgetPixels.h"

#include <QPaintEngine>
#include <QPainter>
#include <cmath>
#include <cstring>

namespace kvaril {

namespace {

bool OpaqueThirtyTwoBits(QImage::Format format) {
    return format == QImage::Format_RGB32 || format == QImage::Format_ARGB32_Premultiplied ||
           format == QImage::Format_ARGB32;
}

}  // namespace

TWidgetPixels WidgetPixels(QPainter& painter, QSize size) {
    TWidgetPixels result;
    QPaintEngine* engine = painter.paintEngine();
    QPaintDevice* device = engine ? engine->paintDevice() : nullptr;
    if (!device || device->devType() != QInternal::Image) return result;
    const QImage& image = *static_cast<const QImage*>(device);
    if (!OpaqueThirtyTwoBits(image.format()) || image.devicePixelRatio() != 1) return result;
    const QTransform transform = painter.deviceTransform();
    if (transform.type() > QTransform::TxTranslate ||
        transform.dx() != std::floor(transform.dx()) ||
        transform.dy() != std::floor(transform.dy()))
        return result;
    const QPoint origin(static_cast<int>(transform.dx()), static_cast<int>(transform.dy()));
    const QRect area(origin, size);
    if (area.isEmpty() || !image.rect().contains(area)) return result;
    // What Qt lets this paint touch (the dirty part, less what covers the widget); the raw
    // writes must keep inside it.
    QRegion writable = engine->systemClip();
    if (writable.isEmpty()) return result;
    writable = writable.intersected(area).translated(-origin);
    // The painter owns the image while the event lasts: its memory is written in place,
    // without the copy that bits() would make of a shared image.
    uchar* bits =
        const_cast<uchar*>(image.constBits()) + origin.y() * image.bytesPerLine() + origin.x() * 4;
    result.Pixels = {bits, image.bytesPerLine(), size.width(), size.height()};
    result.Writable = writable;
    return result;
}

void CopyPixels(const QImage& source, const TPixels& target, const QRect& rect) {
    const QRect r = rect & QRect(0, 0, target.Width, target.Height) & source.rect();
    for (int y = r.top(); y <= r.bottom(); ++y)
        std::memcpy(target.Bits + y * target.Stride + r.x() * 4,
                    source.constScanLine(y) + r.x() * 4, static_cast<size_t>(r.width()) * 4);
}

void InvertPixels(const TPixels& target, const QRect& rect) {
    const QRect r = rect & QRect(0, 0, target.Width, target.Height);
    for (int y = r.top(); y <= r.bottom(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(target.Bits + y * target.Stride);
        for (int x = r.left(); x <= r.right(); ++x) row[x] ^= 0x00ffffff;
    }
}

}  // namespace kvaril
