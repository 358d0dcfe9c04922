// The A/B cursors and the marker lines driven through the window's own widgets: the menu, the
// key C, mouse drags on the traces and the strip, the arrow keys, the readout above the traces,
// the settings; the classic picture with both off; the strip after a splitter drag.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QHelpEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QSettings>
#include <QSplitter>
#include <QTest>
#include <QToolBar>
#include <QToolTip>
#include <cmath>

#include "HandRun.h"
#include "OpenOscilloscope.h"
#include "base/uCommon.h"
#include "common/Dialogs.h"
#include "common/Workbench.h"
#include "osc/GridLayout.h"
#include "osc/MarkLines.h"
#include "osc/OscSession.h"
#include "scope/FrmOsc.h"
#include "scope/OscPainter.h"
#include "scope/PaintAreas.h"
#include "scope/PictureExport.h"

namespace kvaril {
namespace {

// In = 4 sin(4πt) (maxima at 0.125 and 0.625 s), Out = t; Q = 0.001, T = 1.
class OscCursorLines : public ::testing::Test {
  protected:
    void SetUp() override {
        ClearSettings();
        MakeHandRun(wb_.Signals, {"In", "Out"}, 0.001, 1, [](int s, int q) {
            return s == 0 ? 4 * std::sin(4 * M_PI * q * 0.001) : q * 0.001;
        });
        wb_.Signals.Data().CalcMaxima();
        Open();
    }
    void TearDown() override {
        osc_.reset();
        ClearSettings();
    }
    static void ClearSettings() {
        QSettings settings("Dornek", "Kvaril");
        settings.remove("Oscilloscope");
        settings.remove("Windows/Oscilloscope");
    }
    void Open() { osc_ = testing::OpenOscilloscope(wb_, dialogs_); }
    template <typename T>
    T* Find(const char* name) {
        auto* child = osc_->findChild<T*>(name);
        EXPECT_NE(child, nullptr) << name;
        return child;
    }
    QAction* Action(const char* name) { return Find<QAction>(name); }
    TGraphArea* Graph() { return Find<TGraphArea>("pbGraph"); }
    TLabelStrip* Strip() { return Find<TLabelStrip>("pbLabels"); }
    const TOscCursors& Cursors() { return osc_->Session().Cursors(); }
    const TView& View() { return *osc_->Session().Current(); }
    QImage Picture() {
        QApplication::processEvents();
        return Graph()->Rendered();
    }
    // The quantum's time nearest column x of the traces.
    double QuantumAt(int x) {
        const double t = osc_->Session().TimeView().TimeAtColumn(x);
        return Round(t / 0.001) * 0.001;
    }
    void Drag(QWidget* w, int from, int to, Qt::KeyboardModifiers modifiers = {}) {
        QTest::mousePress(w, Qt::LeftButton, modifiers, QPoint(from, 8));
        for (int x : {from + (to - from) / 2, to}) {
            QMouseEvent move(QEvent::MouseMove, QPointF(x, 8), w->mapToGlobal(QPointF(x, 8)),
                             Qt::NoButton, Qt::LeftButton, modifiers);
            QApplication::sendEvent(w, &move);
        }
        QTest::mouseRelease(w, Qt::LeftButton, modifiers, QPoint(to, 8));
        QApplication::processEvents();
    }
    // Pixels of the lines' colour in column x.
    static int LinePixels(const QImage& image, int x) {
        int n = 0;
        for (int y = 0; y < image.height(); ++y)
            n += QColor(image.pixel(x, y)) == ToQColor(kMarkLineColor);
        return n;
    }

