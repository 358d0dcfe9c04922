// The oscilloscope window itself, offscreen at 1920 × 1080 with 64 beams × 10000 quanta: what a
// repaint costs after a cursor move, a zoom and a pan, each against the picture of the same view
// alone (laid out and painted at the traces' size), timed right after it.
//   build/bench/window_bench [REPEATS]

#include <QMouseEvent>
#include <cmath>

#include "OscWindowRig.h"
#include "store/uSignalsData.h"

using namespace kvaril;

namespace {

constexpr int kBeams = 64, kQuanta = 10000;

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

}  // namespace

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    const int repeats = argc > 1 ? std::max(3, std::atoi(argv[1])) : 15;

    TWorkbench wb;
    FillWorkbench(wb);
    TOscWindowRig rig(wb);
    TFormOsc& window = rig.Window();
    TGraphArea* graph = &rig.Graph();
    const QPoint middle = rig.Middle();
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
        cursor.Add(repaint, rig.PictureAlone());
    }
    QMouseEvent release(QEvent::MouseButtonRelease, middle, graph->mapToGlobal(middle),
                        Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    Deliver(graph, &release);

    // Zoom in and out by turns (the wheel) from the whole run, then pan (Ctrl+wheel) back and
    // forth in a window of about 1900 quanta, where there is room to move.
    for (int r = 0; r < repeats; ++r) {
        const double repaint = rig.Wheel(r % 2 ? -120 : 120, Qt::NoModifier);
        zoom.Add(repaint, rig.PictureAlone());
    }
    for (int r = 0; r < 7; ++r) rig.Wheel(120, Qt::NoModifier);  // 0.8^7 of the run
    for (int r = 0; r < repeats; ++r) {
        const double repaint = rig.Wheel(r % 2 ? -120 : 120, Qt::ControlModifier);
        pan.Add(repaint, rig.PictureAlone());
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
