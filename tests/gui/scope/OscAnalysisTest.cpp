// The oscilloscope's measurements driven from the window: the Δ readout, the stepping keys, the
// statistics page and the spectrum window.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QSettings>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <cmath>
#include <set>

#include "HandRun.h"
#include "ScriptedDialogs.h"
#include "common/Workbench.h"
#include "osc/BeamPalette.h"
#include "osc/OscSession.h"
#include "scope/BeamPage.h"
#include "scope/FrmOsc.h"
#include "scope/FrmSpectrum.h"
#include "scope/OscPainter.h"
#include "scope/PaintAreas.h"
#include "scope/PictureExport.h"
#include "store/uSignalsData.h"

namespace kvaril {
namespace {

constexpr double kPi = 3.14159265358979323846;

// Signals A, B, C, Q = 0.001, T = 1: A = t, B = 0.5, C a sine of amplitude 3 at 40 Hz.
class OscAnalysis : public ::testing::Test {
  protected:
    void SetUp() override {
        MakeHandRun(wb_.Signals, {"A", "B", "C"}, 0.001, 1, [](int s, int q) {
            return s == 0 ? q * 0.001 : s == 1 ? 0.5 : 3 * std::sin(2 * kPi * 40 * q * 0.001);
        });
        QSettings("Dornek", "Kvaril").remove("Oscilloscope/Grid");  // off, as for a new user
        osc_ = std::make_unique<TFormOsc>(wb_, dialogs_, nullptr);
        FinishRun(wb_.Signals, wb_.Osc);
        osc_->PrepareForRun();
        osc_->resize(900, 500);
        osc_->show();
        QApplication::processEvents();
    }
    template <typename T>
    T* Find(const char* name) {
        T* child = osc_->findChild<T*>(name);
        EXPECT_NE(child, nullptr) << name;
        return child;
    }
    TView& View() { return *osc_->Session().Current(); }
    TGraphArea* Graph() { return Find<TGraphArea>("pbGraph"); }
    QStringList Column(int column) {
        auto* grid = Find<TValueGrid>("tsValueGrid");
        QStringList texts;
        for (int r = 0; r < grid->RowCount(); ++r) texts << grid->Text(r, column);
        return texts;
    }
    // A click on the label strip at time t of the whole-run window.
    void AddLabel(double t) {
        auto* strip = Find<TLabelStrip>("pbLabels");
        QTest::mouseClick(strip, Qt::LeftButton, {},
                          QPoint(static_cast<int>(std::lround(t * Graph()->width())), 5));
    }
    void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
        QTest::keyClick(Graph(), key, modifiers);
    }
    QString Caption() { return Find<QLabel>("lblCaption")->text(); }

