#include "osc/PictureExport.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QFile>

#include "document/uSignal.h"
#include "model/uSignalsData.h"
#include "osc/uBeam.h"

namespace kvaril {
namespace {

struct ConstantRun {
    ConstantRun() {
        auto s = std::make_unique<TSignal>(signals);
        s->SetName("C");
        signals.Insert(std::move(s), -1);
        osc.SyncWithSignals(signals);
        signals.Data().SetSize(1, signals.QuantCount());
        for (int q = 0; q < signals.QuantCount(); ++q) signals.Data().SetData(0, q, 3.0);
        signals.Data().CalcMaxima();
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
