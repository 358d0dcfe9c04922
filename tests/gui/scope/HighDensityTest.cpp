// The oscilloscope on a high-density screen: pictures at every device pixel, lines and texts of
// the window's size. The window half runs under QT_SCALE_FACTOR=2 (a test of its own).

#include <gtest/gtest.h>

#include <QApplication>
#include <QPainter>

#include "ScriptedDialogs.h"
#include "common/Workbench.h"
#include "document/uBeam.h"
#include "model/AfterRun.h"
#include "osc/ScreenLayout.h"
#include "scope/FrmOsc.h"
#include "scope/OscPainter.h"
#include "scope/PaintAreas.h"
#include "store/uSignalsData.h"

namespace kvaril {
namespace {

// One constant signal: its trace lies on the top row of the picture.
struct ConstantRun {
    ConstantRun() {
        auto s = std::make_unique<TSignal>(wb.Signals);
        s->SetName("C");
        wb.Signals.Insert(std::move(s), -1);
        wb.Signals.Data().SetSize(1, wb.Signals.QuantCount());
        for (int q = 0; q < wb.Signals.QuantCount(); ++q) wb.Signals.Data().SetData(0, q, 3.0);
        FinishRun(wb.Signals, wb.Osc);
    }
    TGraphPicture Layout(int width, int height) {
        TGraphPicture picture;
        LayoutGraph(wb.Osc, &wb.Osc.View(0), wb.Signals.Data(), wb.Signals.QuantTime(),
                    wb.Signals.QuantCount(), width, height, picture);
        return picture;
    }
    TWorkbench wb;
};

TEST(HighDensity, AtRatioTwoEveryLineCoversBothDeviceRowsOfItsPixel) {
    ConstantRun run;
    const TGraphPicture picture = run.Layout(200, 100);
    QImage image(400, 200, QImage::Format_RGB32);
    image.setDevicePixelRatio(2);
    PaintGraphOn(image, picture);
    const QColor blue(0, 0, 255), grey(128, 128, 128);
    for (int x : {40, 41, 300, 301}) {
        EXPECT_EQ(image.pixelColor(x, 0), blue) << "trace, device column " << x;
        EXPECT_EQ(image.pixelColor(x, 1), blue) << "trace, device column " << x;
        EXPECT_EQ(image.pixelColor(x, 2 * 49), grey) << "centre line, device column " << x;
        EXPECT_EQ(image.pixelColor(x, 2 * 49 + 1), grey) << "centre line, device column " << x;
        EXPECT_NE(image.pixelColor(x, 2 * 49 + 2), grey) << "no third row";
    }
    // At ratio 1 the window keeps its pixel-exact raster picture.
    QImage plain(200, 100, QImage::Format_RGB32);
    PaintGraphOn(plain, picture);
    EXPECT_EQ(plain.pixelColor(20, 0), blue);
    EXPECT_EQ(plain.pixelColor(20, 49), grey);
    EXPECT_NE(plain.pixelColor(20, 50), grey);
}

TEST(HighDensity, TheWindowsPicturesHaveADevicePixelEach) {
    const qreal ratio = qApp->devicePixelRatio();
    if (ratio < 2) GTEST_SKIP() << "runs under QT_SCALE_FACTOR=2";
    ConstantRun run;
    testing::ScriptedDialogs dialogs;
    TFormOsc osc(run.wb, dialogs, nullptr);
    osc.PrepareForRun();
    osc.resize(700, 450);
    osc.show();
    QApplication::processEvents();
    auto* graph = osc.findChild<TGraphArea*>("pbGraph");
    auto* labels = osc.findChild<TLabelStrip*>("pbLabels");
    ASSERT_NE(graph, nullptr);
    ASSERT_NE(labels, nullptr);
    EXPECT_EQ(graph->Rendered().size(), graph->size() * ratio);
    EXPECT_EQ(graph->Rendered().devicePixelRatio(), ratio);
    EXPECT_EQ(labels->Picture.size(), labels->size() * ratio);
    // The trace on the top row, two device rows thick.
    const int x = graph->Rendered().width() / 2;
    EXPECT_EQ(graph->Rendered().pixelColor(x, 0), QColor(0, 0, 255));
    EXPECT_EQ(graph->Rendered().pixelColor(x, 1), QColor(0, 0, 255));
    // What the area paints on the screen is the picture at its own size, not magnified.
    const QImage shown = graph->grab().toImage();
    EXPECT_EQ(shown.size(), graph->Rendered().size());
    EXPECT_EQ(shown.pixelColor(x, 1), QColor(0, 0, 255));
    EXPECT_NE(shown.pixelColor(x, 2), QColor(0, 0, 255));
}

}  // namespace
}  // namespace kvaril