    TWorkbench wb_;
    testing::ScriptedDialogs dialogs_;
    std::unique_ptr<TFormOsc> osc_;
};

TEST_F(OscAnalysis, WithoutMarkersTheValueTableKeepsItsThreeColumns) {
    Graph()->setFocus();
    Key(Qt::Key_Right);
    auto* grid = Find<TValueGrid>("tsValueGrid");
    EXPECT_EQ(grid->ColumnCount(), 3);
    EXPECT_TRUE(grid->Titles().isEmpty()) << "the classic table has no title row";
    EXPECT_EQ(Column(3), QStringList({"", "", ""}));
    EXPECT_FALSE(Find<QLabel>("tsDeltaLabel")->isVisibleTo(osc_.get()));
}

TEST_F(OscAnalysis, StepKeysMoveTheCursorAndTheTableFollows) {
    Graph()->setFocus();
    Key(Qt::Key_Right);
    EXPECT_EQ(Column(2)[0], "0.001");
    EXPECT_EQ(Caption(), "T: 0.001");
    EXPECT_GE(Graph()->CursorX(), 1) << "the stepped cursor is drawn";
    Key(Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(Column(2)[0], "0.011");
    Key(Qt::Key_Left);
    EXPECT_EQ(Column(2)[0], "0.01");
    Key(Qt::Key_End);
    EXPECT_EQ(Column(2)[0], "0.999") << "the last quantum of the run";
    EXPECT_EQ(Graph()->CursorX(), Graph()->width() - 1);
    Key(Qt::Key_Home);
    EXPECT_EQ(Column(2)[0], "0");
    Key(Qt::Key_Escape);
    EXPECT_EQ(Graph()->CursorX(), -1);
    EXPECT_EQ(Caption(), "< dT : 1 >");
}

TEST_F(OscAnalysis, DeltaReadoutFromTheMarkerLeftOfTheCursor) {
    AddLabel(0.25);
    ASSERT_EQ(View().TimeLabelCount(), 1);
    const double m1 = View().TimeLabel(0).Time();
    Graph()->setFocus();
    Key(Qt::Key_End);  // t = 0.999, the last quantum
    auto* grid = Find<TValueGrid>("tsValueGrid");
    EXPECT_EQ(grid->ColumnCount(), 5);
    EXPECT_EQ(grid->Titles(), QStringList({"", "Луч", "Знач.", "m1", "Δ"}));
    const QString header = Find<QLabel>("tsDeltaLabel")->text();
    EXPECT_TRUE(header.startsWith("m1   Δt: ")) << header.toStdString();
    EXPECT_TRUE(header.endsWith(" Гц")) << header.toStdString();
    const double at = std::round(m1 / 0.001) * 0.001;  // the sample the marker reads
    EXPECT_NEAR(Column(3)[0].toDouble(), at, 1e-9);
    EXPECT_NEAR(Column(4)[0].toDouble(), 0.999 - at, 1e-9);
    EXPECT_EQ(Column(4)[1], "0");

    // Before the only marker there is none to the left: the Δ columns empty themselves.
    Key(Qt::Key_Home);
    EXPECT_EQ(grid->ColumnCount(), 3);
    EXPECT_TRUE(grid->Titles().isEmpty());
    EXPECT_EQ(Column(4), QStringList({"", "", ""}));
}

TEST_F(OscAnalysis, TheLabelStripPopUpPicksTheReference) {
    AddLabel(0.2);
    AddLabel(0.6);
    ASSERT_EQ(View().TimeLabelCount(), 2);
    Graph()->setFocus();
    Key(Qt::Key_End);
    EXPECT_TRUE(Find<QLabel>("tsDeltaLabel")->text().startsWith("m2"));
    bool picked = false;
    QTimer::singleShot(0, [&picked] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu) return;
        for (QAction* a : menu->actions())
            if (a->text().startsWith("m1")) {
                picked = true;
                a->trigger();
            }
        menu->close();
    });
    QTest::mouseClick(Find<TLabelStrip>("pbLabels"), Qt::RightButton, {}, QPoint(300, 5));
    ASSERT_TRUE(picked) << "the pop-up lists the markers";
    EXPECT_EQ(osc_->Session().Cursors().PickedReferenceMarker(), 0);
    EXPECT_TRUE(Find<QLabel>("tsDeltaLabel")->text().startsWith("m1"));
    EXPECT_EQ(View().TimeLabelCount(), 2) << "a right click toggles no label";
}

TEST_F(OscAnalysis, TheStatisticsPageFollowsTheWindowAndTheSpan) {
    auto* tabs = Find<QTabWidget>("tabControl");
    ASSERT_EQ(tabs->count(), 3);
    EXPECT_EQ(tabs->tabText(2), "Статистика");
    tabs->setCurrentIndex(2);
    QApplication::processEvents();
    // A row per quantity, a column per beam.
    auto* grid = Find<QTableWidget>("tsStatsGrid");
    ASSERT_EQ(grid->columnCount(), 3);
    ASSERT_EQ(grid->rowCount(), kStatisticCount);
    EXPECT_EQ(grid->horizontalHeaderItem(0)->text(), "A");
    EXPECT_EQ(grid->verticalHeaderItem(3)->text(), "max");
    EXPECT_EQ(grid->item(0, 0)->text(), "1000");
    EXPECT_EQ(grid->item(3, 0)->text(), "0.999") << "max of A = t over the whole run";

    View().SetT0(0.2);
    View().SetT1(0.4);
    Find<QAction>("actBeamToOneGroup")->trigger();  // any command refreshes the window
    EXPECT_EQ(grid->item(0, 0)->text(), "201");
    EXPECT_EQ(grid->item(1, 0)->text(), "0.2");
    EXPECT_EQ(grid->item(2, 0)->text(), "0.2") << "the time of the minimum";
    EXPECT_EQ(grid->item(3, 0)->text(), "0.4");

    View().SetT0(0);
    View().SetT1(1);
    AddLabel(0.5);
    AddLabel(0.75);
    auto* span = Find<QComboBox>("cbStatsSpan");
    EXPECT_GE(span->findText("m1..m2"), 0) << "the pairs of markers are offered";
    span->setEditText("m1..m2");
    const int n = grid->item(0, 0)->text().toInt();
    EXPECT_NEAR(n, 251, 3);
    EXPECT_EQ(grid->item(6, 1)->text(), "0.5") << "RMS of the constant B";
}

