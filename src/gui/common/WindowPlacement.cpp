#include "common/WindowPlacement.h"

#include <QApplication>
#include <QScreen>
#include <QSettings>
#include <QSplitter>
#include <QStyle>
#include <QWidget>
#include <algorithm>

namespace kvaril {

QRect PlaceOnScreens(const QRect& wanted, const QList<QRect>& screens, const QMargins& frame) {
    if (screens.isEmpty() || !wanted.isValid()) return wanted;
    const QRect outer = wanted.marginsAdded(frame);
    QRect screen = screens.front();
    long long best = 0;
    for (const QRect& s : screens) {
        const QRect common = s.intersected(outer);
        const long long area = common.isValid() ? 1LL * common.width() * common.height() : 0;
        if (area > best) {
            best = area;
            screen = s;
        }
    }
    QRect placed(outer.topLeft(), outer.size().boundedTo(screen.size()));
    if (placed.right() > screen.right()) placed.moveRight(screen.right());
    if (placed.bottom() > screen.bottom()) placed.moveBottom(screen.bottom());
    if (placed.left() < screen.left()) placed.moveLeft(screen.left());
    if (placed.top() < screen.top()) placed.moveTop(screen.top());
    return placed.marginsRemoved(frame);
}

namespace {

constexpr const char* kGeometry = "Geometry";
constexpr const char* kMaximized = "Maximized";
constexpr const char* kFrame = "Frame";  // left, top, right, bottom
constexpr const char* kSplitter = "Splitter";

// The frame's widths as stored. Where they were never stored (an older settings file) or do not
// read, a title bar of the style's height stands in for the frame, so that it stays on the
// screen.
QMargins StoredFrame(const QVariant& value, const QWidget* window) {
    const QMargins guess(0, window->style()->pixelMetric(QStyle::PM_TitleBarHeight), 0, 0);
    const QVariantList list = value.toList();
    if (list.size() != 4) return guess;
    int widths[4];
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        widths[i] = list[i].toInt(&ok);
        // A frame wider than this is no frame but a damaged value.
        if (!ok || widths[i] < 0 || widths[i] > 200) return guess;
    }
    return {widths[0], widths[1], widths[2], widths[3]};
}

}  // namespace

void SaveWindowPlacement(QSettings& settings, const char* group, const QWidget* window,
                         const QSplitter* splitter) {
    settings.beginGroup(group);
    const bool maximized = window->isMaximized();
    settings.setValue(kGeometry, maximized ? window->normalGeometry() : window->geometry());
    settings.setValue(kMaximized, maximized);
    // A maximized window's frame is not the one it has when restored.
    if (!maximized) {
        const QRect outer = window->frameGeometry(), inner = window->geometry();
        settings.setValue(
            kFrame, QVariantList{inner.left() - outer.left(), inner.top() - outer.top(),
                                 outer.right() - inner.right(), outer.bottom() - inner.bottom()});
    }
    if (splitter) {
        QVariantList sizes;
        for (int size : splitter->sizes()) sizes.append(size);
        settings.setValue(kSplitter, sizes);
    }
    settings.endGroup();
}

bool RestoreWindowPlacement(QSettings& settings, const char* group, QWidget* window,
                            QSplitter* splitter) {
    settings.beginGroup(group);
    const QRect stored = settings.value(kGeometry).toRect();
    const bool maximized = settings.value(kMaximized).toBool();
    const QMargins frame = StoredFrame(settings.value(kFrame), window);
    const QVariantList sizes = settings.value(kSplitter).toList();
    settings.endGroup();
    if (!stored.isValid()) return false;

    QList<QRect> screens;
    for (const QScreen* screen : QApplication::screens())
        screens.append(screen->availableGeometry());
    // The window may not shrink below what its controls need.
    QRect placed = PlaceOnScreens(stored, screens, frame);
    placed.setSize(placed.size().expandedTo(window->minimumSize()));
    window->setGeometry(placed);
    if (maximized) window->setWindowState(window->windowState() | Qt::WindowMaximized);
    if (splitter && sizes.size() == splitter->count()) {
        QList<int> widths;
        for (const QVariant& v : sizes) widths.append(std::max(v.toInt(), 0));
        if (std::any_of(widths.begin(), widths.end(), [](int w) { return w > 0; }))
            splitter->setSizes(widths);
    }
    return true;
}

}  // namespace kvaril
