#pragma once
// Turns a laid-out oscilloscope screen into pixels: the one painter behind the window, the
// picture export and the tests.

#include <QColor>
#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <vector>

#include "osc/GridLayout.h"
#include "osc/MarkLines.h"
#include "osc/ScreenLayout.h"
#include "scope/TraceRaster.h"

class QPainter;

namespace kvaril {

inline QColor ToQColor(const TRgb& c) { return QColor(c.R, c.G, c.B); }

// Fills `image` (RGB32, already of the picture's size) and draws the picture into it; the
// vertical strokes of compressed beams are written straight into the scanlines.
// With a grid, its lines go under the traces and its texts over them.
void PaintGraphImage(QImage& image, const TGraphPicture& picture,
                     const TGridLayout* grid = nullptr);

// PaintGraphImage into such memory, `painter` being open on it with its origin at the memory's
// first pixel (for the texts).
void PaintGraphPixels(QPainter& painter, const TPixels& pixels, const TGraphPicture& picture,
                      const TGridLayout* grid = nullptr);

// The window's picture: PaintGraphImage at one device pixel per column; on a high-density
// screen (an image with a device pixel ratio above 1) through a painter, so that lines and
// texts use every device pixel instead of being magnified.
void PaintGraphOn(QImage& image, const TGraphPicture& picture, const TGridLayout* grid = nullptr);

// The same through any painter (an SVG file, say), strokes as lines.
void PaintGraphVector(QPainter& painter, const TGraphPicture& picture,
                      const TGridLayout* grid = nullptr);

// The font of the grid's texts, the window's normal one (its size in pixels at 96 dots per inch,
// so a file's page shows it as large against the traces as the window), and its metrics for
// LayoutGrid.
QFont GridTextFont();
TGridMetrics GridTextMetrics();

// The legend's widths and lines in the font of `metrics` (the painter's), for the layout to
// give a sweep's legend its own lines.
TLegendMetrics LegendMetrics(const QFontMetrics& metrics);

// The label strip: the names at their columns on `background`.
void PaintLabelStrip(QPainter& painter, const std::vector<TLabelMark>& marks, const QSize& size,
                     const QColor& background);

// ---- A/B cursors and marker lines (Вид → Курсоры A/B, Линии меток)

// The lines over traces `size` large, in kMarkLineColor: a marker's dashed, a cursor's solid
// with its letter in a box at the top. Nothing for no lines.
// Lines at the window's edges pass around the texts of `picture` and `grid` (group numbers,
// scale numbers), and their letters move below them, so that no text is hidden.
void PaintMarkLines(QPainter& painter, const std::vector<TMarkLine>& lines, const QSize& size,
                    const TGraphPicture* picture = nullptr, const TGridLayout* grid = nullptr);

}  // namespace kvaril
