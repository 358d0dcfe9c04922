#include "scope/PictureExport.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QFile>

#include "document/uBeam.h"
#include "document/uSignal.h"
#include "model/AfterRun.h"
#include "model/RunHistory.h"
#include "osc/ScreenLayout.h"
#include "scope/OscPainter.h"
#include "store/uSignalsData.h"

namespace kvaril {
namespace {

struct ConstantRun {
    ConstantRun() {
        auto s = std::make_unique<TSignal>(signals);
        s->SetName("C");
        signals.Insert(std::move(s), -1);
        signals.Data().SetSize(1, signals.QuantCount());
        for (int q = 0; q < signals.QuantCount(); ++q) signals.Data().SetData(0, q, 3.0);
        FinishRun(signals, osc);
    }
    TSignals signals;
    TOsc osc;
};

TEST(PictureExport, AConstantSignalLiesOnTheTopRowAboveTheCentreLine) {
    ConstantRun run;
    const QImage image = RenderScreen(run.osc, 0, run.signals, QSize(800, 400));
    ASSERT_EQ(image.size(), QSize(800, 400));
    EXPECT_EQ(image.pixelColor(400, 0), QColor(0, 0, 255)) << "the trace on row 0 in blue";
    EXPECT_EQ(image.pixelColor(400, 199), QColor(128, 128, 128)) << "the centre line on row 199";
    EXPECT_EQ(image.pixelColor(400, 100), QColor(192, 192, 192));
    EXPECT_EQ(image.pixelColor(799, 199), QColor(192, 192, 192)) << "the last column stays free";
    EXPECT_EQ(image.pixelColor(0, 1), QColor(255, 255, 0)) << "the group number's box";
}

// The reference run is C = −3: at the beam's gain (1/3) it lies on the band's bottom row.
TEST(PictureExport, AReferenceRunIsDimmedOnGrayAndDashedOnWhite) {
    ConstantRun run;
    TStoredRun reference = CaptureRun(run.signals, 0);
    for (double& v : reference.Values) v = -3;
    const QImage plain = RenderScreen(run.osc, 0, run.signals, QSize(800, 400));
    const QImage gray = RenderScreen(run.osc, 0, run.signals, QSize(800, 400), &reference);
    EXPECT_EQ(gray.pixelColor(400, 398), ToQColor(ReferenceColor(TColorScheme::Gray, 0)));
    EXPECT_EQ(plain.pixelColor(400, 398), QColor(192, 192, 192));
    EXPECT_EQ(gray.pixelColor(400, 0), QColor(0, 0, 255)) << "the beam itself is unchanged";

    run.osc.SetColorScheme(TColorScheme::White);
    const QImage white = RenderScreen(run.osc, 0, run.signals, QSize(800, 400), &reference);
    int drawn = 0, gaps = 0;
    for (int x = 0; x < 799; ++x) ++(white.pixelColor(x, 398) == QColor(0, 0, 255) ? drawn : gaps);
    EXPECT_GT(drawn, 300);
    EXPECT_GT(gaps, 300) << "dashed";
}

TEST(PictureExport, WritesPngAndSvgAndRefusesAMissingScreen) {
    ConstantRun run;
    const std::string base = "/tmp/kvaril-export-" + std::to_string(::getpid());
    EXPECT_EQ(ExportScreen(run.osc, 0, run.signals, QSize(200, 100),
                           QString::fromStdString(base + ".png")),
              "");
    QImage back(QString::fromStdString(base + ".png"));
    EXPECT_EQ(back.size(), QSize(200, 100));
    EXPECT_EQ(ExportScreen(run.osc, 0, run.signals, QSize(200, 100),
                           QString::fromStdString(base + ".svg")),
              "");
    QFile svg(QString::fromStdString(base + ".svg"));
    ASSERT_TRUE(svg.open(QIODevice::ReadOnly));
    EXPECT_TRUE(svg.readAll().contains("<svg"));
    EXPECT_NE(ExportScreen(run.osc, 3, run.signals, QSize(200, 100),
                           QString::fromStdString(base + ".png")),
              "");
    std::remove((base + ".png").c_str());
    std::remove((base + ".svg").c_str());
}

}  // namespace
}  // namespace kvaril
