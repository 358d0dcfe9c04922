#pragma once
// Where a window was: its size, position and splitter widths kept in the settings between
// starts, and brought back onto a screen that exists now.

#include <QList>
#include <QRect>
#include <QString>

class QSettings;
class QSplitter;
class QWidget;

namespace kvaril {

// `wanted` moved, and shrunk where it is larger, so that it lies wholly on the screen it
// overlaps most (the first screen when it overlaps none).
QRect PlaceOnScreens(const QRect& wanted, const QList<QRect>& screens);

// `group`: the window's group of the settings (Settings.h).
void SaveWindowPlacement(QSettings& settings, const char* group, const QWidget* window,
                         const QSplitter* splitter = nullptr);
// False when nothing was stored: the window keeps its own placement.
bool RestoreWindowPlacement(QSettings& settings, const char* group, QWidget* window,
                            QSplitter* splitter = nullptr);

}  // namespace kvaril
