#pragma once
// Where a window was: its size, position and splitter widths kept in the settings between
// starts, and brought back onto a screen that exists now.

#include <QList>
#include <QMargins>
#include <QRect>
#include <QString>

class QSettings;
class QSplitter;
class QWidget;

namespace kvaril {

// `wanted` (a window's inner area) moved, and shrunk where it is larger, so that its frame
// (`wanted` grown by `frame`: the title bar and borders) lies wholly on the screen it overlaps
// most (the first screen when it overlaps none).
QRect PlaceOnScreens(const QRect& wanted, const QList<QRect>& screens, const QMargins& frame = {});

// `group`: the window's group of the settings (Settings.h). The frame's widths are kept too: a
// window about to be shown does not know them yet.
void SaveWindowPlacement(QSettings& settings, const char* group, const QWidget* window,
                         const QSplitter* splitter = nullptr);
// False when nothing was stored: the window keeps its own placement.
bool RestoreWindowPlacement(QSettings& settings, const char* group, QWidget* window,
                            QSplitter* splitter = nullptr);

}  // namespace kvaril
