// The oscilloscope's panels as a new user meets them: the value table's numbers at the panel's
// first width, and the pictures of the commands.

#include <gtest/gtest.h>

#include <QAction>
#include <QFontMetrics>
#include <QScreen>
#include <QSettings>
#include <QTabWidget>
#include <QTest>

#include "OscilloscopeFixture.h"
#include "common/Icons.h"
#include "store/uSignalsData.h"

namespace kvaril {
namespace {

class OscPanels : public testing::OscilloscopeFixture {
  protected:
    // Values with long texts: -0.8123..., -1.235E-5 ..., and t.
    void LongValues() {
        TSignalsData& d = wb_.Signals.Data();
        for (int q = 0; q < d.SampleCount(); ++q) {
            d.SetData(0, q, -0.81234567 + q * 0.0001);
            d.SetData(1, q, -1.2345678e-5 * (1 + q * 0.01));
            d.SetData(2, q, -2.0 / 3.0 * q * 0.001);
        }
        Prepare();
    }
    TValueGrid* Grid() { return Find<TValueGrid>("tsValueGrid"); }
};

// With the marker's two columns the five columns shared the panel alike, and "-0.7358" lost
// its last digits.
TEST_F(OscPanels, TheValueTableShowsWholeNumbersBesideAMarker) {
    LongValues();
    Find<QTabWidget>("tabControl")->setCurrentIndex(1);
    QApplication::processEvents();
    for (int x : {100, 300}) QTest::mouseClick(Strip(), Qt::LeftButton, {}, QPoint(x, 5));
    QTest::mousePress(Graph(), Qt::LeftButton, {}, QPoint(Graph()->width() - 20, 10));
    TValueGrid* grid = Grid();
    ASSERT_EQ(grid->ColumnCount(), 5) << "the marker's value and difference";
    const QFontMetrics metrics = grid->fontMetrics();
    for (int r = 0; r < grid->RowCount(); ++r)
        for (int c : {2, 3, 4}) {
            const QString text = grid->Text(r, c);
            EXPECT_LE(metrics.horizontalAdvance(text), grid->ColumnWidth(c) - 4)
                << "row " << r << ", column " << c << ": " << text.toStdString();
        }
    int total = 0;
    for (int c = 0; c < grid->ColumnCount(); ++c) total += grid->ColumnWidth(c) + 1;
    EXPECT_LE(total, grid->width()) << "and the columns stay within the table";
    EXPECT_GT(grid->ColumnWidth(1), 0) << "the names keep a column";
    QTest::mouseRelease(Graph(), Qt::LeftButton, {}, QPoint(Graph()->width() - 20, 10));
}

// With nothing remembered the window opened at 760 × 480 on any screen.
TEST_F(OscPanels, TheFirstWindowTakesMostOfTheScreensFreeArea) {
    QSettings("Dornek", "Kvaril").remove("Windows/Oscilloscope");
    TFormOsc first(wb_, dialogs_, nullptr);
    const QRect free = QApplication::primaryScreen()->availableGeometry();
    EXPECT_GE(first.width(), free.width() * 85 / 100);
    EXPECT_GE(first.height(), free.height() * 85 / 100);
    EXPECT_TRUE(free.contains(first.geometry())) << "and lies on it";
}

// "Выход" had the folder of "Открыть".
TEST_F(OscPanels, ExitHasAPictureOfItsOwn) {
    const QImage exit = Action("actOscExit")->icon().pixmap(20, 20).toImage();
    const QImage open = MainIcon(icoFileLoad).pixmap(20, 20).toImage();
    EXPECT_FALSE(exit.isNull());
    EXPECT_TRUE(exit != open);
    EXPECT_TRUE(exit != MainIcon(-1).pixmap(20, 20).toImage()) << "not an empty picture";
}

}  // namespace
}  // namespace kvaril