TEST_F(OscAnalysis, TheSpectrumWindowOpensOnTheSelectedBeams) {
    auto* list = Find<QListWidget>("tsBeamList");
    list->item(2)->setSelected(true);
    View().SetT1(0.999);  // 1000 samples: 40 Hz falls on a bin
    Find<QAction>("actSpectrum")->trigger();
    TFormSpectrum* spectrum = osc_->SpectrumWindow();
    ASSERT_NE(spectrum, nullptr);
    EXPECT_TRUE(spectrum->isVisible());
    EXPECT_FALSE(osc_->isHidden()) << "not modal: the oscilloscope stays";
    ASSERT_EQ(spectrum->Spectra().size(), 1u);
    EXPECT_EQ(spectrum->Spectra()[0].Name, "C");
    EXPECT_NEAR(spectrum->Spectra()[0].Peak.Frequency, 40, 1e-6);
    EXPECT_NEAR(spectrum->Spectra()[0].Peak.Amplitude, 3, 1e-6);
    auto* peaks = spectrum->findChild<QTableWidget*>("tbSpectrumPeaks");
    ASSERT_NE(peaks, nullptr);
    ASSERT_GE(peaks->rowCount(), 1);
    EXPECT_EQ(peaks->item(0, 2)->text(), "40,000 Гц");
    EXPECT_EQ(peaks->item(0, 3)->text(), "3,000");
    EXPECT_EQ(peaks->item(0, 4)->text(), "9,54 дБ");

    auto* window = spectrum->findChild<QComboBox*>("cbSpectrumWindow");
    window->setCurrentIndex(0);  // rectangular: the same amplitude on a bin
    EXPECT_NEAR(spectrum->Spectra()[0].Peak.Amplitude, 3, 1e-6);
    EXPECT_EQ(peaks->item(0, 3)->text(), "3,000");

    osc_->close();
    EXPECT_FALSE(spectrum->isVisible()) << "it closes with the oscilloscope";
}

TEST_F(OscAnalysis, ASpectrumOverNaNSaysSoInsteadOfDrawing) {
    wb_.Signals.Data().SetData(1, 7, NAN);
    Find<QListWidget>("tsBeamList")->item(1)->setSelected(true);
    Find<QAction>("actSpectrum")->trigger();
    ASSERT_NE(osc_->SpectrumWindow(), nullptr);
    const QString peaks = osc_->SpectrumWindow()->findChild<QLabel*>("lbSpectrumPeaks")->text();
    EXPECT_TRUE(peaks.contains("NaN или бесконечность")) << peaks.toStdString();
}

