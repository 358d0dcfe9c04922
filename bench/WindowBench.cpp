// The oscilloscope window itself, offscreen at 1920 × 1080 with 64 beams × 10000 quanta: what a
// repaint costs after a cursor move, a zoom and a pan, each against the picture of the same view
// alone (laid out and painted at the traces' size), timed right after it.
//   build/bench/window_bench [REPEATS]

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QMouseEvent>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "model/uSignalsData.h"
#include "osc/FrmOsc.h"
#include "osc/OscPainter.h"
#include "osc/OscSession.h"
#include "osc/PaintAreas.h"
#include "osc/ScreenLayout.h"
#include "ui/Dialogs.h"
#include "ui/Workbench.h"

using namespace kvaril;

namespace {

constexpr int kBeams = 64, kQuanta = 10000;

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

void FillWorkbench(TWorkbench& wb) {
    for (int i = 0; i < kBeams; ++i) {
        auto s = std::make_unique<TSignal>(wb.Signals);
        s->SetName("S" + std::to_string(i));
        wb.Signals.Insert(std::move(s), -1);
    }
    wb.Signals.SetQuantTime(0.0001);
    wb.Signals.SetTotalTime(1.0);
    wb.Osc.SyncWithSignals(wb.Signals);
    for (int i = 0; i < kBeams; ++i) wb.Osc.View(0).Beam(i).SetGroup(i / 4 + 1);
    TSignalsData& d = wb.Signals.Data();
    d.SetSize(kBeams, kQuanta);
    for (int i = 0; i < kBeams; ++i)
        for (int q = 0; q < kQuanta; ++q)
            d.SetData(i, q, std::sin(q * 0.01 * (i + 1)) + 0.1 * std::sin(q * 1.7));
    d.CalcMaxima();
}

// Milliseconds from sending `event` until the window has repainted what it made stale.
double Deliver(QWidget* target, QEvent* event) {
    QApplication::processEvents();
    QElapsedTimer timer;
    timer.start();
    QApplication::sendEvent(target, event);
    QApplication::processEvents();
    return static_cast<double>(timer.nsecsElapsed()) * 1e-6;
}

}  // namespace

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    const int repeats = argc > 1 ? std::max(3, std::atoi(argv[1])) : 15;

    TWorkbench wb;
    FillWorkbench(wb);
    TDialogs dialogs;
    TFormOsc window(wb, dialogs, nullptr);
    window.PrepareForRun();
    window.resize(1920, 1080);
    window.show();
    QApplication::processEvents();
    TGraphArea* graph = window.findChild<TGraphArea*>();
    if (!graph) {
        std::fprintf(stderr, "no trace area\n");
        return 1;
    }
    const QPoint middle(graph->width() / 2, graph->height() / 2);

    // The picture alone of the view the window shows now, at the traces' size.
    TGraphPicture layout;
    QImage image(graph->size(), QImage::Format_RGB32);
    auto pictureAlone = [&] {
        QElapsedTimer timer;
        timer.start();
        window.Session().Picture().LayoutGraph(graph->width(), graph->height(), layout);
        PaintGraphImage(image, layout);
        return static_cast<double>(timer.nsecsElapsed()) * 1e-6;
    };
    // Each repaint is set against the picture of the same view, timed right after it: a zoom
    // changes what there is to draw, and the machine's speed drifts.
    struct TSeries {
        std::vector<double> Repaint, Picture, Ratio;
        void Add(double repaint, double picture) {
            Repaint.push_back(repaint);
            Picture.push_back(picture);
            Ratio.push_back(repaint / picture);
        }
    } cursor, zoom, pan;

    // A measurement: press, then every move is a cursor repaint.
    QMouseEvent press(QEvent::MouseButtonPress, middle, graph->mapToGlobal(middle), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    Deliver(graph, &press);
    for (int r = 0; r < repeats; ++r) {
        const QPoint at(middle.x() + (r % 2 ? 7 : -7), middle.y());
        QMouseEvent move(QEvent::MouseMove, at, graph->mapToGlobal(at), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        const double repaint = Deliver(graph, &move);
        cursor.Add(repaint, pictureAlone());
    }
    QMouseEvent release(QEvent::MouseButtonRelease, middle, graph->mapToGlobal(middle),
                        Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    Deliver(graph, &release);

    // Zoom in and out by turns (the wheel) from the whole run, then pan (Ctrl+wheel) back and
    // forth in a window of about 1900 quanta, where there is room to move.
    auto wheel = [&](int delta, Qt::KeyboardModifiers modifiers) {
        QWheelEvent event(middle, graph->mapToGlobal(middle), QPoint(), QPoint(0, delta),
                          Qt::NoButton, modifiers, Qt::NoScrollPhase, false);
        return Deliver(graph, &event);
    };
    for (int r = 0; r < repeats; ++r) {
        const double repaint = wheel(r % 2 ? -120 : 120, Qt::NoModifier);
        zoom.Add(repaint, pictureAlone());
    }
    for (int r = 0; r < 7; ++r) wheel(120, Qt::NoModifier);  // 0.8^7 of the run
    for (int r = 0; r < repeats; ++r) {
        const double repaint = wheel(r % 2 ? -120 : 120, Qt::ControlModifier);
        pan.Add(repaint, pictureAlone());
    }

    std::printf("window %dx%d, traces %dx%d, %d beams x %d quanta (medians of %d)\n",
                window.width(), window.height(), graph->width(), graph->height(), kBeams, kQuanta,
                repeats);
    std::printf("               repaint   picture alone   ratio\n");
    auto print = [](const char* what, const TSeries& s, const char* goal) {
        std::printf("  %-10s %7.2f ms %10.2f ms %9.2f  (goal at most %s)\n", what,
                    Median(s.Repaint), Median(s.Picture), Median(s.Ratio), goal);
    };
    print("cursor", cursor, "0.2");
    print("zoom", zoom, "1.3");
    print("pan", pan, "1.3");
    return 0;
}
