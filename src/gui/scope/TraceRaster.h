#pragma once
// Traces written straight into memory of 32-bit pixels, a column's run or a segment's pixels at a
// time: faster than a painter for the many short lines of a trace, and the same pixels on every
// platform. The painter falls back to QPainter only for vector output.

#include <QRgb>
#include <span>
#include <vector>

#include "osc/TraceGeometry.h"

namespace kvaril {

// Memory of 32-bit pixels (0xffRRGGBB) that traces are written into straight: an image, or the
// part of the window's backing store under the trace area.
struct TPixels {
    uchar* Bits;
    qsizetype Stride;
    int Width, Height;
};

// A dashed trace shows runs of this many pixels, with gaps as long.
inline constexpr int kDash = 4;

// A compressed beam's columns; dashed: every other run of kDash columns.
void WriteStrokes(const TPixels& r, const std::vector<TStroke>& strokes, QRgb color, bool dashed);
// Lines between the points; a Bézier chain (start, then three points per segment) as the
// painter would stroke it; dashed: every other run of kDash pixels along the line.
void WritePolyline(const TPixels& r, std::span<const TPoint> points, QRgb color);
void WriteBezier(const TPixels& r, std::span<const TPoint> points, QRgb color);
void WriteDashedPolyline(const TPixels& r, std::span<const TPoint> points, QRgb color);
void WriteDashedBezier(const TPixels& r, std::span<const TPoint> points, QRgb color);

}  // namespace kvaril
