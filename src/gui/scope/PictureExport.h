#pragma once
// Screens of the oscilloscope as a picture file: PNG (or another raster format Qt writes), SVG or
// PDF, chosen by the file's extension. Each screen is drawn as the window shows it: the strip of
// label names, the traces and the three time texts under them; several screens stack downwards.

#include <QImage>
#include <QSize>
#include <QString>
#include <vector>

#include "base/WorkHooks.h"
#include "osc/MarkLines.h"
#include "osc/PictureRequest.h"
#include "osc/ScreenLayout.h"

namespace kvaril {

class TOsc;
class TSignals;
struct TStoredRun;

enum class TPictureFormat { Raster, Svg, Pdf, Unknown };

// By the extension, case aside; Unknown for a raster format Qt cannot write.
TPictureFormat PictureFormatOf(const QString& path);

// The size of one screen's picture may not go below this; no side of the whole picture may go
// beyond kMaxPictureSide (PictureRequest.h, where the command line's checks are too).
inline constexpr QSize kMinPictureSize(kMinPictureWidth, kMinPictureHeight);

// One screen's picture for traces `graph` large, as the window shows them.
QSize SheetSizeForGraph(const QSize& graph);

// The trace area of screen `screen` (0-based) at `size`, as the window would show it, with the
// traces of `reference` behind the beams when given.
// With `grid`, the grid and scales as "Вид → Сетка" shows them.
QImage RenderScreen(const TOsc& osc, int screen, const TSignals& signals, const QSize& size,
                    const TStoredRun* reference = nullptr, const TLayoutOptions& options = {},
                    bool grid = false);

// What a picture of screens shows: which screens (0-based, stacked in this order), each `Size`
// large, with the traces of `Reference` behind the beams and the window's layout choices.
struct TScreensPicture {
    std::vector<int> Screens;
    QSize Size;
    const TStoredRun* Reference = nullptr;
    TLayoutOptions Options;
    bool Grid = false;
    // The measuring lines: the A/B cursors at `CursorTimes` (none: a third and two thirds of
    // each screen's window) and the markers' lines.
    bool Cursors = false;
    std::optional<TCursorPair> CursorTimes;
    bool MarkerLines = false;
};

// Why `picture` cannot be drawn into a file named `target` (missing screens, a size out of
// bounds, an unknown extension), or empty.
QString CheckScreensPicture(const TOsc& osc, const TScreensPicture& picture, const QString& target);

// Draws `picture` into the file `file` (an output plan's temporary) in the format the name
// `target` asks for. Returns an error text, empty on success. `hooks` hear of each screen drawn
// (and the file's encoding as one step more); a stop throws EWorkCancelled. Safe off the
// window's thread: it paints only into images and files.
QString WriteScreensPicture(const TOsc& osc, const TSignals& signals,
                            const TScreensPicture& picture, const QString& target,
                            const QString& file, const TWorkHooks& hooks = {});

// Writes the screens `screens` (0-based, in this order, stacked), each `size` large, to `path`
// through an output plan of its own: a failure leaves any older file as it was. Returns an
// error text, empty on success; nothing is written when the screens or the size are wrong.
QString ExportScreens(const TOsc& osc, const std::vector<int>& screens, const TSignals& signals,
                      const QSize& size, const QString& path, const TStoredRun* reference = nullptr,
                      const TLayoutOptions& options = {}, bool grid = false);

inline QString ExportScreen(const TOsc& osc, int screen, const TSignals& signals, const QSize& size,
                            const QString& path, const TStoredRun* reference = nullptr,
                            const TLayoutOptions& options = {}) {
    return ExportScreens(osc, {screen}, signals, size, path, reference, options);
}

}  // namespace kvaril