TEST_F(OscAnalysis, TheGridIsOffByDefaultRememberedAndExported) {
    QAction* grid = Find<QAction>("actGrid");
    ASSERT_TRUE(grid->isCheckable());
    EXPECT_FALSE(grid->isChecked());
    const QSize size = Graph()->size();
    const QImage classic = RenderScreen(wb_.Osc, 0, wb_.Signals, size);
    EXPECT_EQ(Graph()->Rendered(), classic) << "without the grid the picture is the classic one";

    grid->trigger();
    EXPECT_TRUE(osc_->Session().Picture().ShowGrid());
    EXPECT_TRUE(QSettings("Dornek", "Kvaril").value("Oscilloscope/Grid").toBool());
    const QImage withGrid = RenderScreen(wb_.Osc, 0, wb_.Signals, size, nullptr, {}, true);
    EXPECT_NE(withGrid, classic);
    EXPECT_EQ(Graph()->Rendered(), withGrid) << "the window and the export draw the same grid";
    QTemporaryDir dir;
    const QString plain = dir.filePath("plain.png"), gridded = dir.filePath("grid.png");
    ASSERT_EQ(ExportScreen(wb_.Osc, 0, wb_.Signals, size, plain), "");
    ASSERT_EQ(ExportScreens(wb_.Osc, {0}, wb_.Signals, size, gridded, nullptr, {}, true), "");
    EXPECT_NE(QImage(plain), QImage(gridded)) << "a saved picture carries the grid when asked";

    // A new window takes the setting over.
    TFormOsc second(wb_, dialogs_, nullptr);
    EXPECT_TRUE(second.findChild<QAction*>("actGrid")->isChecked());
    EXPECT_TRUE(second.Session().Picture().ShowGrid());
    grid->trigger();
    EXPECT_EQ(Graph()->Rendered(), classic);
    EXPECT_FALSE(QSettings("Dornek", "Kvaril").value("Oscilloscope/Grid").toBool());
    QSettings("Dornek", "Kvaril").remove("Oscilloscope/Grid");
}

// ---- "Вид → Цвета по лучам" and the statistics page's layout

TEST_F(OscAnalysis, BeamColoursAreOffByDefaultOnTheToolbarRememberedAndColourEveryTable) {
    QSettings("Dornek", "Kvaril").remove("Oscilloscope/BeamColors");
    TFormOsc fresh(wb_, dialogs_, nullptr);
    QAction* fresh_colours = fresh.findChild<QAction*>("actBeamColors");
    ASSERT_NE(fresh_colours, nullptr);
    EXPECT_TRUE(fresh_colours->isCheckable());
    EXPECT_FALSE(fresh_colours->isChecked()) << "off for a new user";
    auto* speedBar = fresh.findChild<QToolBar*>("SpeedBar");
    ASSERT_NE(speedBar, nullptr);
    EXPECT_TRUE(speedBar->actions().contains(fresh_colours)) << "on the toolbar";
    bool inViewMenu = false;
    for (QAction* a : fresh.menuBar()->actions())
        if (a->menu() && a->text() == "&Вид")
            inViewMenu = a->menu()->actions().contains(fresh_colours);
    EXPECT_TRUE(inViewMenu);

    Find<QAction>("actBeamToManyGroup")->trigger();  // three bands: classically all one colour
    QAction* colours = Find<QAction>("actBeamColors");
    if (colours->isChecked()) colours->trigger();
    const QSize size = Graph()->size();
    const QImage classic = RenderScreen(wb_.Osc, 0, wb_.Signals, size);
    EXPECT_EQ(Graph()->Rendered(), classic) << "off, the picture is the classic one";

    colours->trigger();
    EXPECT_TRUE(osc_->Session().Picture().BeamColors());
    EXPECT_TRUE(QSettings("Dornek", "Kvaril").value("Oscilloscope/BeamColors").toBool());
    TLayoutOptions options;
    options.BeamColors = true;
    const QImage own = RenderScreen(wb_.Osc, 0, wb_.Signals, size, nullptr, options);
    EXPECT_NE(own, classic);
    EXPECT_EQ(Graph()->Rendered(), own) << "the window and the export draw the same colours";
    const TColorScheme scheme = osc_->Session().Picture().Scheme();
    for (int k = 0; k < 3; ++k) {
        const QColor c = ToQColor(BeamPaletteColor(scheme, k));
        int pixels = 0;
        for (int y = 0; y < own.height(); ++y)
            for (int x = 0; x < own.width(); ++x) pixels += own.pixelColor(x, y) == c;
        EXPECT_GT(pixels, 50) << "beam " << k << " in its own colour";
    }
    // The value table and the statistics take the same colours.
    auto* values = Find<TValueGrid>("tsValueGrid");
    for (int r = 0; r < 3; ++r)
        EXPECT_EQ(values->Color(r, 2), ToQColor(BeamPaletteColor(scheme, r)));
    Find<QTabWidget>("tabControl")->setCurrentIndex(2);
    QApplication::processEvents();
    auto* stats = Find<QTableWidget>("tsStatsGrid");
    for (int b = 0; b < 3; ++b) {
        EXPECT_EQ(stats->item(0, b)->foreground().color(), ToQColor(BeamPaletteColor(scheme, b)));
        const QImage swatch = stats->horizontalHeaderItem(b)->icon().pixmap(10, 10).toImage();
        EXPECT_EQ(swatch.pixelColor(5, 5), ToQColor(BeamPaletteColor(scheme, b)))
            << "a swatch of the beam's colour heads its column";
    }
    TFormOsc second(wb_, dialogs_, nullptr);
    EXPECT_TRUE(second.findChild<QAction*>("actBeamColors")->isChecked()) << "remembered";
    colours->trigger();
    EXPECT_EQ(Graph()->Rendered(), classic);
    QSettings("Dornek", "Kvaril").remove("Oscilloscope/BeamColors");
}

