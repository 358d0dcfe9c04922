#pragma once
// The oscilloscope window itself, offscreen at 1920 × 1080 over a filled workbench, for the
// benches that time its repaints: an event is timed until the window has repainted what it made
// stale, and the picture of the view it shows is timed alone (laid out and painted at the
// traces' size).

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QWheelEvent>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "common/Dialogs.h"
#include "common/Workbench.h"
#include "osc/OscSession.h"
#include "osc/ScreenLayout.h"
#include "scope/FrmOsc.h"
#include "scope/OscPainter.h"
#include "scope/PaintAreas.h"

namespace kvaril {

inline double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Milliseconds from sending `event` until the window has repainted what it made stale.
inline double Deliver(QWidget* target, QEvent* event) {
    QApplication::processEvents();
    QElapsedTimer timer;
    timer.start();
    QApplication::sendEvent(target, event);
    QApplication::processEvents();
    return static_cast<double>(timer.nsecsElapsed()) * 1e-6;
}

class TOscWindowRig {
  public:
    // Shows the window for `wb`'s signals and run; a window without its trace area ends the
    // bench.
    explicit TOscWindowRig(TWorkbench& wb) : window_(wb, dialogs_, nullptr) {
        window_.PrepareForRun();
        window_.resize(1920, 1080);
        window_.show();
        QApplication::processEvents();
        graph_ = window_.findChild<TGraphArea*>();
        if (!graph_) {
            std::fprintf(stderr, "no trace area\n");
            std::exit(1);
        }
        image_ = QImage(graph_->size(), QImage::Format_RGB32);
    }

    TFormOsc& Window() { return window_; }
    TGraphArea& Graph() { return *graph_; }
    QPoint Middle() const { return {graph_->width() / 2, graph_->height() / 2}; }

    // A wheel turn at the traces' middle, a zoom (or with Ctrl a pan), in milliseconds until
    // repainted.
    double Wheel(int delta, Qt::KeyboardModifiers modifiers) {
        const QPoint middle = Middle();
        QWheelEvent event(middle, graph_->mapToGlobal(middle), QPoint(), QPoint(0, delta),
                          Qt::NoButton, modifiers, Qt::NoScrollPhase, false);
        return Deliver(graph_, &event);
    }

    // Milliseconds of the picture alone of the view the window shows now.
    double PictureAlone() {
        QElapsedTimer timer;
        timer.start();
        window_.Session().Picture().LayoutGraph(graph_->width(), graph_->height(), layout_);
        PaintGraphImage(image_, layout_);
        return static_cast<double>(timer.nsecsElapsed()) * 1e-6;
    }

  private:
    TDialogs dialogs_;
    TFormOsc window_;
    TGraphArea* graph_ = nullptr;
    TGraphPicture layout_;
    QImage image_;
};

}  // namespace kvaril
