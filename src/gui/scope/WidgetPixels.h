#pragma once
// The window's own pixels under a widget, for the trace area's painting that Qt's painter would
// slow down: the backing store's memory, when it is 32-bit at one device pixel per pixel.

#include <QImage>
#include <QRegion>

#include "scope/OscPainter.h"

class QPainter;

namespace kvaril {

struct TWidgetPixels {
    TPixels Pixels{nullptr, 0, 0, 0};  // Bits null: none to write
    QRegion Writable;                  // what this paint may change, in the widget's coordinates
};

// The memory under a widget of `size` for `painter`, open on the widget in its paint event. None
// when the painter draws elsewhere (a pixmap, a high-density backing store, another format) or
// the widget does not lie wholly in the memory at whole pixels.
TWidgetPixels WidgetPixels(QPainter& painter, QSize size);

// Copies `rect` of `source` (RGB32 or the like, at one device pixel per pixel and at least as
// large as the pixels) into the same place of the pixels.
void CopyPixels(const QImage& source, const TPixels& target, const QRect& rect);

// Inverts the colours of `rect`, as an exclusive-or with white: twice at a place undoes it.
void InvertPixels(const TPixels& target, const QRect& rect);

}  // namespace kvaril
