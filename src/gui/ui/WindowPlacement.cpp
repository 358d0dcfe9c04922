#include "ui/WindowPlacement.h"

#include <QApplication>
#include <QScreen>
#include <QSettings>
#include <QSplitter>
#include <QWidget>
#include <algorithm>

namespace kvaril {

QRect PlaceOnScreens(const QRect& wanted, const QList<QRect>& screens) {
    if (screens.isEmpty() || !wanted.isValid()) return wanted;
    QRect screen = screens.front();
    long long best = 0;
    for (const QRect& s : screens) {
        const QRect common = s.intersected(wanted);
        const long long area = common.isValid() ? 1LL * common.width() * common.height() : 0;
        if (area > best) {
            best = area;
            screen = s;
        }
    }
    QRect placed(wanted.topLeft(), wanted.size().boundedTo(screen.size()));
    if (placed.right() > screen.right()) placed.moveRight(screen.right());
    if (placed.bottom() > screen.bottom()) placed.moveBottom(screen.bottom());
    if (placed.left() < screen.left()) placed.moveLeft(screen.left());
    if (placed.top() < screen.top()) placed.moveTop(screen.top());
    return placed;
}

void SaveWindowPlacement(QSettings& settings, const char* group, const QWidget* window,
                         const QSplitter* splitter) {
    settings.beginGroup(group);
    const bool maximized = window->isMaximized();
    settings.setValue("Geometry", maximized ? window->normalGeometry() : window->geometry());
    settings.setValue("Maximized", maximized);
    if (splitter) {
        QVariantList sizes;
        for (int size : splitter->sizes()) sizes.append(size);
        settings.setValue("Splitter", sizes);
    }
    settings.endGroup();
}

bool RestoreWindowPlacement(QSettings& settings, const char* group, QWidget* window,
                            QSplitter* splitter) {
    settings.beginGroup(group);
    const QRect stored = settings.value("Geometry").toRect();
    const bool maximized = settings.value("Maximized").toBool();
    const QVariantList sizes = settings.value("Splitter").toList();
    settings.endGroup();
    if (!stored.isValid()) return false;

    QList<QRect> screens;
    for (const QScreen* screen : QApplication::screens())
        screens.append(screen->availableGeometry());
    // The window may not shrink below what its controls need.
    QRect placed = PlaceOnScreens(stored, screens);
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