    TWorkbench wb_;
    TDialogs dialogs_;  // none of these steps asks anything
    std::unique_ptr<TFormOsc> osc_;
};

TEST_F(OscCursorLines, OffAtFirstAndTheClassicPictureStays) {
    QAction* cursors = Action("actCursors");
    QAction* markers = Action("actMarkerLines");
    ASSERT_TRUE(cursors && markers);
    EXPECT_EQ(cursors->text(), "&Курсоры A/B");
    EXPECT_EQ(markers->text(), "&Линии меток");
    EXPECT_EQ(cursors->shortcut(), QKeySequence("C"));
    EXPECT_FALSE(cursors->isChecked());
    EXPECT_FALSE(markers->isChecked());
    EXPECT_TRUE(Find<QToolBar>("SpeedBar")->actions().contains(cursors));
    EXPECT_FALSE(Find<QLabel>("pnlCursors")->isVisible());
    EXPECT_TRUE(Graph()->MarkLines().empty());

    const QImage classic = Picture();
    const QImage exported = RenderScreen(wb_.Osc, 0, wb_.Signals, classic.size());
    EXPECT_EQ(classic, exported) << "the window draws what the classic export draws";
    markers->trigger();  // no markers: nothing to draw
    EXPECT_EQ(Picture(), classic);
    cursors->trigger();
    EXPECT_NE(Picture(), classic);
    cursors->trigger();
    markers->trigger();
    EXPECT_EQ(Picture(), classic) << "off again: pixel for pixel the classic picture";
}

TEST_F(OscCursorLines, KeyCShowsThemDrawnAndRead) {
    osc_->activateWindow();
    Graph()->setFocus();
    QTest::keyClick(Graph(), Qt::Key_C);
    QApplication::processEvents();
    ASSERT_TRUE(Action("actCursors")->isChecked());
    const std::vector<TMarkLine> lines = Graph()->MarkLines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].Label, "A");
    EXPECT_NEAR(lines[0].X, Graph()->width() / 3, 1);
    EXPECT_NEAR(lines[1].X, 2 * Graph()->width() / 3, 1);
    const QImage picture = Picture();
    EXPECT_GT(LinePixels(picture, lines[0].X), picture.height() / 2);
    EXPECT_GT(LinePixels(picture, lines[1].X), picture.height() / 2);
    auto* readout = Find<QLabel>("pnlCursors");
    EXPECT_TRUE(readout->isVisible());
    EXPECT_TRUE(readout->text().contains("Δt")) << readout->text().toStdString();
    EXPECT_TRUE(readout->text().contains("1/Δt"));
    EXPECT_TRUE(readout->text().contains("In"));
    EXPECT_TRUE(readout->text().contains("B − A"));
    EXPECT_LT(readout->geometry().bottom(), Graph()->geometry().top()) << "above the traces";

    Open();  // the next start remembers the choice
    EXPECT_TRUE(Action("actCursors")->isChecked());
    EXPECT_EQ(Graph()->MarkLines().size(), 2u);
}

TEST_F(OscCursorLines, LinesAreDraggedAndSteppedOnQuanta) {
    Action("actCursors")->trigger();
    const int a = Cursors().CursorPairColumn(0);
    Graph()->setCursor(Qt::CrossCursor);
    QTest::mouseMove(Graph(), QPoint(a + 2, 20));
    QApplication::processEvents();
    EXPECT_EQ(Graph()->cursor().shape(), Qt::SplitHCursor) << "the pointer changes near a line";

    Drag(Graph(), a + 2, a + 77);
    EXPECT_DOUBLE_EQ(Cursors().CursorTimes()->A, QuantumAt(a + 77));
    EXPECT_FALSE(Cursors().Measuring());
    EXPECT_EQ(View().TimeLabelCount(), 0);
    EXPECT_EQ(Graph()->MarkLines()[0].X, a + 77);

    // Ctrl: the nearest maximum of In (the first row's beam, none being selected), 0.125 s.
    const int b = Cursors().CursorPairColumn(1);
    const int near = static_cast<int>(0.14 * Graph()->width());
    Drag(Graph(), b, near, Qt::ControlModifier);
    EXPECT_DOUBLE_EQ(Cursors().CursorTimes()->B, 0.125);
    EXPECT_EQ(Cursors().ActiveCursor(), 1);

    const double before = Cursors().CursorTimes()->B;
    QTest::keyClick(Graph(), Qt::Key_Right);
    EXPECT_NEAR(Cursors().CursorTimes()->B, before + 0.001, 1e-12);
    QTest::keyClick(Graph(), Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_NEAR(Cursors().CursorTimes()->B, before + 0.011, 1e-12);
    const double aBefore = Cursors().CursorTimes()->A;
    QTest::keyClick(Graph(), Qt::Key_A);
    QTest::keyClick(Graph(), Qt::Key_Left);
    EXPECT_NEAR(Cursors().CursorTimes()->A, aBefore - 0.001, 1e-12);
    EXPECT_TRUE(Find<QLabel>("pnlCursors")->text().contains("0.136")) << "the readout follows";
    QTest::keyClick(Graph(), Qt::Key_End);
    EXPECT_NEAR(Cursors().CursorTimes()->A, 0.999, 1e-12) << "End: the window's end";
    EXPECT_GE(Graph()->MarkLines().front().X, Graph()->width() - 2);  // A, drawn first
}

// Cursors at the window's two edges pass around the group numbers at the left and the scale's
// numbers at the right: every pixel of those texts is as without the cursors.
TEST_F(OscCursorLines, LinesAtTheEdgesLeaveTheGroupNumbersAndTheScaleReadable) {
    Action("actGrid")->trigger();
    const QImage bare = Picture();
    Action("actCursors")->trigger();
    osc_->activateWindow();
    Graph()->setFocus();
    QTest::keyClick(Graph(), Qt::Key_A);
    QTest::keyClick(Graph(), Qt::Key_Home);
    QTest::keyClick(Graph(), Qt::Key_B);
    QTest::keyClick(Graph(), Qt::Key_End);
    const std::vector<TMarkLine> lines = Graph()->MarkLines();
    ASSERT_EQ(lines.size(), 2u);
    ASSERT_LE(lines[0].X, 1);
    ASSERT_GE(lines[1].X, Graph()->width() - 2);
    const QImage marked = Picture();
    // The group numbers' yellow boxes and the scale's text, counted where they stand.
    const auto count = [](const QImage& image, int x0, int x1, const QColor& color) {
        int n = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = x0; x < x1; ++x) n += QColor(image.pixel(x, y)) == color;
        return n;
    };
    const QColor yellow(255, 255, 0);
    EXPECT_GT(count(bare, 0, 30, yellow), 0);
    EXPECT_EQ(count(marked, 0, 30, yellow), count(bare, 0, 30, yellow));
    const int right = Graph()->width();
    const QColor text = ToQColor(GridTextColor(wb_.Osc.Scheme()));
    EXPECT_GT(count(bare, right - 40, right, text), 0);
    EXPECT_EQ(count(marked, right - 40, right, text), count(bare, right - 40, right, text));
    // The lines are drawn all the same, between the texts.
    EXPECT_GT(LinePixels(marked, lines[0].X), marked.height() / 2);
    EXPECT_GT(LinePixels(marked, lines[1].X), marked.height() / 2);
}

