#pragma once
// A screen's trace area as a picture: PNG (or any raster format Qt writes) or SVG.

#include <QImage>
#include <QString>

#include "osc/ScreenLayout.h"

namespace kvaril {

class TOsc;
class TSignals;
struct TStoredRun;

// The trace area of screen `screen` (0-based) at `size`, as the window would show it, with the
// traces of `reference` behind the beams when given, and with `grid` the grid and scales as
// "Вид → Сетка" shows them.
QImage RenderScreen(const TOsc& osc, int screen, const TSignals& signals, const QSize& size,
                    const TStoredRun* reference = nullptr, const TLayoutOptions& options = {},
                    bool grid = false);

// Writes the picture to `path`: SVG when it ends in ".svg", otherwise a raster image.
// Returns an error text, empty on success.
QString ExportScreen(const TOsc& osc, int screen, const TSignals& signals, const QSize& size,
                     const QString& path, const TStoredRun* reference = nullptr,
                     const TLayoutOptions& options = {}, bool grid = false);

}  // namespace kvaril