TEST_F(OscAnalysis, ThePixelsOfTheClassicPictureStayWithTheChoicesOff) {
    // On the white and black schemes the palette begins with the classic colours: one group of
    // three beams looks the same either way, pixel for pixel, and so does the grid-less export.
    for (TColorScheme scheme : {TColorScheme::White, TColorScheme::Black}) {
        wb_.Osc.SetColorScheme(scheme);
        Find<QAction>("actBeamToOneGroup")->trigger();
        const QSize size = Graph()->size();
        const QImage classic = RenderScreen(wb_.Osc, 0, wb_.Signals, size);
        TLayoutOptions options;
        options.BeamColors = true;
        EXPECT_EQ(RenderScreen(wb_.Osc, 0, wb_.Signals, size, nullptr, options), classic);
        EXPECT_EQ(Graph()->Rendered(), classic);
    }
    // Off, three bands on the gray scheme are drawn in one colour, the first classic one.
    wb_.Osc.SetColorScheme(TColorScheme::Gray);
    Find<QAction>("actBeamToManyGroup")->trigger();
    const QImage classic = RenderScreen(wb_.Osc, 0, wb_.Signals, Graph()->size());
    EXPECT_EQ(Graph()->Rendered(), classic);
    std::set<QRgb> colours;
    for (int y = 0; y < classic.height(); ++y)
        for (int x = 20; x < classic.width(); ++x)
            colours.insert(classic.pixel(x, y) | 0xff000000u);
    for (int k = 1; k < 5; ++k)  // the sixth, white, is also the separators' upper line
        EXPECT_EQ(colours.count(ToQColor(BeamColor(TColorScheme::Gray, k)).rgb()), 0u) << k;
    EXPECT_EQ(colours.count(ToQColor(BeamColor(TColorScheme::Gray, 0)).rgb()), 1u);
}

TEST_F(OscAnalysis, TheStatisticsShowEveryQuantityOfFourBeamsWithoutScrolling) {
    osc_->close();
    osc_.reset();
    TWorkbench wb;
    MakeHandRun(wb.Signals, {"Alpha", "Beta", "Gamma", "Delta"}, 0.001, 1,
                [](int s, int q) -> double { return (s + 1) * std::sin(q * 0.0123) - 0.0001234; });
    TFormOsc osc(wb, dialogs_, nullptr);
    FinishRun(wb.Signals, wb.Osc);
    osc.PrepareForRun();
    osc.show();  // the default size and panel width
    QApplication::processEvents();
    osc.findChild<QTabWidget*>("tabControl")->setCurrentIndex(2);
    QApplication::processEvents();
    auto* grid = osc.findChild<QTableWidget*>("tsStatsGrid");
    ASSERT_EQ(grid->columnCount(), 4);
    ASSERT_EQ(grid->rowCount(), kStatisticCount);
    const int last = grid->columnCount() - 1;
    EXPECT_LE(grid->columnViewportPosition(last) + grid->columnWidth(last),
              grid->viewport()->width())
        << "every beam's column in view";
    EXPECT_LE(grid->rowViewportPosition(kStatisticCount - 1) + grid->rowHeight(kStatisticCount - 1),
              grid->viewport()->height())
        << "every quantity in view";
    EXPECT_FALSE(grid->item(8, 3)->text().isEmpty()) << "СКО of the fourth beam";
}

}  // namespace
}  // namespace kvaril