TEST_F(OscCursorLines, MarkerLinesTooltipsAndAMarkerDraggedByItsName) {
    Action("actMarkerLines")->trigger();
    QTest::mouseClick(Strip(), Qt::LeftButton, {}, QPoint(100, 8));
    QApplication::processEvents();
    ASSERT_EQ(View().TimeLabelCount(), 1);
    ASSERT_EQ(Graph()->MarkLines().size(), 1u);
    EXPECT_TRUE(Graph()->MarkLines()[0].Dashed);
    EXPECT_EQ(Graph()->MarkLines()[0].X, 100);

    QHelpEvent help(QEvent::ToolTip, QPoint(102, 8), Strip()->mapToGlobal(QPoint(102, 8)));
    QApplication::sendEvent(Strip(), &help);
    EXPECT_TRUE(QToolTip::text().startsWith("m1: ")) << QToolTip::text().toStdString();

    Drag(Strip(), 101, 300);
    ASSERT_EQ(View().TimeLabelCount(), 1) << "moved, not added";
    EXPECT_DOUBLE_EQ(View().TimeLabel(0).Time(), QuantumAt(300));
    EXPECT_EQ(Graph()->MarkLines()[0].X, 300);
    QTest::mouseClick(Strip(), Qt::LeftButton, {}, QPoint(300, 8));
    EXPECT_EQ(View().TimeLabelCount(), 0) << "a click on it removes it, as always";
}

TEST_F(OscCursorLines, LabelsFollowTheSplitterAtOnce) {
    QTest::mouseClick(Strip(), Qt::LeftButton, {}, QPoint(300, 8));
    ASSERT_EQ(View().TimeLabelCount(), 1);
    const double t = View().TimeLabel(0).Time();
    auto* split = Find<QSplitter>("tabControlSplit");
    const QList<int> sizes = split->sizes();
    split->setSizes({sizes[0] + 150, sizes[1] - 150});
    QApplication::processEvents();
    const int width = Graph()->width();
    const int x = static_cast<int>(Round((t - View().T0()) * width / (View().T1() - View().T0())));
    ASSERT_NE(x, 300);
    // The name's first dark pixels start at the new column.
    const QImage strip = Strip()->Picture;
    int first = -1;
    for (int c = 0; c < strip.width() && first < 0; ++c)
        for (int y = 0; y < strip.height(); ++y)
            if (qGray(strip.pixel(c, y)) < 100) {
                first = c;
                break;
            }
    EXPECT_GE(first, x);
    EXPECT_LE(first, x + 3);
    QTest::mouseClick(Strip(), Qt::LeftButton, {}, QPoint(x + 3, 8));
    EXPECT_EQ(View().TimeLabelCount(), 0) << "a click on the name where it is drawn removes it";
}

}  // namespace
}  // namespace kvaril
